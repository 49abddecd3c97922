#pragma once

#include "platform/sound/WaveFormat.h"

#include "platform/com/Result.h"

#include <cstddef>
#include <memory>
#include <span>

// The sound output behind the program's sounds: OpenAL Soft in the program, a recording fake in tests.
namespace platform::sound {

// Creation flags of sound buffers, with the values of the interface they stand in for.
inline constexpr DWORD DSBCAPS_CTRL3D = 0x10;
inline constexpr DWORD DSBCAPS_CTRLFREQUENCY = 0x20;
inline constexpr DWORD DSBCAPS_CTRLPAN = 0x40;
inline constexpr DWORD DSBCAPS_CTRLVOLUME = 0x80;
inline constexpr DWORD DSBCAPS_CTRLPOSITIONNOTIFY = 0x100;
inline constexpr DWORD DSBCAPS_CTRLFX = 0x200;
inline constexpr DWORD DSBCAPS_GETCURRENTPOSITION2 = 0x10000;
inline constexpr DWORD DSBPLAY_LOOPING = 0x1;

/// One voice: a sound held whole, or a stream fed in pieces. Any thread.
class SoundBuffer {
public:
    virtual ~SoundBuffer() = default;
    virtual Status play(bool looping) = 0;
    virtual void stop() = 0;
    virtual bool isPlaying() const = 0;
    /// Hundredths of a decibel, 0 (full) down to -10000 (silent).
    virtual void setVolume(LONG volume) = 0;
    /// Samples per second to play at.
    virtual void setFrequency(DWORD hertz) = 0;
    /// -10000 (left) .. 10000 (right).
    virtual void setPan(LONG pan) = 0;
    /// The position of a 3-D voice, in metres.
    virtual void setPosition(float x, float y, float z) = 0;
};

/// A voice that plays pieces in the order they were queued and keeps playing as long as pieces come.
class StreamBuffer : public SoundBuffer {
public:
    virtual Status queue(std::span<const std::uint8_t> piece) = 0;
    /// How many queued pieces have been played (or dropped by stop) since the last call; those are forgotten.
    virtual std::size_t takeProcessed() = 0;
};

class SoundBackend {
public:
    virtual ~SoundBackend() = default;
    /// E_FAIL for a format the output cannot play.
    virtual Result<std::unique_ptr<SoundBuffer>> createBuffer(const WAVEFORMATEX& format,
                                                              std::span<const std::uint8_t> data, DWORD flags) = 0;
    /// A second voice over the same sound data.
    virtual Result<std::unique_ptr<SoundBuffer>> duplicate(const SoundBuffer& buffer) = 0;
    virtual Result<std::unique_ptr<StreamBuffer>> createStream(const WAVEFORMATEX& format, DWORD flags) = 0;
};

/// The system's default sound output through OpenAL Soft, or the named device. E_FAIL when there is none.
Result<std::unique_ptr<SoundBackend>> openOpenAlBackend(const char* deviceName = nullptr);

} // namespace platform::sound
