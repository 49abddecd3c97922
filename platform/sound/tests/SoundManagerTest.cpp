#include "platform/sound/SoundManager.h"
#include "platform/sound/GenWaveFile.h"
#include "platform/sound/WaveDiskFile.h"

#include "platform/sound/tests/support/RecordingBackend.h"

#include "platform/testing/Matchers.h"

using namespace platform::sound;
using platform::sound::testing::RecordingBackend;

namespace {

class SoundManagerTest : public ::testing::Test {
protected:
    SoundManagerTest()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "talvo-sound-XXXXXX").string();
        m_folder = ::mkdtemp(pattern.data()) ? pattern : "/nonexistent/talvo-sound";
        const WAVEFORMATEX format = pcmFormat(1, 22050, 16);
        CWaveDiskFile file;
        EXPECT_HR(S_OK, file.Open(shot(), &format, WaveOpenMode::Write));
        const std::vector<std::uint8_t> data(4410, 7);
        DWORD written = 0;
        EXPECT_HR(S_OK, file.Write(data.data(), 4410, &written));
        EXPECT_HR(S_OK, file.Close());
    }
    ~SoundManagerTest() override { std::filesystem::remove_all(m_folder); }

    std::filesystem::path shot() const { return m_folder / "Shot.wav"; }

    std::filesystem::path m_folder;
};

TEST_F(SoundManagerTest, CachedSoundsHaveFiveVoicesThatOverlap)
{
    auto log = std::make_shared<RecordingBackend::Log>();
    CSoundManager manager;
    ASSERT_HR(S_OK, manager.Initialize(std::make_unique<RecordingBackend>(log)));
    EXPECT_HR(S_OK, manager.SetPrimaryBufferFormat(2, 22050, 16));
    for (int play = 0; play < 7; ++play) {
        EXPECT_HR(S_OK, manager.PlayCached(shot(), 5));
    }
    EXPECT_EQ(5, log->voices);
    EXPECT_EQ(7, log->plays);
    EXPECT_HR(E_FAIL, manager.PlayCached(m_folder / "missing.wav", 5));
    EXPECT_EQ(5, log->voices);

    std::unique_ptr<CSound> sound;
    EXPECT_HR(E_INVALIDARG, manager.Create(&sound, shot(), 0, 0));
    EXPECT_HR(E_INVALIDARG, manager.Create(nullptr, shot(), 0, 5));
    EXPECT_HR(E_INVALIDARG, manager.CreateStreaming(nullptr, nullptr, 0, 2, 4410));
}

TEST_F(SoundManagerTest, WithoutAnOutputNothingPlaysAndNothingBreaks)
{
    CSoundManager manager;
    EXPECT_FALSE(manager.hasDevice());
    EXPECT_HR(CO_E_NOTINITIALIZED, manager.SetPrimaryBufferFormat(2, 22050, 16));
    EXPECT_HR(CO_E_NOTINITIALIZED, manager.PlayCached(shot(), 5));
    std::unique_ptr<CStreamingSound> tone;
    EXPECT_HR(CO_E_NOTINITIALIZED,
              manager.CreateStreaming(&tone, std::make_unique<CGenWaveFile>(22050, 16, 0xFFFFFFFF), 0x10110, 2, 4410));
    EXPECT_FALSE(tone);

    EXPECT_FALSE(openOpenAlBackend("no such sound device"));
}

TEST_F(SoundManagerTest, OpenAlNullOutputPlaysSoundsAndTheTone)
{
    CSoundManager manager;
    ASSERT_HR(S_OK, manager.Initialize());
    EXPECT_HR(S_OK, manager.PlayCached(shot(), 5));
    EXPECT_HR(S_OK, manager.PlayCached(shot(), 5));

    auto generator = std::make_unique<CGenWaveFile>(22050, 16, 0xFFFFFFFF);
    CGenWaveFile* pitch = generator.get();
    std::unique_ptr<CStreamingSound> tone;
    ASSERT_HR(S_OK, manager.CreateStreaming(&tone, std::move(generator), 0x10110, 2, 4410));
    ASSERT_HR(S_OK, tone->Play(0, DSBPLAY_LOOPING, 0, 0xFFFFFFFF, 0));
    EXPECT_TRUE(tone->IsSoundPlaying());
    pitch->setFrequency(880.0F);
    tone->Get3DBufferInterface(0)->setPosition(0.5F, 0.0F, 0.0F);
    EXPECT_FALSE(tone->Get3DBufferInterface(1));
    EXPECT_HR(S_OK, tone->Stop());
    EXPECT_FALSE(tone->IsSoundPlaying());
}

} // namespace
