#pragma once

#include "platform/sound/WaveFormat.h"

#include "platform/com/HResult.h"

namespace platform::sound {

/// A source of PCM data: a wave file or a generator. Owner thread only; a streaming sound hands its source to its
/// refill thread, and the owner then changes only plain fields the generator documents.
class CWaveFile {
public:
    virtual ~CWaveFile() = default;
    /// Bytes of sound data.
    virtual DWORD GetSize() const = 0;
    /// Back to the start of the sound data.
    virtual HRESULT ResetFile() = 0;
    /// Copies up to `wanted` bytes into `buffer` and reports how many; E_INVALIDARG without buffer or count.
    virtual HRESULT Read(std::uint8_t* buffer, DWORD wanted, DWORD* read) = 0;
    virtual const WAVEFORMATEX* GetFormat() const = 0;
};

} // namespace platform::sound
