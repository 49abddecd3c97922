#include "talvodesk/core/document/TalvoData.h"

#include "talvodesk/core/testing/PracticeFiles.h"
#include "talvodesk/core/testing/RecordingFrame.h"
#include "talvodesk/core/testing/RecordingView.h"

#include "talvodata/tests/support/Events.h"

#include "platform/registry/Key.h"
#include "platform/registry/tests/support/RegistryFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

using namespace talvodesk;
using namespace talvodesk::testsupport;
using platform::com::Bstr;
using platform::com::ComPtr;

namespace {

class TalvoDataTest : public platform::registry::testing::RegistryFixture {
protected:
    TalvoDataTest()
    {
        setEnvironment("HOME", folder().c_str());
        std::filesystem::create_directories(folder() / "Talvo catalog");
        data.AddView(&view);
    }

    bool newPractice(const char* event = "AR10", long position = 0)
    {
        data.Reset();
        return data.NewPractice(talvodata::testsupport::shippedEvent(event).get(), Bstr("Ann").get(), position,
                                Bstr("TALVO USB").get(), 12);
    }

    RecordingFrame frame;
    RecordingView view;
    CTalvoData data{{&frame, nullptr, nullptr, {}}};
};

TEST_F(TalvoDataTest, ViewsHearHintsSynchronouslyAndMayCallBackIn)
{
    ASSERT_TRUE(newPractice());
    RecordingView second;
    RecordingView third;
    data.AddView(&second);
    data.AddView(&third);
    // The first view answers a reset by clearing the current shot (a nested hint 4) and removes the third view.
    ComPtr<IShot> missed;
    ASSERT_TRUE(data.AddMissedShot(true, missed));
    ASSERT_TRUE(data.SetCurrentShot(missed.get()));
    view.received.clear();
    second.received.clear();
    third.received.clear();
    view.hook = [&](const ReceivedHint& hint) {
        if (hint.hint == HintReset) {
            EXPECT_TRUE(data.SetCurrentShot(nullptr, &view));
            data.RemoveView(&third);
        }
    };
    data.UpdateAllViews(nullptr, HintReset);
    EXPECT_EQ(std::vector<int>{HintReset}, view.hints()) << "the sender does not hear itself";
    EXPECT_EQ((std::vector<int>{HintCurrentShot, HintReset}), second.hints());
    EXPECT_EQ(std::vector<int>{HintCurrentShot}, third.hints()) << "removed while the reset was delivered";
    EXPECT_EQ(nullptr, third.m_pDocument);
    EXPECT_FALSE(data.SetCurrentShot(nullptr)) << "the same shot again sends nothing";
    data.RemoveView(&second);
}

TEST_F(TalvoDataTest, OpenSelectsTheFirstShotOfWhatIsShown)
{
    struct Case {
        int match;
        int sighting;
        bool showSightings;
        long fCoefficient;
    };
    for (const Case c : {Case{2, 1, false, 12}, Case{0, 3, true, 12}, Case{0, 0, true, 0}}) {
        SCOPED_TRACE(testing::Message() << c.match << " match, " << c.sighting << " sighting");
        const Bstr path = writePractice(folder() / "practice.tlv", c.match, c.sighting);
        data.Reset();
        view.received.clear();
        frame.calls.clear();
        ASSERT_TRUE(data.Open(path.get()));
        EXPECT_EQ(c.showSightings, data.ShowSightings());
        EXPECT_EQ(c.fCoefficient, data.FCoefficient());
        ComPtr<IShot> current;
        EXPECT_EQ(c.match + c.sighting > 0, data.GetCurrentShot(current));
        ComPtr<IShotCollection> shown;
        ComPtr<IShot> first;
        if (current) {
            ASSERT_TRUE(c.match > 0 ? data.GetMatchShots(shown) : data.GetShots(shown));
            ASSERT_EQ(S_OK, shown->get_Item(1, first.put()));
            EXPECT_EQ(first.get(), current.get());
        }
        EXPECT_EQ(std::vector<int>{HintReset}, view.hints());
        ASSERT_GE(frame.calls.size(), 2u);
        EXPECT_EQ("begin 32840", frame.calls.front());
        EXPECT_EQ("end", frame.calls.back());
        EXPECT_FALSE(frame.waitCursor);
    }
}

TEST_F(TalvoDataTest, ADamagedFileLeavesNoDocumentAndStillResetsTheViews)
{
    const std::filesystem::path path = folder() / "damaged.tlv";
    const Bstr written = writePractice(path, 3, 0);
    std::filesystem::resize_file(path, std::filesystem::file_size(path) / 2);
    ASSERT_FALSE(data.Open(Bstr(path.string()).get()));
    EXPECT_FALSE(data.IsValid());
    EXPECT_EQ(nullptr, data.document());
    EXPECT_EQ(std::vector<int>{HintReset}, view.hints());
}

TEST_F(TalvoDataTest, SaveFallsBackToTheCatalogAndOnlyMatchShotsAreOfferedForSaving)
{
    ASSERT_TRUE(newPractice());
    EXPECT_TRUE(data.SaveModified()) << "not modified";
    ComPtr<IShot> shot;
    ASSERT_TRUE(data.AddMissedShot(/*match=*/false, shot));
    EXPECT_TRUE(data.SaveModified()) << "only sighting shots: never asked";
    EXPECT_TRUE(frame.calls.empty());
    ASSERT_TRUE(data.AddMissedShot(/*match=*/true, shot));
    struct Case {
        Answer answer;
        bool result;
        bool saved;
    };
    for (const Case c :
         {Case{Answer::Cancel, false, false}, Case{Answer::No, true, false}, Case{Answer::Yes, true, true}}) {
        frame.answer = c.answer;
        frame.calls.clear();
        view.received.clear();
        EXPECT_EQ(c.result, data.SaveModified());
        EXPECT_EQ("ask 32817", frame.calls.at(0));
        EXPECT_EQ(c.saved, !data.IsModified());
        EXPECT_EQ(c.saved, view.hints() == std::vector<int>{HintSaved});
    }
    // The new practice had no file: it went to the catalog under a unique name, which it keeps.
    Bstr name;
    ASSERT_TRUE(data.GetFileName(name));
    const std::filesystem::path saved(name.toUtf8());
    EXPECT_EQ(folder() / "Talvo catalog", saved.parent_path());
    EXPECT_TRUE(std::filesystem::exists(saved));
    EXPECT_EQ("begin 32841", frame.calls.at(1));
}

TEST_F(TalvoDataTest, TheFirstSaveMakesTheCatalogFolderAndOneThatCannotBeMadeIsReportedAndKept)
{
    struct Case {
        const char* name;
        std::filesystem::path home;
        bool saved;
    };
    const std::filesystem::path blocked = folder() / "blocked";
    std::ofstream(blocked) << "a file where a folder should be";
    for (const Case& c : {Case{"fresh account", folder() / "fresh" / "home", true},
                          Case{"a file in the way", blocked / "home", false}}) {
        SCOPED_TRACE(c.name);
        setEnvironment("HOME", c.home.c_str());
        ASSERT_TRUE(newPractice());
        ComPtr<IShot> shot;
        ASSERT_TRUE(data.AddMissedShot(/*match=*/true, shot));
        frame.calls.clear();
        EXPECT_EQ(c.saved, data.Save());
        EXPECT_EQ(c.saved, !data.IsModified()) << "an unsaved practice stays open and modified";
        const std::string catalog = (c.home / "Talvo catalog").string() + "/";
        if (c.saved) {
            Bstr name;
            ASSERT_TRUE(data.GetFileName(name));
            EXPECT_EQ(catalog, std::filesystem::path(name.toUtf8()).parent_path().string() + "/");
        } else {
            EXPECT_EQ("save failed The catalog folder \"" + catalog + "\" cannot be made: Not a directory.",
                      frame.calls.back());
            EXPECT_FALSE(data.TrySave());
            EXPECT_EQ(1, std::count_if(frame.calls.begin(), frame.calls.end(),
                                       [](const std::string& call) { return call.starts_with("save failed"); }))
                << "the automatic save fails quietly";
        }
    }
}

TEST_F(TalvoDataTest, NewPracticeStoresPositionAndDevice)
{
    struct Case {
        long position;
        VARTYPE type;
        const char* text;
    };
    for (const Case c : {Case{0, VT_BSTR, "prone"}, Case{1, VT_BSTR, "standing"}, Case{2, VT_BSTR, "kneeling"},
                         Case{3, VT_BSTR, ""}, Case{-1, VT_EMPTY, ""}}) {
        SCOPED_TRACE(c.position);
        ASSERT_TRUE(newPractice("AR10", c.position));
        platform::com::Variant value;
        ASSERT_EQ(S_OK, data.document()->get_Value(Bstr("_position").get(), value.put()));
        ASSERT_EQ(c.type, value.type());
        if (c.type == VT_BSTR) {
            EXPECT_EQ(Bstr(c.text).view(), platform::com::viewOf(value.get().bstrVal));
        }
        EXPECT_TRUE(data.ShowSightings());
        EXPECT_TRUE(data.HasOrderedShotTimes());
    }
    platform::com::Variant device;
    ASSERT_EQ(S_OK, data.document()->get_Value(Bstr("_device").get(), device.put()));
    EXPECT_EQ(u"TALVO USB", platform::com::viewOf(device.get().bstrVal));
}

TEST_F(TalvoDataTest, EventCodesFollowTheShortName)
{
    const std::pair<const char*, long> cases[] = {
        {"AR10", 1},      {"BTLN", 2},      {"SP1", 4},       {"SP2", 5},       {"SPF", 6},
        {"N4TL3", 7},     {"N4TL15", 8},    {"MRF-22-10", 9}, {"MRF-32-10", 9}, {"MRF-22-8", 10},
        {"MRF-32-8", 10}, {"MRF-22-6", 11}, {"MRF-32-6", 11}};
    EXPECT_EQ(0, data.GetEventCode());
    for (const auto& [event, code] : cases) {
        SCOPED_TRACE(event);
        ASSERT_TRUE(newPractice(event));
        EXPECT_EQ(code, data.GetEventCode());
    }
}

TEST_F(TalvoDataTest, TheSecondControlIntervalIsTakenFromTheSettingsOnlyInRange)
{
    auto root =
        platform::registry::Key::create(platform::registry::Hive::CurrentUser, u"software\\Talvo\\Talvo Professional");
    ASSERT_TRUE(root.hasValue());
    for (const auto& [stored, expected] : {std::pair{0u, 2L}, {1u, 1L}, {5u, 5L}, {6u, 2L}}) {
        SCOPED_TRACE(stored);
        ASSERT_TRUE(root->setDword(u"ControlInterval2", stored).hasValue());
        CTalvoData configured({nullptr, &root.value(), nullptr, {}});
        EXPECT_EQ(expected, configured.ControlInterval2());
    }
}

TEST_F(TalvoDataTest, ShotTimesMustRiseStrictly)
{
    const Bstr path = writePractice(folder() / "ordered.tlv", 3, 1);
    for (const bool repeatTime : {false, true}) {
        SCOPED_TRACE(repeatTime);
        data.Reset();
        ASSERT_TRUE(data.Open(path.get()));
        ComPtr<IShotCollection> shots;
        ASSERT_TRUE(data.GetShots(shots));
        for (LONG i = 1; i <= 4; ++i) {
            ComPtr<IShot> shot;
            ASSERT_EQ(S_OK, shots->get_Item(i, shot.put()));
            const LONG second = repeatTime && i == 3 ? 2 : i;
            ASSERT_EQ(S_OK, shot->put_ShotTime(46000.0 + second / 86400.0));
        }
        EXPECT_EQ(!repeatTime, data.HasOrderedShotTimes());
    }
}

TEST_F(TalvoDataTest, CachedCollectionsAreDroppedWhenShotsChangeNotRefreshed)
{
    ASSERT_TRUE(newPractice());
    ComPtr<IShotCollection> before;
    ComPtr<IShotCollection> again;
    ASSERT_TRUE(data.GetMatchShots(before));
    ASSERT_TRUE(data.GetMatchShots(again));
    EXPECT_EQ(before.get(), again.get());
    ComPtr<IShot> shot;
    ASSERT_TRUE(data.AddMissedShot(true, shot));
    ComPtr<IShotCollection> after;
    ASSERT_TRUE(data.GetMatchShots(after));
    EXPECT_NE(before.get(), after.get());
    LONG count = -1;
    EXPECT_EQ(S_OK, before->get_Count(&count));
    EXPECT_EQ(0, count) << "a cache handed out is never changed in place";
    EXPECT_EQ(S_OK, after->get_Count(&count));
    EXPECT_EQ(1, count);
}

TEST_F(TalvoDataTest, ReplayStateFollowsWhatTheViewsAnswer)
{
    ASSERT_TRUE(newPractice());
    EXPECT_FALSE(data.StartReplay()) << "no current shot";
    ComPtr<IShot> shot;
    ASSERT_TRUE(data.AddMissedShot(true, shot));
    ASSERT_TRUE(data.SetCurrentShot(shot.get()));
    bool veto = true;
    bool running = true;
    std::vector<bool> pauseFlags;
    view.hook = [&](const ReceivedHint& hint) {
        if (hint.hint == HintReplayQuery) {
            *hint.payload.get<AnswerHint>()->answer = veto;
        } else if (hint.hint == HintReplayRunning) {
            *hint.payload.get<AnswerHint>()->answer = running;
        } else if (hint.hint == HintReplayPause) {
            pauseFlags.push_back(hint.payload.get<ReplayPauseHint>()->paused);
        }
    };
    EXPECT_FALSE(data.StartReplay());
    veto = false;
    view.received.clear();
    EXPECT_TRUE(data.StartReplay());
    EXPECT_EQ((std::vector<int>{HintReplayQuery, HintReplayStart}), view.hints());
    data.PauseReplay();
    EXPECT_EQ(1, data.GetReplayState());
    data.ResumeReplay();
    EXPECT_EQ(2, data.GetReplayState());
    EXPECT_EQ((std::vector<bool>{true, false}), pauseFlags);
    running = false;
    EXPECT_EQ(0, data.GetReplayState()) << "no view replays any more";
    data.ResumeReplay();
    EXPECT_EQ(2u, pauseFlags.size());
    view.hook = nullptr;
}

} // namespace
