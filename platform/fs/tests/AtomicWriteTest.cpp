#include "platform/fs/AtomicWrite.h"

#include "platform/fs/ReadFile.h"
#include "platform/fs/tests/support/ChildProcess.h"
#include "platform/fs/tests/support/TemporaryFolder.h"
#include "platform/testing/Matchers.h"
#include "platform/testing/Unprivileged.h"

#include <csignal>
#include <cstdio>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform::fs;
using platform::fs::testing::bytesOf;
using platform::fs::testing::TemporaryFolder;
using platform::fs::testing::writeText;

namespace {

class AtomicWriteTest : public ::testing::Test {
protected:
    void expectContent(const std::filesystem::path& path, const std::string& text)
    {
        const auto bytes = readWholeFile(path);
        ASSERT_THAT(bytes, IsOk());
        EXPECT_EQ(bytesOf(text), *bytes);
    }

    TemporaryFolder m_folder;
};

TEST_F(AtomicWriteTest, ReplaceWritesTheWholeContentEachTime)
{
    const auto path = m_folder / "doc.tdc";
    for (const std::string& text :
         std::vector<std::string>{"first", "a longer second content", "", std::string(100000, 'x'), "short"}) {
        SCOPED_TRACE(text.size());
        ASSERT_THAT(writeFileAtomically(path, bytesOf(text), WriteMode::Replace), IsOk());
        expectContent(path, text);
        EXPECT_EQ(std::vector<std::string>{"doc.tdc"}, m_folder.names());
    }
}

TEST_F(AtomicWriteTest, TheNextWriteRemovesWhatAKilledSaveLeftAndNothingElse)
{
    const pid_t child = platform::fs::testing::endedProcess();
    ASSERT_GT(child, 0);
    const auto hex = [](long value) {
        char text[32];
        std::snprintf(text, sizeof text, "%lx", value);
        return std::string(text);
    };
    const std::string ended = hex(child);
    const std::string removed[] = {".practice.talvo." + ended + ".0.1a2b3c.0", ".Ann 2026.talvo." + ended + ".3.ff.1"};
    const std::string kept[] = {
        ".practice.talvo." + hex(::getpid()) + ".0.1a2b3c.0", // this program's own
        ".practice.talvo.1.0.1a2b3c.0",                       // a program that runs
        ".practice.talvo",                                    // hidden, but no temporary
        "practice.talvo." + ended + ".0.1a2b3c.0",            // not hidden
        ".practice.talvo." + ended + ".0.1a2b3c",             // three fields
        ".practice.talvo." + ended + ".0.1A2B3C.0",           // not the writer's digits
    };
    for (const auto& name : removed) {
        writeText(m_folder / name, "partial");
    }
    for (const auto& name : kept) {
        writeText(m_folder / name, "kept");
    }
    std::filesystem::create_directory(m_folder / (".folder.talvo." + ended + ".0.1.0"));
    ASSERT_THAT(writeFileAtomically(m_folder / "other.talvo", bytesOf("new"), WriteMode::Replace), IsOk());
    for (const auto& name : removed) {
        EXPECT_FALSE(std::filesystem::exists(m_folder / name)) << name;
    }
    for (const auto& name : kept) {
        EXPECT_TRUE(std::filesystem::exists(m_folder / name)) << name;
    }
    EXPECT_TRUE(std::filesystem::is_directory(m_folder / (".folder.talvo." + ended + ".0.1.0")));
    expectContent(m_folder / "other.talvo", "new");
}

TEST_F(AtomicWriteTest, AStartClearsTheWholeTreeButNotWhereItsLinksLead)
{
    const pid_t child = platform::fs::testing::endedProcess();
    ASSERT_GT(child, 0);
    char writer[16];
    std::snprintf(writer, sizeof writer, "%x", static_cast<unsigned>(child));
    const std::string partial = std::string(".practice.talvo.") + writer + ".0.1a2b3c.0";
    const std::filesystem::path tree = m_folder / "tree";
    const std::filesystem::path outside = m_folder / "outside";
    std::filesystem::create_directories(tree / "Ann" / "AR10");
    std::filesystem::create_directories(outside);
    std::filesystem::create_directory_symlink(outside, tree / "Ann" / "linked");
    for (const auto& folder : {tree, tree / "Ann" / "AR10", outside}) {
        writeText(folder / partial, "partial");
    }
    removeInterruptedSavesBelow(tree);
    EXPECT_FALSE(std::filesystem::exists(tree / partial));
    EXPECT_FALSE(std::filesystem::exists(tree / "Ann" / "AR10" / partial));
    EXPECT_TRUE(std::filesystem::exists(outside / partial));
    removeInterruptedSavesBelow(m_folder / "missing"); // nothing to clear, nothing to report
}

TEST_F(AtomicWriteTest, AnyNameTheFolderTakesCanBeWritten)
{
    // The longest names a Linux folder takes, in one-byte and in two-byte characters (the cut of the temporary
    // name must not split one).
    std::string twoByte;
    for (int i = 0; i < 127; ++i) {
        twoByte += "\u017c";
    }
    for (const std::string& name : {std::string(255, 'n'), std::string(250, 'p') + ".tdc", "a" + twoByte}) {
        SCOPED_TRACE(name.size());
        for (const WriteMode mode : {WriteMode::CreateOnly, WriteMode::Replace}) {
            ASSERT_THAT(writeFileAtomically(m_folder / name, bytesOf("content"), mode), IsOk());
        }
        expectContent(m_folder / name, "content");
        EXPECT_EQ(std::vector<std::string>{name}, m_folder.names());
        std::filesystem::remove(m_folder / name);
    }
}

TEST_F(AtomicWriteTest, CreateOnlyRefusesAnExistingNameAndKeepsIt)
{
    const auto path = m_folder / "doc.tdc";
    ASSERT_THAT(writeFileAtomically(path, bytesOf("original"), WriteMode::CreateOnly), IsOk());
    EXPECT_THAT(writeFileAtomically(path, bytesOf("intruder"), WriteMode::CreateOnly),
                FailsWith(STG_E_FILEALREADYEXISTS));
    expectContent(path, "original");

    std::filesystem::create_directory(m_folder / "folder");
    EXPECT_THAT(writeFileAtomically(m_folder / "folder", bytesOf("x"), WriteMode::CreateOnly),
                FailsWith(STG_E_FILEALREADYEXISTS));
    EXPECT_EQ((std::vector<std::string>{"doc.tdc", "folder"}), m_folder.names());
}

TEST_F(AtomicWriteTest, RefusesToReplaceAFolder)
{
    std::filesystem::create_directory(m_folder / "doc.tdc");
    writeText(m_folder / "doc.tdc" / "inside", "kept");
    EXPECT_THAT(writeFileAtomically(m_folder / "doc.tdc", bytesOf("new"), WriteMode::Replace),
                FailsWith(STG_E_ACCESSDENIED));
    EXPECT_EQ(std::vector<std::string>{"doc.tdc"}, m_folder.names());
    expectContent(m_folder / "doc.tdc" / "inside", "kept");
}

TEST_F(AtomicWriteTest, CheckWritableAnswersWhatAWriteWouldMeet)
{
    writeText(m_folder / "writable", "x");
    writeText(m_folder / "readonly", "x");
    ASSERT_EQ(0, ::chmod((m_folder / "readonly").c_str(), 0444));
    writeText(m_folder / "plain", "x");
    struct Case {
        std::string name;
        WriteMode mode;
        HRESULT expected;
    };
    const Case cases[] = {
        {"absent", WriteMode::Replace, S_OK},
        {"absent", WriteMode::CreateOnly, S_OK},
        {"writable", WriteMode::Replace, S_OK},
        {"writable", WriteMode::CreateOnly, STG_E_FILEALREADYEXISTS},
        {"readonly", WriteMode::Replace, STG_E_ACCESSDENIED},
        {"plain/below", WriteMode::Replace, STG_E_PATHNOTFOUND},
        {"missing/below", WriteMode::CreateOnly, STG_E_PATHNOTFOUND},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_HR(c.expected, checkWritable(m_folder / c.name, c.mode).code());
    }
    EXPECT_EQ((std::vector<std::string>{"plain", "readonly", "writable"}), m_folder.names());
}

TEST_F(AtomicWriteTest, FullDiskKeepsTheOldFile)
{
    const auto path = m_folder / "doc.tdc";
    writeText(path, "old content");
    // A file size limit fails the write as a full disk would, even for root.
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    ASSERT_EQ(0, ::getrlimit(RLIMIT_FSIZE, &previous));
    rlimit limited = previous;
    limited.rlim_cur = 1000;
    ASSERT_EQ(0, ::setrlimit(RLIMIT_FSIZE, &limited));
    const auto status = writeFileAtomically(path, std::vector<std::uint8_t>(5000, 7), WriteMode::Replace);
    ASSERT_EQ(0, ::setrlimit(RLIMIT_FSIZE, &previous));
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_THAT(status, FailsWith(STG_E_MEDIUMFULL));
    expectContent(path, "old content");
    EXPECT_EQ(std::vector<std::string>{"doc.tdc"}, m_folder.names());
}

TEST_F(AtomicWriteTest, ReportsMissingFolderAndMissingName)
{
    EXPECT_THAT(writeFileAtomically(m_folder / "absent" / "doc.tdc", bytesOf("x"), WriteMode::Replace),
                FailsWith(STG_E_PATHNOTFOUND));
    EXPECT_THAT(writeFileAtomically(m_folder.path() / "", bytesOf("x"), WriteMode::Replace),
                FailsWith(STG_E_INVALIDNAME));
    EXPECT_TRUE(m_folder.names().empty());
}

TEST_F(AtomicWriteTest, ReplaceRefusesAReadOnlyFileAndKeepsOtherPermissions)
{
    const auto path = m_folder / "doc.tdc";
    writeText(path, "protected");
    ASSERT_EQ(0, ::chmod(path.c_str(), 0444));
    EXPECT_THAT(writeFileAtomically(path, bytesOf("new"), WriteMode::Replace), FailsWith(STG_E_ACCESSDENIED));
    expectContent(path, "protected");

    ASSERT_EQ(0, ::chmod(path.c_str(), 0640));
    ASSERT_THAT(writeFileAtomically(path, bytesOf("new"), WriteMode::Replace), IsOk());
    struct stat status {};
    ASSERT_EQ(0, ::stat(path.c_str(), &status));
    EXPECT_EQ(0640u, status.st_mode & 07777);
    EXPECT_EQ(std::vector<std::string>{"doc.tdc"}, m_folder.names());
}

TEST_F(AtomicWriteTest, FolderWithoutWritePermissionIsAccessDenied)
{
    const auto folder = m_folder / "locked";
    std::filesystem::create_directory(folder);
    writeText(folder / "doc.tdc", "old");
    ASSERT_EQ(0, ::chmod(folder.c_str(), 0555));
    platform::testing::handOver(m_folder.path());
    platform::testing::runUnprivileged([&] {
        for (const WriteMode mode : {WriteMode::Replace, WriteMode::CreateOnly}) {
            EXPECT_THAT(writeFileAtomically(folder / "doc.tdc", bytesOf("new"), mode), FailsWith(STG_E_ACCESSDENIED));
        }
    });
    expectContent(folder / "doc.tdc", "old");
}

} // namespace
