#include "talvodata/TalvoDocument.h"

#include "talvodata/tests/support/Bytes.h"
#include "talvodata/tests/support/DocumentClasses.h"
#include "talvodata/tests/support/DocumentFiles.h"
#include "talvodata/tests/support/MalformedInputs.h"
#include "talvodata/tests/support/PracticeBuilder.h"
#include "talvodata/tests/support/ProgressRecorder.h"
#include "talvodata/tests/support/TempFolder.h"

#include "platform/fs/Attributes.h"
#include "platform/registry/Key.h"
#include "platform/storage/CompoundFile.h"
#include "platform/testing/ByteMutator.h"
#include "platform/testing/Matchers.h"
#include "platform/testing/Unprivileged.h"
#include "platform/time/OleDate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <regex>

#include <unistd.h>

namespace talvodata {
namespace {

using platform::com::Bstr;
using platform::com::ComPtr;
using platform::com::Variant;
using testsupport::Bytes;
using testsupport::PracticeBuilder;
using testsupport::ProgressAdvice;

DATE dateOf(int year, int month, int day, int hour, int minute, int second, int millisecond = 0)
{
    auto date = platform::time::toDate({year, month, day, hour, minute, second, millisecond});
    EXPECT_TRUE(date.hasValue());
    return date ? *date : 0;
}

/// A dispatch object that cannot be stored: a named value holding it makes every save fail at the last field.
class Unstorable final : public platform::com::ComObject<IDispatch> {
private:
    ~Unstorable() override = default;
};

class TalvoDocumentTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testsupport::registerDocumentClassesWhereMissing(); }

    static ComPtr<ITalvoDocument> newDocument()
    {
        ComPtr<ITalvoDocument> document;
        EXPECT_HR(S_OK,
                  CoCreateInstance(CLSID_TalvoDocument, nullptr, CLSCTX_ALL, ITalvoDocument::kIid, document.putVoid()));
        return document;
    }

    static ComPtr<ITalvoDocument> documentFor(const std::filesystem::path& path)
    {
        auto document = newDocument();
        EXPECT_HR(S_OK, document->put_FileName(Bstr(path.string()).get()));
        return document;
    }

    static bool isValid(ITalvoDocument& document)
    {
        VARIANT_BOOL valid = VARIANT_FALSE;
        EXPECT_HR(S_OK, document.get_Valid(&valid));
        return valid == VARIANT_TRUE;
    }

    static LONG aimingCount(ITalvoDocument& document)
    {
        ComPtr<IAimingCollection> aimings;
        EXPECT_HR(S_OK, document.get_Aimings(aimings.put()));
        LONG count = -1;
        EXPECT_HR(S_OK, aimings->get_Count(&count));
        return count;
    }

    static std::string savedUniqueName(ITalvoDocument& document, const std::filesystem::path& folder)
    {
        EXPECT_HR(S_OK, document.SaveUnique(Bstr(folder.string()).get()));
        Bstr name;
        EXPECT_HR(S_OK, document.get_FileName(name.put()));
        const std::filesystem::path path(name.toUtf8());
        EXPECT_EQ((folder / "x").parent_path(), path.parent_path());
        return path.filename().string();
    }

    static std::vector<std::uint8_t> contentsHead(std::u16string_view shooter)
    {
        return Bytes().i32(10).bstr(shooter).guid(CLSID_AimingCollection).bytes();
    }

    testsupport::TempFolder m_folder;
};

TEST_F(TalvoDocumentTest, NewDocumentIsValidOnceItHasAnEvent)
{
    auto document = newDocument();
    EXPECT_FALSE(isValid(*document));
    LONG version = 0;
    EXPECT_HR(S_OK, document->get_FileVersion(&version));
    EXPECT_EQ(10, version);
    Bstr text;
    EXPECT_HR(S_OK, document->get_ShooterName(text.put()));
    EXPECT_TRUE(text.isNull());
    ComPtr<IEventParams> event;
    EXPECT_HR(E_FAIL, document->get_Event(event.put()));
    EXPECT_HR(E_INVALIDARG, document->put_Event(nullptr));

    ASSERT_HR(S_OK, document->put_Event(testsupport::shippedEvent("AP10").get()));
    EXPECT_TRUE(isValid(*document));
    EXPECT_HR(S_OK, document->get_Event(event.put()));
    EXPECT_EQ(testsupport::shippedEvent("AP10").get(), event.get());
}

TEST_F(TalvoDocumentTest, PracticeOfSixtyShotsComesBackEqual)
{
    const DATE start = dateOf(2018, 3, 5, 14, 7, 9);
    auto practice = PracticeBuilder()
                        .shooter(u"Ann Smith")
                        .sightingShots(3, start - 0.01)
                        .matchShots(60, start)
                        .value("_comments", Variant::fromString(Bstr("windy")))
                        .value("_device", Variant::fromInt32(306))
                        .build();
    const auto first = m_folder.path() / "first.talvo";
    ASSERT_HR(S_OK, practice->put_FileName(Bstr(first.string()).get()));
    {
        ProgressAdvice progress(practice->unknown(), DIID__ITalvoDocumentEvents);
        ASSERT_HR(S_OK, practice->Save());
        ASSERT_EQ(63u, progress.calls().size());
        EXPECT_EQ((std::pair<LONG, LONG>{1, 63}), progress.calls().front());
        EXPECT_EQ((std::pair<LONG, LONG>{63, 63}), progress.calls().back());
    }

    auto loaded = documentFor(first);
    ProgressAdvice progress(loaded.get(), DIID__ITalvoDocumentEvents);
    ASSERT_HR(S_OK, loaded->Load());
    EXPECT_EQ(63u, progress.calls().size());
    EXPECT_TRUE(isValid(*loaded));
    EXPECT_EQ(63, aimingCount(*loaded));
    Bstr shooter;
    EXPECT_HR(S_OK, loaded->get_ShooterName(shooter.put()));
    EXPECT_EQ(u"Ann Smith", shooter.view());
    Variant comments;
    EXPECT_HR(S_OK, loaded->get_Value(Bstr("_comments").get(), comments.put()));
    ASSERT_EQ(VT_BSTR, comments.type());
    EXPECT_EQ(u"windy", platform::com::viewOf(comments.get().bstrVal));

    // Written again, the loaded practice gives the very same stream.
    const auto second = m_folder.path() / "second.talvo";
    ASSERT_HR(S_OK, loaded->put_FileName(Bstr(second.string()).get()));
    ASSERT_HR(S_OK, loaded->Save());
    EXPECT_EQ(testsupport::contentsOf(first), testsupport::contentsOf(second));
    EXPECT_FALSE(testsupport::contentsOf(first).empty());
}

TEST_F(TalvoDocumentTest, OlefileSeesTheClassAndOneContentsStream)
{
#ifndef TALVO_PYTHON3
    GTEST_SKIP() << "no Python 3 with olefile";
#else
    auto practice = PracticeBuilder().shooter(u"Olle").matchShots(60, dateOf(2021, 7, 1, 9, 30, 0)).build();
    const auto path = m_folder.path() / "olefile.talvo";
    ASSERT_HR(S_OK, practice->put_FileName(Bstr(path.string()).get()));
    ASSERT_HR(S_OK, practice->Save());
    const std::size_t size = testsupport::contentsOf(path).size();
    ASSERT_GT(size, 4096u); // Past the mini stream: the file's big-sector chains are read too.
    const std::string command = std::string("'") + TALVO_PYTHON3 + "' '" + TALVO_DOCUMENT_OLEFILE_CHECK + "' '" +
                                path.string() + "' " + platform::com::guidToString(CLSID_TalvoDocument) + " " +
                                std::to_string(size);
    EXPECT_EQ(0, std::system(command.c_str()));
#endif
}

TEST_F(TalvoDocumentTest, FileIsACompoundFileWithContentsAndSummaryStreams)
{
    auto practice = PracticeBuilder().shooter(u"Bo").matchShots(2, dateOf(2020, 1, 2, 3, 4, 5)).build();
    const auto path = m_folder.path() / "layout.talvo";
    ASSERT_HR(S_OK, practice->put_FileName(Bstr(path.string()).get()));
    ASSERT_HR(S_OK, practice->Save());

    auto root = platform::storage::openCompoundFile(path);
    ASSERT_TRUE(root.hasValue());
    STATSTG stat{};
    ASSERT_HR(S_OK, (*root)->Stat(&stat, STATFLAG_NONAME));
    EXPECT_EQ(CLSID_TalvoDocument, stat.clsid);
    std::vector<STATSTG> elements;
    ASSERT_HR(S_OK, (*root)->ListElements(&elements));
    ASSERT_EQ(2u, elements.size());
    // Listed in the directory's order: the shorter name first.
    EXPECT_EQ(u"Summary", elements[0].name);
    EXPECT_EQ(u"Contents", elements[1].name);

    const auto contents = testsupport::contentsOf(path);
    const auto head = contentsHead(u"Bo");
    ASSERT_GT(contents.size(), head.size());
    EXPECT_EQ(head, std::vector<std::uint8_t>(contents.begin(), contents.begin() + static_cast<long>(head.size())));
    // The aiming collection's record follows, then an empty named-value bag.
    const auto collection = Bytes().i32(2).i32(2).bstr(u"AR10").bytes();
    EXPECT_TRUE(std::equal(collection.begin(), collection.end(), contents.begin() + static_cast<long>(head.size())));
    EXPECT_EQ(Bytes().i32(0).bytes(), std::vector<std::uint8_t>(contents.end() - 4, contents.end()));
    EXPECT_EQ(std::vector<std::string>{"layout.talvo"}, testsupport::namesIn(m_folder.path()));
}

TEST_F(TalvoDocumentTest, LoadReadsVersionsZeroToTenAndRefusesNewer)
{
    const auto emptyCollection = Bytes().i32(2).i32(0).bstr(u"AP10").bytes();
    const auto bag = Bytes().i32(1).bstr(u"_position").u16(VT_BSTR).bstr(u"prone").bytes();
    for (std::int32_t version = 0; version <= 11; ++version) {
        SCOPED_TRACE(version);
        Bytes contents;
        contents.i32(version).bstr(u"Cy").guid(CLSID_AimingCollection).append(emptyCollection);
        if (version >= 2) {
            contents.append(bag);
        }
        const auto path = m_folder.path() / ("v" + std::to_string(version) + ".talvo");
        testsupport::writeDocumentFile(path, CLSID_TalvoDocument, contents.bytes());
        auto document = documentFor(path);
        EXPECT_HR(version <= 10 ? S_OK : E_FAIL, document->Load());
        EXPECT_EQ(version <= 10, isValid(*document));
        LONG fileVersion = 0;
        EXPECT_HR(S_OK, document->get_FileVersion(&fileVersion));
        EXPECT_EQ(version, fileVersion);
        if (version <= 10) {
            Variant position;
            EXPECT_HR(S_OK, document->get_Value(Bstr("_position").get(), position.put()));
            EXPECT_EQ(version >= 2 ? VT_BSTR : VT_EMPTY, position.type());
        }
    }
}

TEST_F(TalvoDocumentTest, LoadFailuresLeaveTheDocumentInvalid)
{
    const auto good = Bytes().i32(10).bstr(u"Di").guid(CLSID_AimingCollection).i32(2).i32(0).bstr(u"AR10").i32(0);
    constexpr DATE kEnterTime = 40000.5;
    constexpr DATE kShotTime = 40000.625;
    // A saved practice whose stored date `from` is patched to `to` wherever it is stored (its summary too).
    const auto savePatched = [&](const std::filesystem::path& path, DATE from, double to) {
        auto practice = PracticeBuilder().matchShots(1, kEnterTime).build();
        ComPtr<IAimingCollection> aimings;
        ComPtr<IShotCollection> shots;
        ComPtr<IShot> shot;
        ASSERT_HR(S_OK, practice->get_Aimings(aimings.put()));
        ASSERT_HR(S_OK, aimings->get_Shots(VARIANT_TRUE, shots.put()));
        ASSERT_HR(S_OK, shots->get_Item(1, shot.put()));
        ASSERT_HR(S_OK, shot->put_ShotTime(kShotTime));
        ASSERT_HR(S_OK, practice->put_FileName(Bstr(path.string()).get()));
        ASSERT_HR(S_OK, practice->Save());
        auto bytes = testsupport::fileBytes(path);
        std::uint8_t pattern[8];
        std::memcpy(pattern, &from, 8);
        auto at = std::search(bytes.begin(), bytes.end(), std::begin(pattern), std::end(pattern));
        ASSERT_NE(at, bytes.end());
        for (; at != bytes.end(); at = std::search(at + 8, bytes.end(), std::begin(pattern), std::end(pattern))) {
            std::memcpy(&*at, &to, 8);
        }
        testsupport::writeFileBytes(path, bytes);
    };
    struct Case {
        const char* name;
        std::function<void(const std::filesystem::path&)> write;
    };
    const Case cases[] = {
        {"missing file", [](const std::filesystem::path&) {}},
        {"another class", [&](const auto& path) { testsupport::writeDocumentFile(path, CLSID_Aiming, good.bytes()); }},
        {"truncated contents",
         [&](const auto& path) {
             auto bytes = good.bytes();
             bytes.resize(bytes.size() - 2);
             testsupport::writeDocumentFile(path, CLSID_TalvoDocument, bytes);
         }},
        {"negative version",
         [](const auto& path) { testsupport::writeDocumentFile(path, CLSID_TalvoDocument, Bytes().i32(-1).bytes()); }},
        {"damaged compound file",
         [](const auto& path) {
             auto practice = PracticeBuilder().matchShots(1, 40000).build();
             ASSERT_HR(S_OK, practice->put_FileName(Bstr(path.string()).get()));
             ASSERT_HR(S_OK, practice->Save());
             auto bytes = testsupport::fileBytes(path);
             bytes.resize(bytes.size() / 2);
             testsupport::writeFileBytes(path, bytes);
         }},
        {"empty file", [](const auto& path) { testsupport::writeFileBytes(path, {}); }},
        // Sparse gigabytes, which no load may read whole.
        {"a gigabyte of something else",
         [](const auto& path) {
             testsupport::writeFileBytes(path, {});
             std::filesystem::resize_file(path, std::uintmax_t{1} << 30);
         }},
        {"a gigabyte that begins as an old practice",
         [](const auto& path) {
             testsupport::writeFileBytes(path, Bytes().u8(0).u8(0).u8(0).u8(0).u8(0).i32(10).bytes());
             std::filesystem::resize_file(path, std::uintmax_t{1} << 30);
         }},
        {"infinite shot time", [&](const auto& path) { savePatched(path, kShotTime, HUGE_VAL); }},
        {"shot time not a number", [&](const auto& path) { savePatched(path, kShotTime, std::nan("")); }},
        {"enter time of minus infinity", [&](const auto& path) { savePatched(path, kEnterTime, -HUGE_VAL); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto path = m_folder.path() / (std::string(c.name) + ".talvo");
        c.write(path);
        auto document = documentFor(path);
        ASSERT_HR(S_OK, document->put_Event(testsupport::shippedEvent("AR10").get()));
        EXPECT_HR(E_FAIL, document->Load());
        EXPECT_FALSE(isValid(*document));
        Bstr message;
        EXPECT_HR(S_OK, document->get_ReadErrorMsg(message.put()));
        EXPECT_TRUE(message.isNull());
    }
}

TEST_F(TalvoDocumentTest, LoadOfAMissingEventSaysWhichAndTheNextLoadForgetsIt)
{
    const auto path = m_folder.path() / "missing.talvo";
    testsupport::writeDocumentFile(
        path, CLSID_TalvoDocument,
        Bytes().i32(10).bstr(u"Ed").guid(CLSID_AimingCollection).i32(2).i32(0).bstr(u"ZZ99").i32(0).bytes());
    auto document = documentFor(path);
    EXPECT_HR(E_FAIL, document->Load());
    Bstr message;
    EXPECT_HR(S_OK, document->get_ReadErrorMsg(message.put()));
    EXPECT_EQ(u"Missing shooting event ZZ99. Please install it and restart the program.", message.view());

    auto practice = PracticeBuilder().matchShots(1, 40000).build();
    ASSERT_HR(S_OK, practice->put_FileName(Bstr(path.string()).get()));
    ASSERT_HR(S_OK, practice->Save());
    EXPECT_HR(S_OK, document->Load());
    EXPECT_HR(S_OK, document->get_ReadErrorMsg(message.put()));
    EXPECT_TRUE(message.isNull());
}

TEST_F(TalvoDocumentTest, SaveNeedsAFileName)
{
    auto practice = PracticeBuilder().matchShots(1, 40000).build();
    EXPECT_TRUE(FAILED(practice->Save()));
    ASSERT_HR(S_OK, practice->put_FileName(Bstr("").get()));
    EXPECT_TRUE(FAILED(practice->Save()));
    EXPECT_TRUE(testsupport::namesIn(m_folder.path()).empty());
}

TEST_F(TalvoDocumentTest, SaveOverAReadOnlyFileLeavesItWritable)
{
    const auto path = m_folder.path() / "locked.talvo";
    testsupport::writeFileBytes(path, {1, 2, 3});
    ASSERT_TRUE(platform::fs::setReadOnly(path, platform::fs::ReadOnly::Yes).hasValue());
    auto practice = PracticeBuilder().matchShots(1, 40000).build();
    ASSERT_HR(S_OK, practice->put_FileName(Bstr(path.string()).get()));
    ASSERT_HR(S_OK, practice->Save());
    auto readOnly = platform::fs::isReadOnly(path);
    ASSERT_TRUE(readOnly.hasValue());
    EXPECT_FALSE(*readOnly);
    EXPECT_FALSE(testsupport::contentsOf(path).empty());
}

TEST_F(TalvoDocumentTest, FailedSaveLeavesThePreviousFileIntact)
{
    const auto path = m_folder.path() / "kept.talvo";
    auto practice = PracticeBuilder().matchShots(3, 40000).build();
    ASSERT_HR(S_OK, practice->put_FileName(Bstr(path.string()).get()));
    ASSERT_HR(S_OK, practice->Save());
    const auto before = testsupport::fileBytes(path);

    // The named values are written last: an object that cannot be stored fails the save at its very end.
    auto unstorable = platform::com::makeComObject<Unstorable>();
    ASSERT_HR(S_OK, practice->put_Value(Bstr("_device").get(), Variant::fromDispatch(unstorable.get()).get()));
    EXPECT_HR(E_FAIL, practice->Save());
    EXPECT_EQ(before, testsupport::fileBytes(path));
    EXPECT_HR(E_FAIL, practice->SaveUnique(Bstr(m_folder.path().string()).get()));
    EXPECT_EQ(std::vector<std::string>{"kept.talvo"}, testsupport::namesIn(m_folder.path()));
}

TEST_F(TalvoDocumentTest, FailedSaveInAReadOnlyFolderLeavesThePreviousFileIntact)
{
    const auto path = m_folder.path() / "kept.talvo";
    auto practice = PracticeBuilder().matchShots(2, 40000).build();
    ASSERT_HR(S_OK, practice->put_FileName(Bstr(path.string()).get()));
    ASSERT_HR(S_OK, practice->Save());
    const auto before = testsupport::fileBytes(path);
    std::filesystem::permissions(m_folder.path(), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    ASSERT_HR(S_OK, practice->ClearShots());
    platform::testing::handOver(m_folder.path());
    platform::testing::runUnprivileged([&] { EXPECT_TRUE(FAILED(practice->Save())); });
    std::filesystem::permissions(m_folder.path(), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    EXPECT_EQ(before, testsupport::fileBytes(path));
    EXPECT_EQ(std::vector<std::string>{"kept.talvo"}, testsupport::namesIn(m_folder.path()));
}

TEST_F(TalvoDocumentTest, SaveUniqueNamesTheFileByShooterAndFirstMatchShot)
{
    struct Case {
        const char* name;
        std::u16string shooter;
        DATE entered;
        std::string expected;
    };
    const Case cases[] = {
        {"separators", u"Team A: day 1", dateOf(2018, 3, 5, 14, 7, 9), "Team A.day 1 05-03-18 14-07-09.talvo"},
        {"only question marks", u"???", dateOf(2018, 3, 5, 14, 7, 9), "Untitled 05-03-18 14-07-09.talvo"},
        {"empty shooter", u"", dateOf(2001, 12, 31, 1, 2, 3), "Untitled 31-12-01 01-02-03.talvo"},
        {"rounds into the next day", u"Fay", dateOf(2019, 12, 31, 23, 59, 59, 600), "Fay 01-01-20 00-00-00.talvo"},
        {"keeps below half a second", u"Fay", dateOf(2019, 12, 31, 23, 59, 59, 400), "Fay 31-12-19 23-59-59.talvo"},
        {"leading dots dropped", u"..hidden", dateOf(2018, 3, 5, 14, 7, 9), "hidden 05-03-18 14-07-09.talvo"},
        {"control characters and slashes", u"a\tb/c\\\\d \"e\" ", dateOf(2018, 3, 5, 14, 7, 9),
         "ab.c.d e. 05-03-18 14-07-09.talvo"},
        {"rounds once, not first to the millisecond", u"Fay", dateOf(2019, 12, 31, 12, 0, 0) + 0.4996 / 86400,
         "Fay 31-12-19 12-00-00.talvo"},
        {"letters of every script", u"J\u00f6rg \u0416\u0443\u043a \u0141ukasz \u017b\u00f3\u0142\u0107",
         dateOf(2018, 3, 5, 14, 7, 9),
         "J\u00f6rg \u0416\u0443\u043a \u0141ukasz \u017b\u00f3\u0142\u0107 05-03-18 14-07-09.talvo"},
        {"fifty characters looked at", std::u16string(60, u'x'), dateOf(2018, 3, 5, 14, 7, 9),
         std::string(50, 'x') + " 05-03-18 14-07-09.talvo"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::TempFolder folder;
        auto practice =
            PracticeBuilder().shooter(c.shooter).sightingShots(1, c.entered - 1).matchShots(2, c.entered).build();
        EXPECT_EQ(c.expected, savedUniqueName(*practice, folder.path()));
    }
}

TEST_F(TalvoDocumentTest, SaveUniqueOfAnEnterTimeOutsideTheCalendarUsesThePresent)
{
    auto practice = PracticeBuilder().shooter(u"Max").matchShots(1, 3.0e6).build();
    const std::string name = savedUniqueName(*practice, m_folder.path());
    EXPECT_TRUE(std::regex_match(name, std::regex(R"(Max \d\d-\d\d-\d\d \d\d-\d\d-\d\d\.talvo)"))) << name;
}

TEST_F(TalvoDocumentTest, SaveUniqueNeverReplacesAFile)
{
    auto practice = PracticeBuilder().shooter(u"Gus").matchShots(1, dateOf(2018, 3, 5, 14, 7, 9)).build();
    const std::string base = "Gus 05-03-18 14-07-09";
    // A trailing separator on the folder is kept as it is.
    EXPECT_EQ(base + ".talvo", savedUniqueName(*practice, m_folder.path()));
    EXPECT_EQ(base + "-1.talvo", savedUniqueName(*practice, m_folder.path() / ""));
    testsupport::writeFileBytes(m_folder.path() / (base + "-2.talvo"), {7});
    EXPECT_EQ(base + "-3.talvo", savedUniqueName(*practice, m_folder.path()));
    EXPECT_EQ(std::vector<std::uint8_t>{7}, testsupport::fileBytes(m_folder.path() / (base + "-2.talvo")));
    EXPECT_EQ(4u, testsupport::namesIn(m_folder.path()).size());
}

TEST_F(TalvoDocumentTest, SaveUniqueOfDocumentsWithoutAMatchShot)
{
    // Sighting shots only: the first shot names the file.
    auto sighting = PracticeBuilder().shooter(u"Hal").sightingShots(2, dateOf(2018, 3, 5, 10, 0, 0)).build();
    EXPECT_EQ("Hal 05-03-18 10-00-00.talvo", savedUniqueName(*sighting, m_folder.path()));

    // Not valid (no event): a file that Load would refuse is never written.
    auto invalid = newDocument();
    ASSERT_HR(S_OK, invalid->put_ShooterName(Bstr("Ida").get()));
    EXPECT_HR(E_UNEXPECTED, invalid->SaveUnique(Bstr(m_folder.path().string()).get()));
    ASSERT_HR(S_OK, invalid->put_FileName(Bstr((m_folder.path() / "ida.talvo").string()).get()));
    EXPECT_HR(E_UNEXPECTED, invalid->Save());
    EXPECT_EQ(std::vector<std::string>{"Hal 05-03-18 10-00-00.talvo"}, testsupport::namesIn(m_folder.path()));

    EXPECT_HR(E_INVALIDARG, invalid->SaveUnique(nullptr));
    EXPECT_HR(E_INVALIDARG, invalid->SaveUnique(Bstr("").get()));
}

TEST_F(TalvoDocumentTest, ClearingReplacesTheAimings)
{
    const DATE when = dateOf(2018, 3, 5, 14, 7, 9);
    auto practice = PracticeBuilder().shooter(u"Jo").sightingShots(2, when).matchShots(3, when).build();
    ASSERT_HR(S_OK, practice->put_FileName(Bstr("/somewhere/jo.talvo").get()));
    ComPtr<IAimingCollection> old;
    ASSERT_HR(S_OK, practice->get_Aimings(old.put()));

    ASSERT_HR(S_OK, practice->ClearSightingShots());
    EXPECT_EQ(3, aimingCount(*practice));
    LONG oldCount = 0;
    EXPECT_HR(S_OK, old->get_Count(&oldCount));
    EXPECT_EQ(5, oldCount); // Holders of the old collection keep it whole.

    ASSERT_HR(S_OK, practice->ClearShots());
    EXPECT_EQ(0, aimingCount(*practice));
    EXPECT_TRUE(isValid(*practice)); // The event stays.

    ASSERT_HR(S_OK, practice->put_Value(Bstr("_comments").get(), Variant::fromString(Bstr("x")).get()));
    ASSERT_HR(S_OK, practice->Clear());
    EXPECT_FALSE(isValid(*practice));
    Bstr text;
    EXPECT_HR(S_OK, practice->get_ShooterName(text.put()));
    EXPECT_TRUE(text.isNull());
    Variant comments;
    EXPECT_HR(S_OK, practice->get_Value(Bstr("_comments").get(), comments.put()));
    EXPECT_EQ(VT_EMPTY, comments.type());
    EXPECT_HR(S_OK, practice->get_FileName(text.put()));
    EXPECT_EQ(u"/somewhere/jo.talvo", text.view());
}

TEST_F(TalvoDocumentTest, CatalogPathComesFromTheMachineSettings)
{
    testsupport::ScopedEnvironment machine("TALVO_MACHINE_REGISTRY", (m_folder.path() / "machine.reg").c_str());
    testsupport::ScopedEnvironment config("XDG_CONFIG_HOME", m_folder.path().c_str());
    testsupport::ScopedEnvironment home("HOME", "/home/kim");
    auto document = newDocument();
    Bstr path;
    EXPECT_HR(E_POINTER, document->get_CatalogPath(nullptr));
    ASSERT_HR(S_OK, document->get_CatalogPath(path.put()));
    EXPECT_EQ(u"/home/kim/Talvo catalog/", path.view());

    auto key = platform::registry::Key::create(platform::registry::Hive::LocalMachine, u"Software\\Talvo");
    ASSERT_TRUE(key.hasValue());
    ASSERT_TRUE(key->setString(u"InstallDir2", u"/srv/catalog").hasValue());
    ASSERT_HR(S_OK, document->get_CatalogPath(path.put()));
    EXPECT_EQ(u"/srv/catalog/", path.view());
    const std::u16string deep = u"/srv" + std::u16string(2000, u'd'); // Far past the 260 of old Windows paths.
    ASSERT_TRUE(key->setString(u"InstallDir2", deep).hasValue());
    ASSERT_HR(S_OK, document->get_CatalogPath(path.put()));
    EXPECT_EQ(deep + u"/", path.view());

    ASSERT_TRUE(key->setString(u"InstallDir2", u"").hasValue());
    ASSERT_HR(S_OK, document->get_CatalogPath(path.put()));
    EXPECT_EQ(u"/home/kim/Talvo catalog/", path.view());
}

TEST_F(TalvoDocumentTest, MutatedContentsLoadOrFailWithoutHarm)
{
    auto practice = PracticeBuilder()
                        .shooter(u"Lu")
                        .sightingShots(1, 40000)
                        .matchShots(2, 40001)
                        .value("_comments", Variant::fromString(Bstr("c")))
                        .build();
    const auto path = m_folder.path() / "source.talvo";
    ASSERT_HR(S_OK, practice->put_FileName(Bstr(path.string()).get()));
    ASSERT_HR(S_OK, practice->Save());
    const auto contents = testsupport::contentsOf(path);
    ASSERT_FALSE(contents.empty());
    const auto mutatedPath = m_folder.path() / "mutated.talvo";
    platform::testing::ByteMutator mutator(777);
    for (int round = 0; round < 300; ++round) {
        testsupport::writeDocumentFile(mutatedPath, CLSID_TalvoDocument, mutator.mutate(contents, 3, round % 4 == 0));
        auto document = documentFor(mutatedPath);
        const HRESULT hr = document->Load();
        EXPECT_EQ(SUCCEEDED(hr), isValid(*document));
    }
}

TEST_F(TalvoDocumentTest, AnswersItsEventInterface)
{
    auto document = newDocument();
    auto info = document.queryInterface<IProvideClassInfo2>();
    ASSERT_NE(nullptr, info.get());
    GUID events{};
    EXPECT_HR(S_OK, info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events));
    EXPECT_EQ(DIID__ITalvoDocumentEvents, events);
    Bstr progId("TalvoData.TalvoDocument");
    CLSID classId{};
    EXPECT_HR(S_OK, CLSIDFromProgID(progId.get(), &classId));
    EXPECT_EQ(CLSID_TalvoDocument, classId);
}

TEST_F(TalvoDocumentTest, KeptMalformedContentsFail)
{
    const auto inputs = testsupport::keptMalformedInputs("TalvoDocument");
    EXPECT_GE(inputs.size(), 3u);
    const auto path = m_folder.path() / "malformed.talvo";
    for (const auto& [name, contents] : inputs) {
        SCOPED_TRACE(name);
        testsupport::writeDocumentFile(path, CLSID_TalvoDocument, contents);
        auto document = documentFor(path);
        EXPECT_HR(E_FAIL, document->Load());
        EXPECT_FALSE(isValid(*document));
    }
}

} // namespace
} // namespace talvodata
