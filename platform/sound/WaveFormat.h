#pragma once

#include "platform/com/Types.h"

#include <cstdint>
#include <vector>

namespace platform::sound {

inline constexpr WORD WAVE_FORMAT_PCM = 1;

/// The format of a wave file's sound data, as its "fmt " chunk stores it; `extra` holds the cbSize bytes that
/// formats other than PCM carry.
struct WAVEFORMATEX {
    WORD wFormatTag = WAVE_FORMAT_PCM;
    WORD nChannels = 1;
    DWORD nSamplesPerSec = 22050;
    DWORD nAvgBytesPerSec = 44100;
    WORD nBlockAlign = 2;
    WORD wBitsPerSample = 16;
    std::vector<std::uint8_t> extra;

    friend bool operator==(const WAVEFORMATEX&, const WAVEFORMATEX&) = default;
};

/// A PCM format with the block alignment and byte rate that follow from the other fields.
inline WAVEFORMATEX pcmFormat(WORD channels, DWORD rate, WORD bits)
{
    const auto blockAlign = static_cast<WORD>(bits / 8 * channels);
    return WAVEFORMATEX{WAVE_FORMAT_PCM, channels, rate, blockAlign * rate, blockAlign, bits, {}};
}

/// The byte of silence: 128 for 8-bit samples, which are unsigned, else 0.
inline std::uint8_t silenceOf(const WAVEFORMATEX& format)
{
    return format.wBitsPerSample == 8 ? 128 : 0;
}

} // namespace platform::sound
