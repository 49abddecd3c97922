#include "platform/fs/ProgramFolder.h"
#include "talvodesk/core/range/RangeSequence.h"
#include "talvodesk/core/sound/SoundPlayback.h"

#include "platform/com/Bstr.h"
#include "platform/sound/WaveDiskFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace talvodesk;
namespace fs = std::filesystem;

namespace {

constexpr double kShortest = 0.1;
constexpr double kLongest = 5.0;
// Five to ten megabytes a spoken language at 22050 Hz, eighteen languages.
constexpr std::uintmax_t kMostBytes = 128U << 20;
// The sounds that are the same in every language, so only their plain names exist.
constexpr std::u16string_view kUnspoken[] = {u"Shot", u"beep-start", u"beep-stop"};

/// The installed data folder (`TALVO_DATA_DIR`, the share/talvo of an install), else the one beside the tests,
/// which mirrors it.
fs::path dataFolder()
{
    const char* installed = std::getenv("TALVO_DATA_DIR");
    return installed ? fs::path(installed) : platform::fs::dataFolder("sounds").parent_path();
}

/// Every name the program plays: the shot, the range commands' prompts and each result it can speak.
std::vector<std::u16string> playedNames()
{
    std::vector<std::u16string> names{u"Shot"};
    for (const std::u16string_view prompt : RangePrompts()) {
        names.emplace_back(prompt);
    }
    for (int tenths = 0; tenths <= 109; ++tenths) {
        const auto spoken = ResultSoundNames(static_cast<float>(tenths) / 10);
        names.push_back(spoken[0]);
        if (tenths % 10 == 0) {
            names.push_back(spoken[1]);
        }
    }
    return names;
}

/// The language ids whose table ships and whose sounds are spoken (data/sounds/languages.txt).
std::vector<std::string> localizedLanguages()
{
    std::vector<std::string> ids;
    const char* source = std::getenv("TALVO_SOURCE_DIR");
    std::ifstream list(fs::path(source ? source : ".") / "data" / "sounds" / "languages.txt");
    std::string line;
    while (std::getline(list, line)) {
        std::istringstream fields(line);
        std::string id;
        std::string table;
        if (line.starts_with('#') || !(fields >> id >> table) || table == "-") {
            continue;
        }
        if (fs::exists(dataFolder() / "lang" / (table + ".lang"))) {
            ids.push_back(id);
        }
    }
    return ids;
}

/// Checks one sound as the program would play it: a PCM wave the reader opens, of a length a prompt can have,
/// loud enough to hear, and starting at once.
void expectPlayable(const fs::path& file)
{
    SCOPED_TRACE(file.string());
    platform::sound::CWaveDiskFile wave;
    ASSERT_EQ(S_OK, wave.Open(file, nullptr, platform::sound::WaveOpenMode::Read));
    const platform::sound::WAVEFORMATEX& format = *wave.GetFormat();
    ASSERT_EQ(platform::sound::WAVE_FORMAT_PCM, format.wFormatTag);
    ASSERT_EQ(16, format.wBitsPerSample);
    ASSERT_EQ(1, format.nChannels);
    const double seconds = static_cast<double>(wave.GetSize()) / format.nAvgBytesPerSec;
    EXPECT_GE(seconds, kShortest);
    EXPECT_LE(seconds, kLongest);
    std::vector<std::int16_t> samples(wave.GetSize() / 2);
    DWORD read = 0;
    ASSERT_EQ(S_OK, wave.Read(reinterpret_cast<std::uint8_t*>(samples.data()), wave.GetSize(), &read));
    const auto loud = [](std::int16_t sample) { return std::abs(int{sample}) > 32767 / 50; };
    const auto first = std::find_if(samples.begin(), samples.end(), loud);
    ASSERT_NE(first, samples.end()) << "silent";
    EXPECT_LT(static_cast<double>(first - samples.begin()) / format.nSamplesPerSec, 0.02) << "leading silence";
    const auto peak = std::max_element(samples.begin(), samples.end(), [](std::int16_t a, std::int16_t b) {
        return std::abs(int{a}) < std::abs(int{b});
    });
    EXPECT_GT(std::abs(int{*peak}), 32767 / 4) << "too quiet";
}

TEST(InstalledSoundsTest, EveryNameTheProgramPlaysIsAnEnglishSoundAndEachShippedLanguageHasItsOwn)
{
    const fs::path sounds = dataFolder() / "sounds";
    std::vector<std::string> suffixes{""};
    for (const std::string& id : localizedLanguages()) {
        suffixes.push_back("." + id);
    }
    for (const std::string& suffix : suffixes) {
        for (const std::u16string& name : playedNames()) {
            if (!suffix.empty() && std::find(std::begin(kUnspoken), std::end(kUnspoken), name) != std::end(kUnspoken)) {
                continue;
            }
            const fs::path file = sounds / (platform::com::utf16ToUtf8(name) + suffix + ".wav");
            ASSERT_TRUE(fs::is_regular_file(file)) << file;
            expectPlayable(file);
        }
    }
}

TEST(InstalledSoundsTest, AllSoundsTogetherStayWithinTheirBudget)
{
    std::uintmax_t bytes = 0;
    for (const auto& entry : fs::directory_iterator(dataFolder() / "sounds")) {
        bytes += entry.file_size();
    }
    EXPECT_LE(bytes, kMostBytes);
    RecordProperty("bytes", std::to_string(bytes));
}

} // namespace
