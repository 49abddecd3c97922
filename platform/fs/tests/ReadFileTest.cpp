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
