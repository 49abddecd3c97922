#include "talvodata/DocumentSummary.h"

#include "talvodata/TalvoDocument.h"
#include "talvodata/tests/support/Bytes.h"
#include "talvodata/tests/support/DocumentClasses.h"
#include "talvodata/tests/support/DocumentFiles.h"
#include "talvodata/tests/support/PracticeBuilder.h"
#include "talvodata/tests/support/TempFolder.h"

#include "platform/testing/Matchers.h"

#include <gtest/gtest.h>

#include <limits>

namespace talvodata {
namespace {

using platform::com::Bstr;
using platform::com::ComPtr;
using platform::com::Variant;
using testsupport::Bytes;
using testsupport::PracticeBuilder;

class DocumentSummaryTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testsupport::registerDocumentClassesWhereMissing(); }

    testsupport::TempFolder m_folder;
};

TEST_F(DocumentSummaryTest, SavedSummaryEqualsTheLoadedDocuments)
{
    auto practice = PracticeBuilder()
                        .shooter(u"Ann Smith")
                        .sightingShots(2, 46000.25)
                        .matchShots(12, 46000.5)
                        .value("_comments", Variant::fromString(Bstr("windy")))
                        .value("_position", Variant::fromString(Bstr("prone")))
                        .build();
    const auto path = m_folder.path() / "summary.talvo";
    ASSERT_HR(S_OK, practice->put_FileName(Bstr(path.string()).get()));
    ASSERT_HR(S_OK, practice->Save());

    const auto saved = readSavedSummary(path);
    ASSERT_TRUE(saved.hasValue());
    auto loaded = CTalvoDocument::create().value();
    ASSERT_HR(S_OK, loaded->put_FileName(Bstr(path.string()).get()));
    ASSERT_HR(S_OK, loaded->Load());
    EXPECT_EQ(summariseDocument(*loaded), *saved);
    EXPECT_EQ(u"AR10", saved->eventShortName);
    EXPECT_EQ(u"Ann Smith", saved->shooter);
    EXPECT_EQ(u"windy", saved->comments);
    EXPECT_EQ(u"prone", saved->position);
    EXPECT_EQ(12, saved->matchShots);
    EXPECT_EQ(46000.5, saved->date);
    EXPECT_EQ(CTalvoDocument::kFileVersion, saved->fileVersion);
}

TEST_F(DocumentSummaryTest, DamagedOrMissingSummariesAreRefused)
{
    const auto good = [] { return Bytes().i32(1).i32(10).bstr(u"AR10").bstr(u"Ann").bstr(u"").bstr(u"").f64(46000.5); };
    const auto record = [&](Bytes bytes) { return bytes.i32(12).i32(60).i32(520).f32(530.5F).bytes(); };
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        HRESULT expected;
    };
    const std::vector<Case> cases{
        {"whole", record(good()), S_OK},
        {"short", Bytes().i32(1).i32(10).bstr(u"AR10").bytes(), E_FAIL},
        {"newer version", record(Bytes().i32(2).i32(10).bstr(u"AR10").bstr(u"").bstr(u"").bstr(u"").f64(0)), E_FAIL},
        {"text longer than the record", Bytes().i32(1).i32(10).u32(4000).bytes(), E_FAIL},
        {"negative shots", good().i32(12).i32(-1).i32(0).f32(0).bytes(), E_FAIL},
        {"not a number", good().i32(12).i32(60).i32(520).f32(std::numeric_limits<float>::quiet_NaN()).bytes(), E_FAIL},
    };
    for (const Case& c : cases) {
        auto stream = platform::com::makeComObject<platform::com::MemoryStream>(c.bytes);
        DocumentSummary summary;
        EXPECT_HR(c.expected, readSummary(stream.get(), summary)) << c.name;
    }

    // A file without a summary (saved before there were any) is for the caller to load whole.
    const auto path = m_folder.path() / "old.talvo";
    testsupport::writeDocumentFile(
        path, CLSID_TalvoDocument,
        Bytes().i32(10).bstr(u"Cy").guid(CLSID_AimingCollection).i32(2).i32(0).bstr(u"AR10").i32(0).bytes());
    EXPECT_FALSE(readSavedSummary(path).hasValue());
    EXPECT_FALSE(readSavedSummary(m_folder.path() / "missing.talvo").hasValue());
}

} // namespace
} // namespace talvodata
