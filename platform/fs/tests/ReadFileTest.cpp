#include "platform/fs/ReadFile.h"

#include "platform/fs/tests/support/TemporaryFolder.h"
#include "platform/testing/Matchers.h"
#include "platform/testing/Unprivileged.h"

#include <chrono>
#include <fcntl.h>
#include <future>
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

TEST(ReadFileTest, AFileOverItsLimitIsRefusedBeforeItIsRead)
{
    TemporaryFolder folder;
    // A sparse gigabyte: reading it whole would take a gigabyte of memory.
    writeText(folder / "huge", "");
    std::filesystem::resize_file(folder / "huge", std::uintmax_t{1} << 30);
    const auto refused = readWholeFile(folder / "huge", std::size_t{1} << 20);
    EXPECT_THAT(refused, FailsWith(STG_E_INSUFFICIENTMEMORY));
    EXPECT_NE(refused ? std::string::npos : refused.error().detail.find("1073741824 bytes"), std::string::npos);
    writeText(folder / "file", std::string(100, 'q'));
    EXPECT_THAT(readWholeFile(folder / "file", 99), FailsWith(STG_E_INSUFFICIENTMEMORY));
    const auto whole = readWholeFile(folder / "file", 100);
    ASSERT_THAT(whole, IsOk());
    EXPECT_EQ(100U, whole->size());
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
    TemporaryFolder folder;
    writeText(folder / "file", "secret");
    ASSERT_EQ(0, ::chmod((folder / "file").c_str(), 0));
    platform::testing::handOver(folder.path());
    platform::testing::runUnprivileged(
        [&] { EXPECT_THAT(readWholeFile(folder / "file"), FailsWith(STG_E_ACCESSDENIED)); });
}

TEST(ReadFileTest, NamedPipeIsRefusedWithoutWaitingForAWriter)
{
    TemporaryFolder folder;
    const auto pipe = folder / "practice.talvo";
    ASSERT_EQ(0, ::mkfifo(pipe.c_str(), 0600));
    auto read = std::async(std::launch::async, [&] { return readFileStart(pipe, 8); });
    if (read.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        ADD_FAILURE() << "reading a named pipe waits for a writer";
        const int writer = ::open(pipe.c_str(), O_WRONLY); // Lets the blocked reader go.
        ::close(writer);
    }
    EXPECT_THAT(read.get(), FailsWith(STG_E_ACCESSDENIED));
}

} // namespace
