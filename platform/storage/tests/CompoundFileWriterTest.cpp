#include "platform/storage/CompoundFile.h"

#include "platform/com/Bstr.h"
#include "platform/com/LittleEndian.h"
#include "platform/fs/ReadFile.h"
#include "platform/fs/tests/support/TemporaryFolder.h"
#include "platform/storage/tests/support/StorageHelpers.h"
#include "platform/testing/Matchers.h"

#include <cstdlib>

using namespace platform::storage;
using namespace platform::storage::testing;
using platform::com::ComPtr;
using platform::fs::testing::TemporaryFolder;

namespace {

constexpr CLSID kDocumentClass = platform::com::makeGuid("6B1D5A34-8C2E-4F0B-9E27-3D41A5C6B708");
constexpr DWORD kCreateWrite = STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE;

std::uint32_t headerField(const std::vector<std::uint8_t>& bytes, std::size_t offset)
{
    return platform::com::loadLittleEndian<std::uint32_t>(&bytes[offset]);
}

struct StreamSpec {
    std::string path; // "Storage/Stream"
    std::size_t size;
    unsigned seed;
};

/// Writes the streams (creating the storages on their paths) into a new compound file at `file`.
void writeFile(const std::filesystem::path& file, const std::vector<StreamSpec>& streams)
{
    auto created = createCompoundFile(file, CreateMode::CreateOnly);
    ASSERT_THAT(created, IsOk());
    ASSERT_HR(S_OK, (*created)->SetClass(kDocumentClass));
    for (const StreamSpec& spec : streams) {
        ComPtr<IStorage> storage = *created;
        std::string rest = spec.path;
        for (auto slash = rest.find('/'); slash != std::string::npos; slash = rest.find('/')) {
            const std::u16string name = platform::com::utf8ToUtf16(rest.substr(0, slash));
            ComPtr<IStorage> child;
            if (FAILED(storage->OpenStorage(name.c_str(), STGM_READWRITE, child.put()))) {
                ASSERT_HR(S_OK, storage->CreateStorage(name.c_str(), kCreateWrite, child.put()));
            }
            storage = child;
            rest = rest.substr(slash + 1);
        }
        ASSERT_HR(S_OK, writeStream(*storage, platform::com::utf8ToUtf16(rest), pattern(spec.size, spec.seed)));
    }
    ASSERT_HR(S_OK, (*created)->Commit(STGC_DEFAULT));
}

#ifdef TALVO_PYTHON3
/// Runs olefile_check.py over the file; its output shows in the test log.
int checkWithOlefile(const std::filesystem::path& file, const std::vector<StreamSpec>& streams)
{
    std::string command = std::string("'") + TALVO_PYTHON3 + "' '" + TALVO_OLEFILE_CHECK + "' '" + file.string() +
                          "' " + platform::com::guidToString(kDocumentClass);
    for (const StreamSpec& spec : streams) {
        command += " '" + spec.path + ":" + std::to_string(spec.size) + ":" + std::to_string(spec.seed) + "'";
    }
    return std::system(command.c_str());
}

TEST(CompoundFileWriterTest, OlefileReadsOurFiles)
{
    TemporaryFolder folder;
    const std::vector<std::vector<StreamSpec>> files = {
        {{"Contents", 1000, 1},
         {"Empty", 0, 2},
         {"Exact", 4096, 3},
         {"Nested/Inner", 4095, 4},
         {"Nested/Deeper/Last", 70000, 5}},
        // More than 109 FAT sectors (7 MB of sectors), so the DIFAT is needed.
        {{"Contents", 8 * 1024 * 1024, 6}, {"Small", 100, 7}},
    };
    for (std::size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(i);
        const auto path = folder / ("file" + std::to_string(i) + ".talvo");
        writeFile(path, files[i]);
        EXPECT_EQ(0, checkWithOlefile(path, files[i]));
    }
}
#endif

TEST(CompoundFileWriterTest, LargeFilesUseTheDifatAndReadBack)
{
    auto storage = createCompoundFileInMemory();
    const auto content = pattern(8 * 1024 * 1024, 6);
    ASSERT_HR(S_OK, writeStream(*storage, u"Contents", content));
    const auto bytes = compoundFileBytes(*storage);
    ASSERT_THAT(bytes, IsOk());
    EXPECT_GT(headerField(*bytes, 44), 109u);
    EXPECT_GT(headerField(*bytes, 72), 0u);
    auto opened = openCompoundFileInMemory(*bytes);
    ASSERT_THAT(opened, IsOk());
    const auto read = readStream(**opened, u"Contents");
    ASSERT_THAT(read, IsOk());
    EXPECT_TRUE(*read == content);
}

TEST(CompoundFileWriterTest, SiblingSetsAreValidRedBlackTrees)
{
    for (const unsigned count : {1u, 2u, 3u, 4u, 5u, 7u, 8u, 15u, 16u, 17u, 100u, 255u}) {
        SCOPED_TRACE(count);
        auto storage = createCompoundFileInMemory();
        ComPtr<IStorage> nested;
        ASSERT_HR(S_OK, storage->CreateStorage(u"Nested", kCreateWrite, nested.put()));
        for (unsigned i = 0; i < count; ++i) {
            // Names of mixed length and case, added out of order.
            const std::string name = (i % 3 ? "s" : "Stream") + std::to_string((i * 37) % 1000);
            ASSERT_HR(S_OK, writeStream(*storage, platform::com::utf8ToUtf16(name), pattern(1, i)));
            ASSERT_HR(S_OK, writeStream(*nested, platform::com::utf8ToUtf16(name), pattern(2, i)));
        }
        const auto bytes = compoundFileBytes(*storage);
        ASSERT_THAT(bytes, IsOk());
        EXPECT_EQ("", checkDirectoryTrees(*bytes));
    }
}

} // namespace
