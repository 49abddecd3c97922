#pragma once

#include "platform/sound/SoundBackend.h"

#include <condition_variable>
#include <mutex>
#include <vector>

namespace platform::sound::testing {

/// What the program asked of the sound output: the voices it made, the sounds they play and, for streams, every
/// piece queued. Streams
/// report played pieces only when the test says so (`finishPieces`). Any thread.
class RecordingBackend final : public SoundBackend {
public:
    struct Log {
        std::mutex mutex;
        std::condition_variable changed;
        int voices = 0;
        int plays = 0;
        int stops = 0;
        std::vector<WAVEFORMATEX> formats;
        /// The data of each sound held whole, in the order made, and which of them each play started.
        std::vector<std::vector<std::uint8_t>> sounds;
        std::vector<std::size_t> played;
        std::vector<std::vector<std::uint8_t>> pieces;
        std::size_t piecesToFinish = 0;
        /// Queueing fails from this many pieces on.
        std::size_t failQueueFrom = SIZE_MAX;

        /// Lets `count` queued pieces count as played.
        void finishPieces(std::size_t count);
        /// Waits (bounded) until at least `count` pieces were queued; false on time-out.
        bool waitForPieces(std::size_t count);
        /// Waits (bounded) until voices were stopped `count` times in all; false on time-out.
        bool waitForStops(int count);
    };

    explicit RecordingBackend(std::shared_ptr<Log> log) : m_log(std::move(log)) {}

    Result<std::unique_ptr<SoundBuffer>> createBuffer(const WAVEFORMATEX& format, std::span<const std::uint8_t> data,
                                                      DWORD flags) override;
    Result<std::unique_ptr<SoundBuffer>> duplicate(const SoundBuffer& buffer) override;
    Result<std::unique_ptr<StreamBuffer>> createStream(const WAVEFORMATEX& format, DWORD flags) override;

private:
    std::shared_ptr<Log> m_log;
};

} // namespace platform::sound::testing
