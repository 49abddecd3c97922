#include "platform/sound/WaveDiskFile.h"
#include "platform/sound/internal/RiffParser.h"

#include "platform/fs/ReadFile.h"
#include "platform/testing/Matchers.h"

#include <fstream>
#include <random>

using namespace platform::sound;

namespace {

class WaveDiskFileTest : public ::testing::Test {
protected:
    WaveDiskFileTest()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "talvo-wave-XXXXXX").string();
        m_folder = ::mkdtemp(pattern.data()) ? pattern : "/nonexistent/talvo-wave";
    }
    ~WaveDiskFileTest() override { std::filesystem::remove_all(m_folder); }

    std::filesystem::path path(const char* name) const { return m_folder / name; }
    static void write(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes)
    {
        std::ofstream(file, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    /// Writes a wave file through CWaveDiskFile and returns its bytes.
    std::vector<std::uint8_t> written(const WAVEFORMATEX& format, const std::vector<std::uint8_t>& data)
    {
        std::filesystem::remove(path("out.wav"));
        CWaveDiskFile file;
        EXPECT_HR(S_OK, file.Open(path("out.wav"), &format, WaveOpenMode::Write));
        DWORD count = 0;
        EXPECT_HR(S_OK, file.Write(data.data(), static_cast<DWORD>(data.size()), &count));
        EXPECT_EQ(data.size(), count);
        EXPECT_FALSE(std::filesystem::exists(path("out.wav")));
        EXPECT_HR(S_OK, file.Close());
        return *platform::fs::readWholeFile(path("out.wav"));
    }

    std::filesystem::path m_folder;
};

std::vector<std::uint8_t> text(std::string_view chars)
{
    return {chars.begin(), chars.end()};
}

std::vector<std::uint8_t> le32(std::uint32_t value)
{
    return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

std::vector<std::uint8_t> join(std::initializer_list<std::vector<std::uint8_t>> parts)
{
    std::vector<std::uint8_t> bytes;
    for (const auto& part : parts) {
        bytes.insert(bytes.end(), part.begin(), part.end());
    }
    return bytes;
}

TEST_F(WaveDiskFileTest, WrittenFileHasItsChunksAndReadsBack)
{
    const WAVEFORMATEX pcm = pcmFormat(1, 22050, 16);
    const std::vector<std::uint8_t> data{1, 2, 3, 4, 5, 6};
    const auto bytes = written(pcm, data);
    EXPECT_EQ(join({text("RIFF"),
                    le32(54),
                    text("WAVEfmt "),
                    le32(16),
                    {1, 0, 1, 0, 0x22, 0x56, 0, 0, 0x44, 0xAC, 0, 0, 2, 0, 16, 0},
                    text("fact"),
                    le32(4),
                    le32(0),
                    text("data"),
                    le32(6),
                    data}),
              bytes);

    CWaveDiskFile file;
    ASSERT_HR(S_OK, file.Open(path("out.wav"), nullptr, WaveOpenMode::Read));
    EXPECT_EQ(pcm, *file.GetFormat());
    EXPECT_EQ(6u, file.GetSize());
    std::uint8_t buffer[8] = {};
    DWORD read = 0;
    EXPECT_HR(S_OK, file.Read(buffer, 4, &read));
    EXPECT_EQ(4u, read);
    EXPECT_HR(S_OK, file.Read(buffer + 4, 4, &read));
    EXPECT_EQ(2u, read);
    EXPECT_EQ(data, std::vector<std::uint8_t>(buffer, buffer + 6));
    EXPECT_HR(S_OK, file.ResetFile());
    EXPECT_HR(S_OK, file.Read(buffer, 8, &read));
    EXPECT_EQ(6u, read);
    EXPECT_HR(E_INVALIDARG, file.Read(nullptr, 8, &read));

    // Other formats carry their extra bytes, and odd chunks are padded.
    WAVEFORMATEX adpcm{2, 1, 8000, 4096, 256, 4, {0xF4, 0x01, 0x07}};
    const auto odd = written(adpcm, {9, 8, 7});
    ASSERT_HR(S_OK, file.Open(path("out.wav"), nullptr, WaveOpenMode::Read));
    EXPECT_EQ(adpcm, *file.GetFormat());
    EXPECT_EQ(3u, file.GetSize());
    EXPECT_EQ(0u, odd.size() % 2);
}

TEST_F(WaveDiskFileTest, MalformedFilesAreRefused)
{
    const auto fmt = join({text("fmt "), le32(16), {1, 0, 1, 0, 0x22, 0x56, 0, 0, 0x44, 0xAC, 0, 0, 2, 0, 16, 0}});
    const auto data = join({text("data"), le32(2), {0, 0}});
    const auto riff = [](std::string_view form, std::initializer_list<std::vector<std::uint8_t>> chunks) {
        auto body = join(chunks);
        return join({text("RIFF"), le32(static_cast<std::uint32_t>(body.size() + 4)), text(form), body});
    };
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
    };
    const Case cases[] = {
        {"empty", {}},
        {"not RIFF", join({text("RIFX"), le32(4), text("WAVE")})},
        {"not WAVE", riff("AVI ", {fmt, data})},
        {"no fmt", riff("WAVE", {data})},
        {"no data", riff("WAVE", {fmt})},
        {"short fmt", riff("WAVE", {join({text("fmt "), le32(14), std::vector<std::uint8_t>(14, 1)}), data})},
        {"cut fmt",
         join({text("RIFF"), le32(100), text("WAVE"), std::vector<std::uint8_t>(fmt.begin(), fmt.end() - 4)})},
        {"extra beyond fmt",
         riff("WAVE",
              {join({text("fmt "), le32(18), {2, 0, 1, 0, 0x40, 0x1F, 0, 0, 0, 0x10, 0, 0, 0, 1, 4, 0, 9, 0}}), data})},
        {"no block align",
         riff("WAVE", {join({text("fmt "), le32(16), {1, 0, 1, 0, 0x22, 0x56, 0, 0, 0, 0, 0, 0, 0, 0, 16, 0}}), data})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        write(path("bad.wav"), c.bytes);
        CWaveDiskFile file;
        EXPECT_HR(E_FAIL, file.Open(path("bad.wav"), nullptr, WaveOpenMode::Read));
        DWORD read = 0;
        std::uint8_t buffer[4];
        EXPECT_HR(CO_E_NOTINITIALIZED, file.Read(buffer, 4, &read));
    }
    CWaveDiskFile missing;
    EXPECT_HR(E_FAIL, missing.Open(path("missing.wav"), nullptr, WaveOpenMode::Read));

    // A data chunk that claims more than the file holds gives what is there.
    write(path("short.wav"), riff("WAVE", {fmt, join({text("data"), le32(1000), {1, 2, 3, 4}})}));
    CWaveDiskFile shortData;
    ASSERT_HR(S_OK, shortData.Open(path("short.wav"), nullptr, WaveOpenMode::Read));
    EXPECT_EQ(4u, shortData.GetSize());

    // One larger than any sound of ours could be is refused before it is read (the file is sparse).
    write(path("huge.wav"), riff("WAVE", {fmt, join({text("data"), le32(0xFFFFFF00u), {1, 2, 3, 4}})}));
    std::filesystem::resize_file(path("huge.wav"), CWaveDiskFile::kMaxFileSize + 1);
    CWaveDiskFile huge;
    EXPECT_HR(E_FAIL, huge.Open(path("huge.wav"), nullptr, WaveOpenMode::Read));
}

TEST_F(WaveDiskFileTest, MutatedFilesAreReadOnlyWithinTheirBytes)
{
    const auto valid = written(WAVEFORMATEX{2, 2, 8000, 4096, 256, 4, {1, 2}}, std::vector<std::uint8_t>(40, 0x55));
    std::mt19937 random(18);
    int parsed = 0;
    for (int round = 0; round < 5000; ++round) {
        auto bytes = valid;
        const int edits = 1 + static_cast<int>(random() % 4);
        for (int edit = 0; edit < edits && !bytes.empty(); ++edit) {
            const std::size_t at = random() % bytes.size();
            switch (random() % 3) {
            case 0:
                bytes[at] = static_cast<std::uint8_t>(random());
                break;
            case 1:
                bytes.resize(at);
                break;
            default:
                bytes[at] = 0xFF;
                break;
            }
        }
        if (const auto wave = internal::parseWave(bytes)) {
            ++parsed;
            ASSERT_LE(wave->dataStart + wave->dataSize, bytes.size()) << "round " << round;
            ASSERT_NE(0, wave->format.nBlockAlign);
        }
    }
    EXPECT_GT(parsed, 0);

    // The file reader goes the same way: a damaged file is refused or read within its bytes.
    auto cut = valid;
    cut.resize(cut.size() - 10);
    write(path("cut.wav"), cut);
    CWaveDiskFile file;
    ASSERT_HR(S_OK, file.Open(path("cut.wav"), nullptr, WaveOpenMode::Read));
    EXPECT_EQ(30u, file.GetSize());
}

} // namespace
