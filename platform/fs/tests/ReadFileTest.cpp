#include "platform/fs/ReadFile.h"

#include "platform/testing/Matchers.h"
#include "support/TemporaryFolder.h"

#include <sys/stat.h>
#include <unistd.h>

using namespace platform::fs;
using platform::fs::testing::bytesOf;
using platform::fs::testing::TemporaryFolder;
using platform::fs::testing::writeText;

namespace {

TEST(ReadFileTest, ReadsTheWholeContent)
{
    TemporaryFolder folder;
    for (const std::string& text : {std::string(), std::string("a"), std::string(70000, 'z')}) {
        SCOPED_TRACE(text.size());
        writeText(folder / "file", text);
        const auto bytes = readWholeFile(folder / "file");
        ASSERT_THAT(bytes, IsOk());
        EXPECT_EQ(bytesOf(text), *bytes);
    }
}

TEST(ReadFileTest, ReadsTheStartOfAFile)
{
    TemporaryFolder folder;
    writeText(folder / "file", std::string(10000, 'q') + "tail");
    for (const std::size_t limit :
         {std::size_t{0}, std::size_t{8}, std::size_t{4096}, std::size_t{10004}, std::size_t{20000}}) {
        SCOPED_TRACE(limit);
        const auto bytes = readFileStart(folder / "file", limit);
        ASSERT_THAT(bytes, IsOk());
        EXPECT_EQ(std::min<std::size_t>(limit, 10004), bytes->size());
    }
    EXPECT_THAT(readFileStart(folder / "absent", 8), FailsWith(STG_E_FILENOTFOUND));
}

TEST(ReadFileTest, MapsFailuresToStorageResults)
{
    TemporaryFolder folder;
    std::filesystem::create_directory(folder / "sub");
    EXPECT_THAT(readWholeFile(folder / "absent"), FailsWith(STG_E_FILENOTFOUND));
    EXPECT_THAT(readWholeFile(folder / "absent" / "file"), FailsWith(STG_E_PATHNOTFOUND));
    EXPECT_THAT(readWholeFile(folder / "sub"), FailsWith(STG_E_ACCESSDENIED));
}

TEST(ReadFileTest, UnreadableFileIsAccessDenied)
{
    if (::geteuid() == 0) {
        GTEST_SKIP() << "permission bits do not stop root";
    }
    TemporaryFolder folder;
    writeText(folder / "file", "secret");
    ASSERT_EQ(0, ::chmod((folder / "file").c_str(), 0));
    EXPECT_THAT(readWholeFile(folder / "file"), FailsWith(STG_E_ACCESSDENIED));
}

} // namespace
