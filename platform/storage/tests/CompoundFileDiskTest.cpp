#include "platform/storage/CompoundFile.h"

#include "platform/com/Bstr.h"
#include "platform/fs/ReadFile.h"
#include "platform/fs/tests/support/TemporaryFolder.h"
#include "platform/storage/tests/support/StorageHelpers.h"
#include "platform/testing/Matchers.h"

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace platform::storage;
using namespace platform::storage::testing;
using platform::com::ComPtr;
using platform::fs::testing::TemporaryFolder;
using platform::fs::testing::writeText;

namespace {

constexpr CLSID kDocumentClass = platform::com::makeGuid("6B1D5A34-8C2E-4F0B-9E27-3D41A5C6B708");

class CompoundFileDiskTest : public ::testing::Test {
protected:
    /// Writes a compound file holding one stream "Contents" with `size` bytes of pattern `seed`.
    void writeDocument(const std::filesystem::path& path, std::size_t size, unsigned seed)
    {
        auto created = createCompoundFile(path, CreateMode::CreateOrReplace);
        ASSERT_THAT(created, IsOk());
        ASSERT_HR(S_OK, writeStream(**created, u"Contents", pattern(size, seed)));
        ASSERT_HR(S_OK, (*created)->Commit(STGC_DEFAULT));
    }

    void expectDocument(const std::filesystem::path& path, std::size_t size, unsigned seed)
    {
        auto opened = openCompoundFile(path);
        ASSERT_THAT(opened, IsOk());
        const auto bytes = readStream(**opened, u"Contents");
        ASSERT_THAT(bytes, IsOk());
        EXPECT_EQ(pattern(size, seed), *bytes);
    }

    TemporaryFolder m_folder;
};

TEST_F(CompoundFileDiskTest, WritesOnCommitAndAgainWhenTheLastObjectGoes)
{
    const auto path = m_folder / "practice.talvo";
    ComPtr<IStorage> root;
    {
        auto created = createCompoundFile(path, CreateMode::CreateOrReplace);
        ASSERT_THAT(created, IsOk());
        root = std::move(*created);
    }
    ASSERT_HR(S_OK, root->SetClass(kDocumentClass));
    ComPtr<IStream> stream;
    ASSERT_HR(S_OK, root->CreateStream(u"Contents", STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, stream.put()));
    ASSERT_HR(S_OK, stream->Write("first", 5, nullptr));
    EXPECT_FALSE(std::filesystem::exists(path));
    ASSERT_HR(S_OK, root->Commit(STGC_DEFAULT));
    ASSERT_TRUE(std::filesystem::exists(path));

    // The root goes first; the stream still open keeps the file, which is written when the stream goes.
    ASSERT_HR(S_OK, stream->Write(" second", 7, nullptr));
    root.reset();
    stream.reset();

    auto opened = openCompoundFile(path);
    ASSERT_THAT(opened, IsOk());
    STATSTG stat;
    ASSERT_HR(S_OK, (*opened)->Stat(&stat, STATFLAG_DEFAULT));
    EXPECT_EQ(kDocumentClass, stat.clsid);
    EXPECT_EQ(platform::com::utf8ToUtf16(path.string()), stat.name);
    const auto bytes = readStream(**opened, u"Contents");
    ASSERT_THAT(bytes, IsOk());
    EXPECT_EQ(std::string("first second"), std::string(bytes->begin(), bytes->end()));
}

TEST_F(CompoundFileDiskTest, AnEmptyNewFileIsStillWritten)
{
    const auto path = m_folder / "empty.evl";
    ASSERT_THAT(createCompoundFile(path, CreateMode::CreateOnly), IsOk());
    auto opened = openCompoundFile(path);
    ASSERT_THAT(opened, IsOk());
    std::vector<STATSTG> elements;
    ASSERT_HR(S_OK, (*opened)->ListElements(&elements));
    EXPECT_TRUE(elements.empty());
}

TEST_F(CompoundFileDiskTest, CreateOnlyRefusesAnExistingName)
{
    const auto path = m_folder / "practice.talvo";
    writeDocument(path, 100, 1);
    EXPECT_THAT(createCompoundFile(path, CreateMode::CreateOnly), FailsWith(STG_E_FILEALREADYEXISTS));
    expectDocument(path, 100, 1);
}

TEST_F(CompoundFileDiskTest, CreateOnlyNeverReplacesAFileThatAppearsBeforeTheWrite)
{
    const auto path = m_folder / "practice.talvo";
    auto created = createCompoundFile(path, CreateMode::CreateOnly);
    ASSERT_THAT(created, IsOk());
    ASSERT_HR(S_OK, writeStream(**created, u"Contents", pattern(10, 2)));
    writeDocument(path, 100, 1);

    platform::setFailureLogger([](const platform::Error&) {});
    EXPECT_HR(STG_E_FILEALREADYEXISTS, (*created)->Commit(STGC_DEFAULT));
    expectDocument(path, 100, 1);
    EXPECT_EQ(std::vector<std::string>{"practice.talvo"}, m_folder.names());
    created = platform::Error{};
    platform::setFailureLogger(nullptr);
    expectDocument(path, 100, 1);
}

TEST_F(CompoundFileDiskTest, AFullDiskKeepsTheOldFile)
{
    const auto path = m_folder / "practice.talvo";
    writeDocument(path, 100, 1);
    auto created = createCompoundFile(path, CreateMode::CreateOrReplace);
    ASSERT_THAT(created, IsOk());
    ASSERT_HR(S_OK, writeStream(**created, u"Contents", pattern(200000, 2)));

    // A file size limit fails the write as a full disk would, even for root.
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    ASSERT_EQ(0, ::getrlimit(RLIMIT_FSIZE, &previous));
    rlimit limited = previous;
    limited.rlim_cur = 50000;
    ASSERT_EQ(0, ::setrlimit(RLIMIT_FSIZE, &limited));
    platform::setFailureLogger([](const platform::Error&) {});
    const HRESULT hr = (*created)->Commit(STGC_DEFAULT);
    platform::setFailureLogger(nullptr);
    ASSERT_EQ(0, ::setrlimit(RLIMIT_FSIZE, &previous));
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_HR(STG_E_MEDIUMFULL, hr);
    expectDocument(path, 100, 1);
    EXPECT_EQ(std::vector<std::string>{"practice.talvo"}, m_folder.names());
    // With room again, the release writes what the commit could not.
    created = platform::Error{};
    expectDocument(path, 200000, 2);
}

TEST_F(CompoundFileDiskTest, RevertKeepsTheOldFileAfterAFailedSave)
{
    const auto path = m_folder / "practice.talvo";
    writeDocument(path, 100, 1);
    {
        auto created = createCompoundFile(path, CreateMode::CreateOrReplace);
        ASSERT_THAT(created, IsOk());
        ASSERT_HR(S_OK, writeStream(**created, u"Contents", pattern(7, 2)));
        ASSERT_HR(S_OK, (*created)->Revert());
    }
    expectDocument(path, 100, 1);

    // A change after Revert is written again.
    auto created = createCompoundFile(path, CreateMode::CreateOrReplace);
    ASSERT_THAT(created, IsOk());
    ASSERT_HR(S_OK, (*created)->Revert());
    ASSERT_HR(S_OK, writeStream(**created, u"Contents", pattern(9, 3)));
    created = platform::Error{};
    expectDocument(path, 9, 3);
}

TEST_F(CompoundFileDiskTest, ReportsUnwritableTargetsAtCreation)
{
    writeDocument(m_folder / "readonly.talvo", 10, 1);
    ASSERT_EQ(0, ::chmod((m_folder / "readonly.talvo").c_str(), 0444));
    EXPECT_THAT(createCompoundFile(m_folder / "absent" / "x.talvo", CreateMode::CreateOrReplace),
                FailsWith(STG_E_PATHNOTFOUND));
    EXPECT_THAT(createCompoundFile(m_folder / "readonly.talvo", CreateMode::CreateOrReplace),
                FailsWith(STG_E_ACCESSDENIED));
    expectDocument(m_folder / "readonly.talvo", 10, 1);
}

TEST_F(CompoundFileDiskTest, OpeningAndTestingFiles)
{
    writeDocument(m_folder / "document.talvo", 10, 1);
    writeText(m_folder / "flat.prt", "an older flat practice file");
    writeText(m_folder / "short", "");

    EXPECT_THAT(openCompoundFile(m_folder / "absent"), FailsWith(STG_E_FILENOTFOUND));
    EXPECT_THAT(openCompoundFile(m_folder / "flat.prt"), FailsWith(STG_E_INVALIDHEADER));
    EXPECT_THAT(isCompoundFile(m_folder / "absent"), FailsWith(STG_E_FILENOTFOUND));
    struct Case {
        const char* name;
        bool expected;
    };
    for (const Case& c : {Case{"document.talvo", true}, Case{"flat.prt", false}, Case{"short", false}}) {
        SCOPED_TRACE(c.name);
        const auto answer = isCompoundFile(m_folder / c.name);
        ASSERT_THAT(answer, IsOk());
        EXPECT_EQ(c.expected, *answer);
    }
}

} // namespace
