#include "talvodesk/core/practice/PracticeRun.h"

#include "talvodesk/core/document/PulseLog.h"
#include "talvodesk/core/practice/DeviceEventSink.h"
#include "talvodesk/core/testing/FakeDevice.h"
#include "talvodesk/core/testing/RecordingFrame.h"
#include "talvodesk/core/testing/RecordingView.h"

#include "talvodata/tests/support/Events.h"

#include "interfaces/talvolink/DispIds.h"
#include "platform/com/Variant.h"
#include "platform/registry/tests/support/RegistryFixture.h"
#include "platform/time/ManualClock.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace talvodesk;
using namespace talvodesk::testsupport;
using platform::com::Bstr;
using platform::com::ComPtr;

namespace {

constexpr DATE kNow = 46000.5;

class PracticeRunTest : public platform::registry::testing::RegistryFixture {
protected:
    PracticeRunTest()
    {
        setEnvironment("HOME", folder().c_str());
        std::filesystem::create_directories(catalog());
        data.AddView(&frameView);
        data.AddView(&view);
    }

    std::filesystem::path catalog() const { return folder() / "Talvo catalog"; }

    /// A new practice of the event with a device of that event advised; the hints so far are forgotten.
    FakeDevice& start(const char* event = "AR10", bool match = true, long subTarget = 0)
    {
        device = std::make_unique<FakeDevice>(event);
        device->advise(sink.get());
        data.Reset();
        EXPECT_TRUE(data.NewPractice(talvodata::testsupport::shippedEvent(event).get(), Bstr("Ann").get(), 0,
                                     Bstr("fake").get(), 12));
        run.Start(device.get(), match, subTarget);
        view.received.clear();
        live.posts.clear();
        return *device;
    }

    long countOf(bool match)
    {
        ComPtr<IShotCollection> shots;
        LONG count = 0;
        EXPECT_TRUE(match ? data.GetMatchShots(shots) : data.GetSightingShots(shots));
        EXPECT_EQ(S_OK, shots->get_Count(&count));
        return count;
    }

    platform::time::ManualClock clock{kNow};
    RecordingFrame frame;
    RecordingLivePoster live;
    RecordingView frameView;
    RecordingView view;
    COptions options;
    CTalvoData data{{&frame, nullptr, nullptr, {}}};
    PracticeRun run{{data, options, clock, &frameView, &live}};
    ComPtr<DeviceEventSink> sink = platform::com::makeComObject<DeviceEventSink>(run);
    std::unique_ptr<FakeDevice> device;
};

TEST_F(PracticeRunTest, WholeAimingsSendTheirHintsAndLiveDataInOrder)
{
    FakeDevice& fake = start();
    (void)fake.aiming(/*before=*/20, /*shots=*/1, /*batch=*/10);
    (void)fake.aiming(20, 1, 10);
    const std::vector<int> expected{10, 11, 11, 12, 4, 11, 13, 14, 4, 10, 11, 11, 12, 4, 11, 13, 14};
    EXPECT_EQ(expected, view.hints());
    // The frame's own view sent the coordinates: it hears everything else.
    EXPECT_EQ((std::vector<int>{10, 12, 4, 13, 14, 4, 10, 12, 4, 13, 14}), frameView.hints());
    const std::vector<std::string> posts{"state 1", "state 2",   "points 10", "points 10",
                                         "shot",    "points 40", "state 3",   "state 4"};
    ASSERT_EQ(16u, live.posts.size());
    EXPECT_EQ(posts, std::vector<std::string>(live.posts.begin(), live.posts.begin() + 8));
    EXPECT_EQ(2, countOf(true));
    EXPECT_EQ(2, run.AutoSaveCounter());
    EXPECT_TRUE(data.IsModified());
    EXPECT_EQ(nullptr, run.CurrentAiming());
    run.Stop();
    EXPECT_EQ("state 5", live.posts.back());
}

TEST_F(PracticeRunTest, AnUnseenAimingIsStartedAndTheCurrentOneConcludedFirst)
{
    struct Case {
        const char* name;
        bool otherCurrent;
        int event; // 0 coordinates, 1 shot, 2 conclusion
        std::vector<int> hints;
    };
    const Case cases[] = {
        {"coordinates", false, 0, {10, 11}}, {"coordinates after another", true, 0, {13, 10, 11}},
        {"shot", false, 1, {10, 12, 4}},     {"shot after another", true, 1, {13, 10, 12, 4}},
        {"conclusion", false, 2, {10, 13}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeDevice& fake = start();
        if (c.otherCurrent) {
            fake.startAiming(fake.newAiming().get());
            view.received.clear();
        }
        ComPtr<IAiming> unseen = fake.newAiming();
        if (c.event == 0) {
            fake.coordinates(unseen.get(), 5);
        } else if (c.event == 1) {
            (void)fake.shot(unseen.get());
            EXPECT_EQ(1, countOf(true)) << "the aiming is in the document";
        } else {
            fake.conclude(unseen.get());
        }
        EXPECT_EQ(c.hints, view.hints());
        run.Stop();
    }
}

TEST_F(PracticeRunTest, MatchModeFollowsTheAimingUntilItsFirstShot)
{
    FakeDevice& fake = start("AR10", /*match=*/false);
    ComPtr<IAiming> aiming = fake.newAiming();
    ComPtr<IAimingAttr> attributes;
    ASSERT_EQ(S_OK, aiming->get_Attr(attributes.put()));
    VARIANT_BOOL match = VARIANT_TRUE;
    fake.startAiming(aiming.get());
    EXPECT_EQ(S_OK, attributes->get_Match(&match));
    EXPECT_EQ(VARIANT_FALSE, match);
    run.SetMatchMode(true);
    fake.coordinates(aiming.get(), 3);
    EXPECT_EQ(S_OK, attributes->get_Match(&match));
    EXPECT_EQ(VARIANT_TRUE, match);
    (void)fake.shot(aiming.get());
    run.SetMatchMode(false);
    fake.coordinates(aiming.get(), 3);
    EXPECT_EQ(S_OK, attributes->get_Match(&match));
    EXPECT_EQ(VARIANT_TRUE, match) << "after the first shot the mode no longer changes the aiming";
    LONG coefficient = 0;
    EXPECT_EQ(S_OK, attributes->get_FCoefficient(&coefficient));
    EXPECT_EQ(12, coefficient);
}

TEST_F(PracticeRunTest, AutomaticSavingFiresWhenTheCounterReachesOrPassesTheMark)
{
    struct Case {
        int shotsPerAiming;
        int aimings;
        int expectedSaves;
    };
    // With three shots an aiming the counter reads 3, 6, 9, 12: equality with 10 is never met.
    for (const Case c : {Case{1, 9, 0}, Case{1, 25, 2}, Case{3, 8, 2}}) {
        SCOPED_TRACE(c.shotsPerAiming);
        options.enableAutoSaveAfterShot = 1;
        options.autoSaveAfterShot = 10;
        FakeDevice& fake = start("SP2");
        frame.calls.clear();
        run.SetMatchMode(false);
        (void)fake.aiming(10, 2, 10); // Sighting shots never count.
        run.SetMatchMode(true);
        for (int i = 0; i < c.aimings; ++i) {
            (void)fake.aiming(10, c.shotsPerAiming, 10);
        }
        EXPECT_EQ(c.expectedSaves, std::count(frame.calls.begin(), frame.calls.end(), "begin 32841"));
        run.Stop();
    }
    // The last save wrote the practice under a unique name in the catalog; it loads back as it was saved.
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(catalog())) {
        files.push_back(entry.path());
    }
    ASSERT_FALSE(files.empty());
    Bstr saved;
    ASSERT_TRUE(data.GetFileName(saved));
    CTalvoData loaded;
    ASSERT_TRUE(loaded.Open(saved.get()));
    ComPtr<IShotCollection> before;
    ComPtr<IShotCollection> after;
    ASSERT_TRUE(loaded.GetShots(after));
    ASSERT_TRUE(data.GetShots(before));
    LONG savedCount = 0;
    LONG loadedCount = 0;
    EXPECT_EQ(S_OK, after->get_Count(&loadedCount));
    EXPECT_EQ(S_OK, before->get_Count(&savedCount));
    EXPECT_EQ(3 * 8 + 2, loadedCount) << "the practice of the last case, saved after its 8th aiming";
    EXPECT_EQ(savedCount, loadedCount);
    for (LONG i = 1; i <= loadedCount; ++i) {
        ComPtr<IShot> a;
        ComPtr<IShot> b;
        ASSERT_EQ(S_OK, before->get_Item(i, a.put()));
        ASSERT_EQ(S_OK, after->get_Item(i, b.put()));
        float ax = 0, ay = 0, bx = 0, by = 0;
        EXPECT_EQ(S_OK, a->Breach(&ax, &ay));
        EXPECT_EQ(S_OK, b->Breach(&bx, &by));
        EXPECT_EQ(ax, bx);
        EXPECT_EQ(ay, by);
    }
}

TEST_F(PracticeRunTest, TriggerReadingsReachTheViewsOnlyForAPositiveCountAndAreCapped)
{
    struct Case {
        long count;
        std::size_t readings; // 0: no hint at all
    };
    FakeDevice& fake = start();
    fake.triggerReadings.assign(5000, 7);
    for (const Case c : {Case{0, 0}, Case{-3, 0}, Case{3, 3}, Case{5000, 4096}, Case{0x7FFFFFFF, 4096}}) {
        SCOPED_TRACE(c.count);
        view.received.clear();
        fake.triggerIndexes.clear();
        view.hook = [&](const ReceivedHint& hint) { EXPECT_EQ(7, hint.payload.get<TriggerHint>()->readings.back()); };
        fake.triggerCount(c.count);
        view.hook = nullptr;
        if (c.readings == 0) {
            EXPECT_TRUE(view.received.empty());
            continue;
        }
        ASSERT_EQ(1u, view.received.size());
        EXPECT_EQ(HintTrigger, view.received[0].hint);
        EXPECT_EQ(c.readings, view.received[0].payload.get<TriggerHint>()->readings.size());
        EXPECT_EQ(1, fake.triggerIndexes.front());
        EXPECT_EQ(static_cast<long>(c.readings), fake.triggerIndexes.back());
    }
}

TEST_F(PracticeRunTest, AFlatTriggerChannelIsDroppedAtConclusion)
{
    for (const long span : {0L, 5L, 6L}) {
        SCOPED_TRACE(span);
        FakeDevice& fake = start();
        ComPtr<IAiming> aiming = fake.newAiming();
        ComPtr<IAimingTrace> trace;
        ASSERT_EQ(S_OK, aiming->get_Trace(trace.put()));
        fake.startAiming(aiming.get());
        fake.coordinates(aiming.get(), 4);
        LONG channel = 0;
        ASSERT_EQ(S_OK, trace->AddUserData(Bstr("_trigger").get(), &channel));
        for (LONG i = 0; i < 4; ++i) {
            EXPECT_EQ(S_OK, trace->put_UserData(channel, i, 100 + (i == 2 ? span : 0)));
        }
        fake.conclude(aiming.get());
        EXPECT_EQ(S_OK, trace->GetUserData(Bstr("_trigger").get(), &channel));
        EXPECT_EQ(span > 5, channel > 0);
        run.Stop();
    }
}

TEST_F(PracticeRunTest, PulseIsLoggedInMatchModeWithoutRepeatsAndKeptOnShots)
{
    FakeDevice& fake = start("AR10", /*match=*/false);
    fake.pulse(70);
    ComPtr<IAiming> sighting = fake.aiming(10, 1, 10);
    EXPECT_EQ(0, data.GetPulseCount()) << "sighting mode logs nothing";
    ComPtr<IShot> shot;
    ASSERT_EQ(S_OK, sighting->get_Shot(1, shot.put()));
    platform::com::Variant value;
    EXPECT_EQ(S_OK, shot->get_Value(Bstr("_pulse").get(), value.put()));
    EXPECT_EQ(VT_I2, value.type());
    EXPECT_EQ(70, value.get().iVal);

    run.SetMatchMode(true);
    fake.pulse(72); // No match shot yet: not logged.
    EXPECT_EQ(0, data.GetPulseCount());
    (void)fake.aiming(10, 1, 10); // The first match shot logs the pulse known then.
    clock.advance(std::chrono::seconds(1));
    for (const long pulse : {72L, 72L, 75L}) {
        fake.pulse(pulse);
    }
    ASSERT_EQ(2, data.GetPulseCount());
    DATE time = 0;
    long pulse = 0;
    ASSERT_TRUE(data.GetPulseSample(1, time, pulse));
    EXPECT_EQ(75, pulse);
    EXPECT_DOUBLE_EQ(kNow + 1.0 / 86400.0, time);
    EXPECT_FALSE(data.GetPulseSample(2, time, pulse));
}

TEST_F(PracticeRunTest, HeartBeatsGoToTheCurrentAimingAndToEveryView)
{
    FakeDevice& fake = start();
    fake.heartBeat(1.0, 2.0); // No aiming: only told.
    ComPtr<IAiming> aiming = fake.newAiming();
    fake.startAiming(aiming.get());
    view.received.clear();
    frameView.received.clear();
    std::vector<std::pair<DATE, DATE>> told;
    view.hook = [&](const ReceivedHint& hint) {
        EXPECT_EQ(HintHeartBeat, hint.hint);
        const auto* beat = hint.payload.get<HeartBeatHint>();
        told.emplace_back(beat->earliest, beat->latest);
    };
    fake.heartBeat(3.0, 3.5);
    fake.heartBeat(5.0, 4.0); // Ends before it starts: told, not logged.
    view.hook = nullptr;
    EXPECT_EQ((std::vector<std::pair<DATE, DATE>>{{3.0, 3.5}, {5.0, 4.0}}), told);
    ComPtr<IAimingAttr> attributes;
    ASSERT_EQ(S_OK, aiming->get_Attr(attributes.put()));
    EXPECT_EQ(1, GetPulseSampleCount(attributes.get()));
    DATE earliest = 0;
    DATE latest = 0;
    EXPECT_TRUE(GetPulseMinMax(attributes.get(), 0, earliest, latest));
    EXPECT_EQ(std::make_pair(3.0, 3.5), std::make_pair(earliest, latest));
    EXPECT_EQ(3, std::count(live.posts.begin(), live.posts.end(), "heartbeat"));
    EXPECT_TRUE(frameView.received.empty()) << "the frame sent the beats";
}

TEST_F(PracticeRunTest, AimingEventsAreIgnoredOutsideAPracticeAndAShootingWindow)
{
    FakeDevice& fake = start();
    run.SetShootingWindowOpen(false);
    (void)fake.aiming(10, 1, 10);
    EXPECT_TRUE(view.received.empty());
    run.Stop();
    live.posts.clear();
    (void)fake.aiming(10, 1, 10);
    fake.pulse(80);
    EXPECT_EQ(std::vector<int>{HintPulse}, view.hints()) << "the pulse is handled always";
    EXPECT_TRUE(live.posts.empty());
    EXPECT_EQ(0, countOf(true));
}

TEST_F(PracticeRunTest, EventRulesSetTheAimingsSubTargetAndSeriesTimes)
{
    FakeDevice& biathlon = start("BTLN", true, /*subTarget=*/2);
    biathlon.semaphoreAvailable = true;
    ComPtr<IAiming> aiming = biathlon.newAiming();
    biathlon.startAiming(aiming.get());
    ComPtr<IAimingAttr> attributes;
    ASSERT_EQ(S_OK, aiming->get_Attr(attributes.put()));
    LONG subTarget = 0;
    EXPECT_EQ(S_OK, attributes->get_SubTarget(&subTarget));
    EXPECT_EQ(2, subTarget);
    EXPECT_EQ(std::vector<enumSemaphoreMode>{SemaphoreOff}, biathlon.semaphores);
    run.Stop();

    FakeDevice& timed = start("SP2");
    clock.advance(std::chrono::minutes(1));
    run.SemaphoreGreen(); // The device has no light: the series still starts now.
    EXPECT_TRUE(timed.semaphores.empty());
    const DATE green = kNow + 60.0 / 86400.0;
    EXPECT_DOUBLE_EQ(green, run.SeriesStartTime());
    aiming = timed.newAiming();
    timed.startAiming(aiming.get());
    ASSERT_EQ(S_OK, aiming->get_Attr(attributes.put()));
    DATE startTime = 0;
    DATE enterTime = 0;
    EXPECT_EQ(S_OK, attributes->get_StartTime(&startTime));
    EXPECT_EQ(S_OK, attributes->get_EnterTime(&enterTime));
    EXPECT_DOUBLE_EQ(green, startTime);
    EXPECT_DOUBLE_EQ(green, enterTime);
}

TEST_F(PracticeRunTest, EventsWithArgumentsThatDoNotFitChangeNothing)
{
    (void)start();
    // Too few arguments, too many, and a number where the aiming belongs.
    const std::pair<DISPID, UINT> cases[] = {
        {DISPID_TALVODEVICEEVENTS_STARTAIMING, 0},
        {DISPID_TALVODEVICEEVENTS_STARTAIMING, 1},
        {DISPID_TALVODEVICEEVENTS_STARTAIMING, 2},
        {DISPID_TALVODEVICEEVENTS_NEWCOORDINATES, 2},
        {DISPID_TALVODEVICEEVENTS_NEWCOORDINATES, 3},
        {DISPID_TALVODEVICEEVENTS_SHOT, 3},
        {DISPID_TALVODEVICEEVENTS_SHOT, 4},
        {DISPID_TALVODEVICEEVENTS_CONCLUDEAIMING, 2},
        {DISPID_TALVODEVICEEVENTS_FINALCONCLUDEAIMING, 0},
        {DISPID_TALVODEVICEEVENTS_FINALCONCLUDEAIMING, 2},
        {DISPID_TALVODEVICEEVENTS_PULSECHANGED, 1},
        {DISPID_TALVODEVICEEVENTS_TRIGGER, 3},
        {DISPID_TALVODEVICEEVENTS_HEARTBEAT, 2},
        {DISPID_TALVODEVICEEVENTS_HEARTBEAT, 4},
    };
    for (const auto& [id, count] : cases) {
        SCOPED_TRACE(testing::Message() << "DISPID " << id << ", " << count << " arguments");
        std::vector<VARIANT> arguments(count);
        for (VARIANT& argument : arguments) {
            argument.vt = VT_I4;
            argument.lVal = 1;
        }
        DISPPARAMS params;
        params.rgvarg = arguments.data();
        params.cArgs = count;
        EXPECT_EQ(S_OK, sink->Invoke(id, IID{}, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr));
    }
    EXPECT_TRUE(view.received.empty());
    EXPECT_TRUE(live.posts.empty());
    EXPECT_EQ(E_INVALIDARG, sink->Invoke(DISPID_TALVODEVICEEVENTS_SHOT, IID{}, 0, DISPATCH_METHOD, nullptr, nullptr,
                                         nullptr, nullptr));
}

} // namespace
