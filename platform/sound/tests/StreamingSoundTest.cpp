#include "platform/sound/GenWaveFile.h"
#include "platform/sound/SoundManager.h"

#include "platform/sound/tests/support/RecordingBackend.h"

#include "platform/testing/Matchers.h"

#include <cmath>
#include <cstring>

using namespace platform::sound;
using platform::sound::testing::RecordingBackend;

namespace {

constexpr DWORD kPiece = 4410;

class StreamingSoundTest : public ::testing::Test {
protected:
    StreamingSoundTest() { EXPECT_HR(S_OK, m_manager.Initialize(std::make_unique<RecordingBackend>(m_log))); }

    std::unique_ptr<CStreamingSound> tone(float hertz)
    {
        auto generator = std::make_unique<CGenWaveFile>(22050, 16, 0xFFFFFFFF);
        generator->setFrequency(hertz);
        std::unique_ptr<CStreamingSound> sound;
        EXPECT_HR(S_OK, m_manager.CreateStreaming(&sound, std::move(generator), 0x10110, 2, kPiece));
        return sound;
    }
    std::vector<std::int16_t> streamed()
    {
        std::lock_guard lock(m_log->mutex);
        std::vector<std::int16_t> samples;
        for (const auto& piece : m_log->pieces) {
            const std::size_t start = samples.size();
            samples.resize(start + piece.size() / 2);
            std::memcpy(samples.data() + start, piece.data(), piece.size());
        }
        return samples;
    }

    std::shared_ptr<RecordingBackend::Log> m_log = std::make_shared<RecordingBackend::Log>();
    CSoundManager m_manager;
};

TEST_F(StreamingSoundTest, ToneIsStreamedInPiecesWithContinuousPhase)
{
    auto sound = tone(1000.0F);
    ASSERT_TRUE(sound);
    EXPECT_EQ(pcmFormat(1, 22050, 16), m_log->formats.at(0));
    ASSERT_HR(S_OK, sound->Play(0, DSBPLAY_LOOPING, 0, 0xFFFFFFFF, 0));
    EXPECT_TRUE(sound->IsSoundPlaying());
    ASSERT_TRUE(m_log->waitForPieces(2));
    m_log->finishPieces(3);
    ASSERT_TRUE(m_log->waitForPieces(5));

    // The same generator read piece by piece gives the same samples, and no piece boundary jumps.
    CGenWaveFile reference(22050, 16, 0xFFFFFFFF);
    reference.setFrequency(1000.0F);
    std::vector<std::int16_t> expected(5 * kPiece / 2);
    for (int piece = 0; piece < 5; ++piece) {
        DWORD read = 0;
        ASSERT_HR(S_OK,
                  reference.Read(reinterpret_cast<std::uint8_t*>(expected.data()) + piece * kPiece, kPiece, &read));
    }
    const auto samples = streamed();
    EXPECT_EQ(expected, samples);
    const double steepest = 16383.5 * 1000.0 / 22050 * 2 * M_PI;
    for (std::size_t i = 1; i < samples.size(); ++i) {
        ASSERT_LE(std::abs(samples[i] - samples[i - 1]), steepest + 1) << "sample " << i;
    }
}

TEST_F(StreamingSoundTest, RefillThreadEndsWhenTheSoundIsDestroyed)
{
    auto sound = tone(500.0F);
    ASSERT_HR(S_OK, sound->Play(0, DSBPLAY_LOOPING, 0, 0xFFFFFFFF, 0));
    m_log->finishPieces(1);
    ASSERT_TRUE(m_log->waitForPieces(3));
    EXPECT_TRUE(sound->isRefilling());
    sound.reset();
    std::lock_guard lock(m_log->mutex);
    EXPECT_EQ(3u, m_log->pieces.size());
}

TEST_F(StreamingSoundTest, AFailedRefillStopsTheVoiceInsteadOfRepeatingOldAudio)
{
    auto sound = tone(500.0F);
    ASSERT_HR(S_OK, sound->Play(0, DSBPLAY_LOOPING, 0, 0xFFFFFFFF, 0));
    {
        std::lock_guard lock(m_log->mutex);
        m_log->failQueueFrom = 3;
    }
    m_log->finishPieces(2);
    ASSERT_TRUE(m_log->waitForStops(2)); // Playing began with a stop that dropped stale pieces.
    EXPECT_FALSE(sound->IsSoundPlaying());
    EXPECT_FALSE(sound->isRefilling());
}

} // namespace
