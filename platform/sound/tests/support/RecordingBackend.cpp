#include "platform/sound/tests/support/RecordingBackend.h"

#include <chrono>
#include <cstdint>

namespace platform::sound::testing {

namespace {

constexpr std::chrono::seconds kWaitLimit{10};

class RecordedVoice : public StreamBuffer {
public:
    /// `sound`: the index of the sound it plays in the log, none for a stream.
    RecordedVoice(std::shared_ptr<RecordingBackend::Log> log, std::size_t sound) : m_log(std::move(log)), m_sound(sound)
    {
    }

    std::size_t sound() const { return m_sound; }

    Status play(bool /*looping*/) override
    {
        std::lock_guard lock(m_log->mutex);
        ++m_log->plays;
        if (m_sound != kStream) {
            m_log->played.push_back(m_sound);
        }
        m_playing = true;
        return {};
    }
    void stop() override
    {
        std::lock_guard lock(m_log->mutex);
        ++m_log->stops;
        m_playing = false;
        m_log->changed.notify_all();
    }
    bool isPlaying() const override
    {
        std::lock_guard lock(m_log->mutex);
        return m_playing;
    }
    void setVolume(LONG) override {}
    void setFrequency(DWORD) override {}
    void setPan(LONG) override {}
    void setPosition(float, float, float) override {}

    Status queue(std::span<const std::uint8_t> piece) override
    {
        std::lock_guard lock(m_log->mutex);
        if (m_log->pieces.size() >= m_log->failQueueFrom) {
            return Error{E_FAIL, "queueing refused by the test"};
        }
        m_log->pieces.emplace_back(piece.begin(), piece.end());
        m_log->changed.notify_all();
        return {};
    }
    std::size_t takeProcessed() override
    {
        std::lock_guard lock(m_log->mutex);
        return std::exchange(m_log->piecesToFinish, 0);
    }

    static constexpr std::size_t kStream = SIZE_MAX;

protected:
    std::shared_ptr<RecordingBackend::Log> m_log;
    std::size_t m_sound;
    bool m_playing = false;
};

} // namespace

void RecordingBackend::Log::finishPieces(std::size_t count)
{
    std::lock_guard lock(mutex);
    piecesToFinish += count;
}

bool RecordingBackend::Log::waitForPieces(std::size_t count)
{
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, kWaitLimit, [&] { return pieces.size() >= count; });
}

bool RecordingBackend::Log::waitForStops(int count)
{
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, kWaitLimit, [&] { return stops >= count; });
}

Result<std::unique_ptr<SoundBuffer>> RecordingBackend::createBuffer(const WAVEFORMATEX& format,
                                                                    std::span<const std::uint8_t> data, DWORD /*flags*/)
{
    std::lock_guard lock(m_log->mutex);
    ++m_log->voices;
    m_log->formats.push_back(format);
    m_log->sounds.emplace_back(data.begin(), data.end());
    return std::unique_ptr<SoundBuffer>(std::make_unique<RecordedVoice>(m_log, m_log->sounds.size() - 1));
}

Result<std::unique_ptr<SoundBuffer>> RecordingBackend::duplicate(const SoundBuffer& buffer)
{
    std::lock_guard lock(m_log->mutex);
    ++m_log->voices;
    const auto& original = static_cast<const RecordedVoice&>(buffer);
    return std::unique_ptr<SoundBuffer>(std::make_unique<RecordedVoice>(m_log, original.sound()));
}

Result<std::unique_ptr<StreamBuffer>> RecordingBackend::createStream(const WAVEFORMATEX& format, DWORD /*flags*/)
{
    std::lock_guard lock(m_log->mutex);
    ++m_log->voices;
    m_log->formats.push_back(format);
    return std::unique_ptr<StreamBuffer>(std::make_unique<RecordedVoice>(m_log, RecordedVoice::kStream));
}

} // namespace platform::sound::testing
