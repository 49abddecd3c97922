#include "talvodesk/core/sound/SoundPlayback.h"
#include "talvodesk/core/options/Options.h"

#include "talvodata/tests/support/FakeEvent.h"
#include "talvodata/tests/support/ShotBuilder.h"

#include "platform/sound/SoundManager.h"
#include "platform/sound/WaveDiskFile.h"
#include "platform/sound/tests/support/RecordingBackend.h"

#include <gtest/gtest.h>

using namespace talvodesk;
using namespace platform::sound;

namespace {

class SoundPlaybackTest : public ::testing::Test {
protected:
    SoundPlaybackTest()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "talvo-sounds-XXXXXX").string();
        m_folder = ::mkdtemp(pattern.data()) ? pattern : "/nonexistent/talvo-sounds";
        EXPECT_EQ(S_OK, m_manager.Initialize(std::make_unique<platform::sound::testing::RecordingBackend>(m_log)));
    }
    ~SoundPlaybackTest() override { std::filesystem::remove_all(m_folder); }

    /// A sound file whose sample rate tells which file played.
    void install(const char* name, DWORD rate)
    {
        const WAVEFORMATEX format = pcmFormat(1, rate, 8);
        CWaveDiskFile file;
        ASSERT_EQ(S_OK, file.Open(m_folder / (std::string(name) + ".wav"), &format, WaveOpenMode::Write));
        const std::uint8_t data[4] = {1, 2, 3, 4};
        DWORD written = 0;
        ASSERT_EQ(S_OK, file.Write(data, 4, &written));
        ASSERT_EQ(S_OK, file.Close());
    }
    SoundContext context() { return SoundContext{m_options, &m_manager, m_folder, 1033}; }
    /// The rate of the last sound played, 0 when none was.
    DWORD played()
    {
        std::lock_guard lock(m_log->mutex);
        return m_log->plays == m_lastPlays ? 0 : (m_lastPlays = m_log->plays, m_log->formats.back().nSamplesPerSec);
    }

    std::filesystem::path m_folder;
    COptions m_options;
    std::shared_ptr<platform::sound::testing::RecordingBackend::Log> m_log =
        std::make_shared<platform::sound::testing::RecordingBackend::Log>();
    CSoundManager m_manager;
    int m_lastPlays = 0;
};

TEST_F(SoundPlaybackTest, LocalizedNamesComeFirst)
{
    EXPECT_FALSE(PlayLocalizedSound(context(), u"Shot"));
    install("Shot", 8000);
    EXPECT_TRUE(PlayLocalizedSound(context(), u"Shot"));
    EXPECT_EQ(8000u, played());
    install("Shot.1033", 11025);
    EXPECT_TRUE(PlayLocalizedSound(context(), u"Shot"));
    EXPECT_EQ(11025u, played());

    m_options.soundEnabled = 0;
    EXPECT_TRUE(PlayLocalizedSound(context(), u"Shot"));
    EXPECT_TRUE(PlaySoundFile(context(), u"missing"));
    EXPECT_EQ(0u, played());

    m_options.soundEnabled = 1;
    CSoundManager silent;
    EXPECT_FALSE(PlaySoundFile(SoundContext{m_options, &silent, m_folder, 1033}, u"Shot"));
    EXPECT_FALSE(PlaySoundFile(SoundContext{m_options, nullptr, m_folder, 1033}, u"Shot"));
}

TEST_F(SoundPlaybackTest, ResultsAreSpokenWithTenthsThenWhole)
{
    struct Case {
        float result;
        std::vector<std::pair<const char*, DWORD>> files;
        DWORD played;
    };
    const Case cases[] = {
        {9.7F, {{"Result 9", 8000}}, 8000},
        {9.7F, {{"Result 9", 8000}, {"Result 9.1033", 9000}}, 9000},
        {9.7F, {{"Result 9.1033", 9000}, {"Result 9.7", 10000}}, 10000},
        {9.7F, {{"Result 9.7", 10000}, {"Result 9.7.1033", 11000}}, 11000},
        {10.0F, {{"Result 10", 12000}, {"Result 10.0", 13000}}, 13000},
        {0.0F, {{"Result 0", 14000}}, 14000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.played);
        for (const auto& [name, rate] : c.files) {
            install(name, rate);
        }
        auto event = platform::com::makeComObject<talvodata::testing::FakeEvent>();
        auto shot = talvodata::testing::ShotBuilder(event.get()).result(c.result).build();
        SpeakResult(context(), shot.get());
        EXPECT_EQ(c.played, played());
        for (const auto& entry : std::filesystem::directory_iterator(m_folder)) {
            std::filesystem::remove(entry.path());
        }
        ASSERT_EQ(S_OK, m_manager.Initialize(
                            std::make_unique<platform::sound::testing::RecordingBackend>(m_log))); // Empties the cache.
    }
    SpeakResult(context(), nullptr);
    EXPECT_EQ(0u, played());
}

} // namespace
