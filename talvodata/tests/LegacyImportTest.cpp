#include "talvodata/LegacyImport.h"

#include "talvodata/tests/support/DocumentClasses.h"
#include "talvodata/tests/support/DocumentFiles.h"
#include "talvodata/tests/support/Events.h"
#include "talvodata/tests/support/LegacyFileBuilder.h"
#include "talvodata/tests/support/MalformedInputs.h"
#include "talvodata/tests/support/ProgressRecorder.h"
#include "talvodata/tests/support/TempFolder.h"

#include "platform/com/ClassTable.h"
#include "platform/testing/ByteMutator.h"
#include "platform/testing/Matchers.h"
#include "platform/time/OleDate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace talvodata {
namespace {

using platform::com::Bstr;
using platform::com::ComPtr;
using platform::com::Variant;
using testsupport::LegacyAiming;
using testsupport::LegacyFileBuilder;

constexpr std::int32_t kMatch = 0x40;
constexpr std::int32_t kHidden = 0x4000;

/// Seconds since 1 January 1901 of a local calendar time.
std::int32_t legacySeconds(int year, int month, int day, int hour, int minute, int second)
{
    auto date = platform::time::toDate({year, month, day, hour, minute, second, 0});
    EXPECT_TRUE(date.hasValue());
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(std::llround((*date - 367.0) * 86400.0)));
}

class LegacyImportTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testsupport::registerDocumentClassesWhereMissing(); }

    /// Writes the file and loads it through a new document.
    ComPtr<ITalvoDocument> load(const std::vector<std::uint8_t>& file, HRESULT expected = S_OK)
    {
        const auto path = m_folder.path() / "old.prc";
        testsupport::writeFileBytes(path, file);
        ComPtr<ITalvoDocument> document;
        EXPECT_HR(S_OK,
                  CoCreateInstance(CLSID_TalvoDocument, nullptr, CLSCTX_ALL, ITalvoDocument::kIid, document.putVoid()));
        EXPECT_HR(S_OK, document->put_FileName(Bstr(path.string()).get()));
        EXPECT_HR(expected, document->Load());
        VARIANT_BOOL valid = VARIANT_FALSE;
        EXPECT_HR(S_OK, document->get_Valid(&valid));
        EXPECT_EQ(expected == S_OK ? VARIANT_TRUE : VARIANT_FALSE, valid);
        return document;
    }

    static ComPtr<IAiming> aimingOf(ITalvoDocument& document, LONG index)
    {
        ComPtr<IAimingCollection> aimings;
        EXPECT_HR(S_OK, document.get_Aimings(aimings.put()));
        ComPtr<IAiming> aiming;
        EXPECT_HR(S_OK, aimings->get_Item(index, aiming.put()));
        return aiming;
    }

    static LONG aimingCount(ITalvoDocument& document)
    {
        ComPtr<IAimingCollection> aimings;
        EXPECT_HR(S_OK, document.get_Aimings(aimings.put()));
        LONG count = -1;
        EXPECT_HR(S_OK, aimings->get_Count(&count));
        return count;
    }

    static Variant value(ITalvoDocument& document, const char* key)
    {
        Variant result;
        EXPECT_HR(S_OK, document.get_Value(Bstr(key).get(), result.put()));
        return result;
    }

    static std::u16string text(const Variant& value)
    {
        EXPECT_EQ(VT_BSTR, value.type());
        return value.type() == VT_BSTR ? std::u16string(platform::com::viewOf(value.get().bstrVal)) : u"";
    }

    testsupport::TempFolder m_folder;
};

TEST_F(LegacyImportTest, ImportsShooterEventAimingsAndComments)
{
    LegacyAiming record;
    record.flags = kMatch | kHidden;
    record.firstComment = "good";
    record.secondComment = "shot";
    record.startSeconds = legacySeconds(2003, 6, 7, 10, 0, 0);
    record.shotSeconds = legacySeconds(2003, 6, 7, 10, 0, 2);
    record.shotIndex = 1;
    record.sampleRate = 100;
    record.scale = 20;
    record.samples = {{10, 10}, {-25, 40}, {7, -3}};
    const auto file = LegacyFileBuilder()
                          .event("air rifle 10 meters")
                          .shooter("J\xF6rg")
                          .comments("calm", "indoors")
                          .coefficient(35)
                          .aiming(record)
                          .bytes();
    auto document = load(file);

    Bstr shooter;
    ASSERT_HR(S_OK, document->get_ShooterName(shooter.put()));
    EXPECT_EQ(u"J\u00f6rg", shooter.view());
    ComPtr<IEventParams> event;
    ASSERT_HR(S_OK, document->get_Event(event.put()));
    EXPECT_EQ(testsupport::shippedEvent("AR10").get(), event.get());
    EXPECT_EQ(u"calm\r\n\r\nindoors", text(value(*document, "_comments")));
    EXPECT_EQ(VT_EMPTY, value(*document, "_position").type());
    LONG version = 0;
    ASSERT_HR(S_OK, document->get_FileVersion(&version));
    EXPECT_EQ(6, version);

    ASSERT_EQ(1, aimingCount(*document));
    auto aiming = aimingOf(*document, 1);
    ComPtr<IAimingAttr> attributes;
    ASSERT_HR(S_OK, aiming->get_Attr(attributes.put()));
    LONG rate = 0;
    LONG coefficient = 0;
    VARIANT_BOOL match = VARIANT_FALSE;
    DATE start = 0;
    DATE entered = 0;
    EXPECT_HR(S_OK, attributes->get_SampleRate(&rate));
    EXPECT_HR(S_OK, attributes->get_FCoefficient(&coefficient));
    EXPECT_HR(S_OK, attributes->get_Match(&match));
    EXPECT_HR(S_OK, attributes->get_StartTime(&start));
    EXPECT_HR(S_OK, attributes->get_EnterTime(&entered));
    EXPECT_EQ(100, rate);
    EXPECT_EQ(35, coefficient);
    EXPECT_EQ(VARIANT_TRUE, match);
    auto expectedStart = platform::time::toDate({2003, 6, 7, 10, 0, 0, 0});
    EXPECT_NEAR(*expectedStart, start, 1e-9);
    EXPECT_EQ(start, entered);

    ComPtr<IAimingTrace> trace;
    ASSERT_HR(S_OK, aiming->get_Trace(trace.put()));
    LONG count = 0;
    EXPECT_HR(S_OK, trace->get_Count(&count));
    EXPECT_EQ(3, count);
    LONG first = 0;
    ASSERT_HR(S_OK, trace->get_First(&first));
    LONG x = 0;
    LONG y = 0;
    ASSERT_HR(S_OK, trace->_GetPoint(first + 1, &x, &y));
    EXPECT_EQ(-125, x); // Hundredths of a millimetre, y turned upwards.
    EXPECT_EQ(-200, y);
    ASSERT_HR(S_OK, trace->_GetPoint(first + 2, &x, &y));
    EXPECT_EQ(35, x);
    EXPECT_EQ(15, y);
    VARIANT_BOOL readOnly = VARIANT_FALSE;
    EXPECT_HR(S_OK, trace->get_ReadOnly(&readOnly));
    EXPECT_EQ(VARIANT_TRUE, readOnly);

    LONG shots = 0;
    ASSERT_HR(S_OK, aiming->get_ShotCount(&shots));
    ASSERT_EQ(1, shots);
    ComPtr<IShot> shot;
    ASSERT_HR(S_OK, aiming->get_Shot(1, shot.put()));
    LONG traceIndex = 0;
    VARIANT_BOOL hidden = VARIANT_FALSE;
    VARIANT_BOOL missed = VARIANT_TRUE;
    DATE shotTime = 0;
    EXPECT_HR(S_OK, shot->get_TraceIndex(&traceIndex));
    EXPECT_HR(S_OK, shot->get_Hidden(&hidden));
    EXPECT_HR(S_OK, shot->get_Missed(&missed));
    EXPECT_HR(S_OK, shot->get_ShotTime(&shotTime));
    EXPECT_EQ(first + 1, traceIndex);
    EXPECT_EQ(VARIANT_TRUE, hidden);
    EXPECT_EQ(VARIANT_FALSE, missed);
    EXPECT_NEAR(*expectedStart + 2.0 / 86400.0, shotTime, 1e-9);
    Variant comment;
    ASSERT_HR(S_OK, shot->get_Value(Bstr("_comments").get(), comment.put()));
    EXPECT_EQ(u"good\r\n\r\nshot", text(comment));
}

TEST_F(LegacyImportTest, ReadsEveryFileAndRecordVersion)
{
    for (std::int32_t fileVersion = 0; fileVersion <= 6; ++fileVersion) {
        for (std::int32_t recordVersion = 0; recordVersion <= 6; ++recordVersion) {
            SCOPED_TRACE(testing::Message() << "file " << fileVersion << ", record " << recordVersion);
            LegacyAiming record;
            record.version = recordVersion;
            record.flags = recordVersion % 2 ? kMatch : 0;
            record.shotIndex = 2;
            record.samples = {{1, 1}, {2, 2}, {40, -60}, {3, 3}};
            const auto file = LegacyFileBuilder()
                                  .version(fileVersion)
                                  .tagLength(fileVersion % 2 ? 10 : 21)
                                  .event("Air Pistol 10 Meters")
                                  .coefficient(fileVersion)
                                  .aiming(record)
                                  .aiming(record)
                                  .bytes();
            auto document = load(file);
            ASSERT_EQ(2, aimingCount(*document));
            LONG version = -1;
            EXPECT_HR(S_OK, document->get_FileVersion(&version));
            EXPECT_EQ(fileVersion, version);
            auto aiming = aimingOf(*document, 2);
            LONG shots = 0;
            ASSERT_HR(S_OK, aiming->get_ShotCount(&shots));
            EXPECT_EQ(1, shots);
            ComPtr<IAimingTrace> trace;
            ASSERT_HR(S_OK, aiming->get_Trace(trace.put()));
            LONG first = 0;
            LONG x = 0;
            LONG y = 0;
            ASSERT_HR(S_OK, trace->get_First(&first));
            ASSERT_HR(S_OK, trace->_GetPoint(first + 2, &x, &y));
            EXPECT_EQ(200, x);
            EXPECT_EQ(300, y);
            ComPtr<IAimingAttr> attributes;
            ASSERT_HR(S_OK, aiming->get_Attr(attributes.put()));
            LONG coefficient = -1;
            EXPECT_HR(S_OK, attributes->get_FCoefficient(&coefficient));
            EXPECT_EQ(fileVersion, coefficient);
        }
    }
}

TEST_F(LegacyImportTest, ThreePositionFilesKnowTheirPosition)
{
    struct Case {
        const char* event;
        std::vector<std::int32_t> flags;
        const char16_t* position;
    };
    const Case cases[] = {
        {"Smallbore Free Rifle three Positions 50 Meters", {16 | kMatch, 16}, u"prone"},
        {"SMALLBORE FREE RIFLE ENGLISH MATCH 50 METERS", {8, 8}, u"standing"},
        {"Smallbore Free Rifle three Positions 50 Meters", {4}, u"kneeling"},
        {"Smallbore Free Rifle three Positions 50 Meters", {8, 16}, nullptr},
        {"Smallbore Free Rifle three Positions 50 Meters", {0}, nullptr},
        {"Air Rifle 10 Meters", {16}, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.event);
        LegacyFileBuilder builder;
        builder.event(c.event);
        for (std::int32_t flags : c.flags) {
            LegacyAiming record;
            record.flags = flags;
            builder.aiming(record);
        }
        auto document = load(builder.bytes());
        const Variant position = value(*document, "_position");
        if (c.position) {
            EXPECT_EQ(c.position, text(position));
        } else {
            EXPECT_EQ(VT_EMPTY, position.type());
        }
    }
}

TEST_F(LegacyImportTest, CommentsJoinOnlyWhatIsThere)
{
    struct Case {
        const char* first;
        const char* second;
        const char16_t* document;
        const char16_t* shot;
    };
    const Case cases[] = {
        {"a", "b", u"a\r\n\r\nb", u"a\r\n\r\nb"},
        {"a", "", u"a", u"a"},
        {"", "b", nullptr, u"b"},
        {"", "", nullptr, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "'" << c.first << "' '" << c.second << "'");
        LegacyAiming record;
        record.firstComment = c.first;
        record.secondComment = c.second;
        auto document = load(LegacyFileBuilder().comments(c.first, c.second).aiming(record).bytes());
        const Variant documentComment = value(*document, "_comments");
        ComPtr<IShot> shot;
        ASSERT_HR(S_OK, aimingOf(*document, 1)->get_Shot(1, shot.put()));
        Variant shotComment;
        ASSERT_HR(S_OK, shot->get_Value(Bstr("_comments").get(), shotComment.put()));
        if (c.document) {
            EXPECT_EQ(c.document, text(documentComment));
        } else {
            EXPECT_EQ(VT_EMPTY, documentComment.type());
        }
        if (c.shot) {
            EXPECT_EQ(c.shot, text(shotComment));
        } else {
            EXPECT_EQ(VT_EMPTY, shotComment.type());
        }
    }
}

TEST_F(LegacyImportTest, ProgressCountsAimingsFromZero)
{
    LegacyFileBuilder builder;
    for (int i = 0; i < 3; ++i) {
        builder.aiming(LegacyAiming{});
    }
    const auto path = m_folder.path() / "progress.prc";
    testsupport::writeFileBytes(path, builder.bytes());
    ComPtr<ITalvoDocument> document;
    ASSERT_HR(S_OK,
              CoCreateInstance(CLSID_TalvoDocument, nullptr, CLSCTX_ALL, ITalvoDocument::kIid, document.putVoid()));
    ASSERT_HR(S_OK, document->put_FileName(Bstr(path.string()).get()));
    testsupport::ProgressAdvice progress(document.get(), DIID__ITalvoDocumentEvents);
    ASSERT_HR(S_OK, document->Load());
    EXPECT_EQ((std::vector<std::pair<LONG, LONG>>{{0, 3}, {1, 3}, {2, 3}}), progress.calls());
}

TEST_F(LegacyImportTest, ShotOutsideTheSamplesIsNotCreated)
{
    LegacyAiming record;
    record.shotIndex = 5;
    record.samples = {{1, 1}, {2, 2}};
    auto document = load(LegacyFileBuilder().aiming(record).bytes());
    ASSERT_EQ(1, aimingCount(*document));
    LONG shots = -1;
    ASSERT_HR(S_OK, aimingOf(*document, 1)->get_ShotCount(&shots));
    EXPECT_EQ(0, shots);
}

TEST_F(LegacyImportTest, ShotBeforeTheStartDatesTheStartBack)
{
    LegacyAiming record;
    record.startSeconds = 1000000;
    record.shotSeconds = 999990;
    record.sampleRate = 50;
    record.samples.assign(100, {0, 0}); // Two seconds of trace.
    auto document = load(LegacyFileBuilder().aiming(record).bytes());
    ComPtr<IAimingAttr> attributes;
    ASSERT_HR(S_OK, aimingOf(*document, 1)->get_Attr(attributes.put()));
    DATE start = 0;
    ASSERT_HR(S_OK, attributes->get_StartTime(&start));
    EXPECT_NEAR(999988.0 / 86400.0 + 367.0, start, 1e-9);

    // The time counts unsigned: the largest stored value is after 2037.
    record.startSeconds = -1;
    record.shotSeconds = -1;
    document = load(LegacyFileBuilder().aiming(record).bytes());
    ASSERT_HR(S_OK, aimingOf(*document, 1)->get_Attr(attributes.put()));
    ASSERT_HR(S_OK, attributes->get_StartTime(&start));
    EXPECT_NEAR(4294967295.0 / 86400.0 + 367.0, start, 1e-9);
}

TEST_F(LegacyImportTest, LongStringsKeepTheirFirst499Bytes)
{
    auto document = load(LegacyFileBuilder().shooter(std::string(600, 'n')).aiming(LegacyAiming{}).bytes());
    Bstr shooter;
    ASSERT_HR(S_OK, document->get_ShooterName(shooter.put()));
    EXPECT_EQ(std::u16string(499, u'n'), shooter.view());
}

/// A file whose shooter name claims 0x7FFFFFFF bytes.
std::vector<std::uint8_t> hugeShooterName()
{
    auto file = LegacyFileBuilder().shooter("@@@").aiming(LegacyAiming{}).bytes();
    const std::string marker = "@@@";
    const auto at = std::search(file.begin(), file.end(), marker.begin(), marker.end());
    const std::uint8_t huge[] = {0xFF, 0xFF, 0xFF, 0x7F};
    std::copy(std::begin(huge), std::end(huge), at - 4);
    return file;
}

TEST_F(LegacyImportTest, RefusesWhatItCannotRead)
{
    auto withAiming = [](auto change) {
        LegacyAiming record;
        change(record);
        return LegacyFileBuilder().aiming(LegacyAiming{}).aiming(record).bytes();
    };
    struct Case {
        const char* name;
        std::vector<std::uint8_t> file;
        HRESULT expected;
        LONG aimingsKept;
    };
    const Case cases[] = {
        {"tag length 20", LegacyFileBuilder().tagLength(20).bytes(), E_FAIL, 0},
        {"unknown event", LegacyFileBuilder().event("Air Rifle 10 Meter").bytes(), E_FAIL, 0},
        {"no samples", withAiming([](LegacyAiming& r) { r.samples.clear(); }), E_OUTOFMEMORY, 1},
        {"16380 samples", withAiming([](LegacyAiming& r) {
             r.samples.assign(16380, {1, 1});
         }),
         S_OK, 2},
        {"16381 samples", withAiming([](LegacyAiming& r) {
             r.samples.assign(16381, {1, 1});
         }),
         E_OUTOFMEMORY, 1},
        {"samples claimed past the end", withAiming([](LegacyAiming& r) { r.claimedCount = 9; }), E_FAIL, 1},
        {"sample rate 19", withAiming([](LegacyAiming& r) { r.sampleRate = 19; }), E_FAIL, 1},
        {"sample rate 501", withAiming([](LegacyAiming& r) { r.sampleRate = 501; }), E_FAIL, 1},
        {"scale 0", withAiming([](LegacyAiming& r) { r.scale = 0; }), E_FAIL, 1},
        {"more aimings claimed", LegacyFileBuilder().claimedAimings(2).aiming(LegacyAiming{}).bytes(), E_FAIL, 1},
        {"negative aiming count", LegacyFileBuilder().claimedAimings(-1).bytes(), E_FAIL, 0},
        {"tag past the end", std::vector<std::uint8_t>{'T', 'A', 'L', 'V', 'O', 10, 0, 0, 0}, E_FAIL, 0},
        {"string past the end", hugeShooterName(), E_FAIL, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto document = load(c.file, c.expected);
        EXPECT_EQ(c.aimingsKept, aimingCount(*document));
    }
}

TEST_F(LegacyImportTest, TruncatedAndMutatedFilesFailWithoutHarm)
{
    LegacyAiming record;
    record.firstComment = "c";
    record.samples = {{1, 2}, {3, 4}, {5, 6}};
    const auto file = LegacyFileBuilder().comments("x", "y").aiming(record).aiming(record).bytes();
    const auto path = m_folder.path() / "hostile.prc";
    ComPtr<ITalvoDocument> document;
    ASSERT_HR(S_OK,
              CoCreateInstance(CLSID_TalvoDocument, nullptr, CLSCTX_ALL, ITalvoDocument::kIid, document.putVoid()));
    ASSERT_HR(S_OK, document->put_FileName(Bstr(path.string()).get()));
    for (std::size_t size = 0; size < file.size(); ++size) {
        testsupport::writeFileBytes(path,
                                    std::vector<std::uint8_t>(file.begin(), file.begin() + static_cast<long>(size)));
        EXPECT_TRUE(FAILED(document->Load())) << size;
    }
    platform::testing::ByteMutator mutator(99);
    for (int round = 0; round < 300; ++round) {
        testsupport::writeFileBytes(path, mutator.mutate(file, 3));
        const HRESULT hr = document->Load();
        VARIANT_BOOL valid = VARIANT_FALSE;
        ASSERT_HR(S_OK, document->get_Valid(&valid));
        EXPECT_EQ(SUCCEEDED(hr), valid == VARIANT_TRUE);
    }
}

TEST_F(LegacyImportTest, KeptMalformedFilesFail)
{
    const auto inputs = testsupport::keptMalformedInputs("LegacyPractice");
    EXPECT_GE(inputs.size(), 5u);
    for (const auto& [name, file] : inputs) {
        SCOPED_TRACE(name);
        const auto path = m_folder.path() / "malformed.prc";
        testsupport::writeFileBytes(path, file);
        ComPtr<ITalvoDocument> document;
        ASSERT_HR(S_OK,
                  CoCreateInstance(CLSID_TalvoDocument, nullptr, CLSCTX_ALL, ITalvoDocument::kIid, document.putVoid()));
        ASSERT_HR(S_OK, document->put_FileName(Bstr(path.string()).get()));
        EXPECT_TRUE(FAILED(document->Load()));
    }
}

} // namespace
} // namespace talvodata
