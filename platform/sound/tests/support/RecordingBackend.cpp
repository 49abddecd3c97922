#include "platform/sound/tests/support/RecordingBackend.h"

#include <chrono>

namespace platform::sound::testing {

namespace {

constexpr std::chrono::seconds kWaitLimit{10};

class RecordedVoice : public StreamBuffer {
public:
    explicit RecordedVoice(std::shared_ptr<RecordingBackend::Log> log) : m_log(std::move(log)) {}

    Status play(bool /*looping*/) override
    {
        std::lock_guard lock(m_log->mutex);
        ++m_log->plays;
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

protected:
    std::shared_ptr<RecordingBackend::Log> m_log;
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

Result<std::unique_ptr<SoundBuffer>>
RecordingBackend::createBuffer(const WAVEFORMATEX& format, std::span<const std::uint8_t> /*data*/, DWORD /*flags*/)
{
    std::lock_guard lock(m_log->mutex);
    ++m_log->voices;
    m_log->formats.push_back(format);
    return std::unique_ptr<SoundBuffer>(std::make_unique<RecordedVoice>(m_log));
}

Result<std::unique_ptr<SoundBuffer>> RecordingBackend::duplicate(const SoundBuffer& /*buffer*/)
{
    std::lock_guard lock(m_log->mutex);
    ++m_log->voices;
    return std::unique_ptr<SoundBuffer>(std::make_unique<RecordedVoice>(m_log));
}

Result<std::unique_ptr<StreamBuffer>> RecordingBackend::createStream(const WAVEFORMATEX& format, DWORD /*flags*/)
{
    std::lock_guard lock(m_log->mutex);
    ++m_log->voices;
    m_log->formats.push_back(format);
    return std::unique_ptr<StreamBuffer>(std::make_unique<RecordedVoice>(m_log));
}

} // namespace platform::sound::testing
