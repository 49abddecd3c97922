#include "talvolink/tests/support/ControlFixture.h"

#include "interfaces/talvodata/IAiming.h"
#include "platform/testing/Matchers.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace talvolink {
namespace {

using platform::com::ComPtr;
using ::testing::ElementsAre;
using testsupport::makeRecord;
using testsupport::ReceivedEvent;

constexpr DISPID kStart = DISPID_TALVODEVICEEVENTS_STARTAIMING;
constexpr DISPID kPoints = DISPID_TALVODEVICEEVENTS_NEWCOORDINATES;
constexpr DISPID kShot = DISPID_TALVODEVICEEVENTS_SHOT;
constexpr DISPID kConclude = DISPID_TALVODEVICEEVENTS_CONCLUDEAIMING;
constexpr DISPID kFinal = DISPID_TALVODEVICEEVENTS_FINALCONCLUDEAIMING;

// With level 78 and the scripted range divisor one sensor unit is one millimetre.
constexpr int kLevel = 78;
constexpr int kPiezo = 40; // The control's default PiezoSensitivity, forwarded at connection.

std::vector<DeviceRecord> times(int count, const DeviceRecord& record)
{
    return std::vector<DeviceRecord>(static_cast<std::size_t>(count), record);
}

std::vector<DeviceRecord> operator+(std::vector<DeviceRecord> a, const std::vector<DeviceRecord>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

ComPtr<IAiming> aimingOf(const ReceivedEvent& event)
{
    ComPtr<IAiming> aiming;
    EXPECT_EQ(S_OK, event.dispatchArgument(1)->QueryInterface(IAiming::kIid, aiming.putVoid()));
    return aiming;
}

ComPtr<IShot> shotOf(const ReceivedEvent& event)
{
    ComPtr<IShot> shot;
    EXPECT_EQ(S_OK, event.dispatchArgument(2)->QueryInterface(IShot::kIid, shot.putVoid()));
    return shot;
}

bool missed(const ReceivedEvent& shotEvent)
{
    VARIANT_BOOL value = VARIANT_FALSE;
    EXPECT_EQ(S_OK, shotOf(shotEvent)->get_Missed(&value));
    return value == VARIANT_TRUE;
}

class AimingStateMachineTest : public testsupport::ControlFixture {
protected:
    void SetUp() override
    {
        makeControl();
        connect();
    }

    /// Starts with a low signal, then one record that starts the aiming.
    static std::vector<DeviceRecord> start() { return times(3, makeRecord(0)) + times(1, makeRecord(kLevel)); }
    static std::vector<DeviceRecord> aim(int count) { return times(count, makeRecord(kLevel)); }
    static std::vector<DeviceRecord> fire() { return times(1, makeRecord(kLevel, kPiezo)); }
    static std::vector<DeviceRecord> low(int count) { return times(count, makeRecord(0)); }

    void useEvent(LONG minShots, LONG maxShots)
    {
        m_event = platform::com::makeComObject<testsupport::TestEvent>(minShots, maxShots);
        ASSERT_EQ(S_OK, m_control->put_Event(1, m_event.get()));
    }

    std::vector<DISPID> sequence() const { return m_recorder->sequence(); }
    std::vector<ReceivedEvent> eventsOf(DISPID id) const { return m_recorder->eventsOf(id); }
};

TEST_F(AimingStateMachineTest, OneAimingWithOneShot)
{
    // 10 points, the shot on the 11th; 100 records after it; the 101st concludes.
    feed(start() + aim(10) + fire() + aim(100) + aim(1) + low(2));

    EXPECT_THAT(sequence(), ElementsAre(kStart, kPoints, kShot, kPoints, kConclude, kFinal));
    const auto& events = m_recorder->events;
    EXPECT_EQ(4, events[0].stamp) << "the fourth record starts the aiming";
    EXPECT_EQ(11, events[1].intArgument(2)) << "the points before the shot are announced with it";
    EXPECT_EQ(15, events[2].stamp);
    EXPECT_EQ(100, events[3].intArgument(2));
    EXPECT_EQ(15 + 101, events[4].stamp) << "the 101st record after the shot concludes";
    EXPECT_EQ(15 + 102, events[5].stamp) << "the first low record brings the final conclusion";
    for (const ReceivedEvent& event : events) {
        EXPECT_EQ(1, event.intArgument(0));
    }

    const ComPtr<IAiming> aiming = aimingOf(events[0]);
    EXPECT_EQ(aiming.get(), aimingOf(events[4]).get());
    ComPtr<IAimingTrace> trace;
    ASSERT_EQ(S_OK, aiming->get_Trace(trace.put()));
    LONG count = 0;
    ASSERT_EQ(S_OK, trace->get_Count(&count));
    EXPECT_EQ(111, count);
    VARIANT_BOOL readOnly = VARIANT_FALSE;
    ASSERT_EQ(S_OK, trace->get_ReadOnly(&readOnly));
    EXPECT_EQ(VARIANT_TRUE, readOnly);

    const ComPtr<IShot> shot = shotOf(events[2]);
    LONG traceIndex = -1;
    ASSERT_EQ(S_OK, shot->get_TraceIndex(&traceIndex));
    LONG first = -1;
    ASSERT_EQ(S_OK, trace->get_First(&first));
    EXPECT_EQ(first + 10, traceIndex) << "the shot sits on the 11th point";
    EXPECT_FALSE(missed(events[2]));
    DATE shotTime = 0;
    ASSERT_EQ(S_OK, shot->get_ShotTime(&shotTime));
    EXPECT_DOUBLE_EQ(m_clock.wallNow(), shotTime);

    ComPtr<IAimingAttr> attributes;
    ASSERT_EQ(S_OK, aiming->get_Attr(attributes.put()));
    LONG sampleRate = 0;
    ASSERT_EQ(S_OK, attributes->get_SampleRate(&sampleRate));
    EXPECT_EQ(200, sampleRate);
    DATE startTime = 0;
    ASSERT_EQ(S_OK, attributes->get_StartTime(&startTime));
    EXPECT_DOUBLE_EQ(m_clock.wallNow(), startTime);
    DATE enterTime = 0;
    ASSERT_EQ(S_OK, attributes->get_EnterTime(&enterTime));
    EXPECT_DOUBLE_EQ(m_clock.wallNow(), enterTime) << "the first point scored, so the aim entered there";
    ComPtr<IEventParams> event;
    ASSERT_EQ(S_OK, attributes->get_Event(event.put()));
    EXPECT_EQ(static_cast<IEventParams*>(m_event.get()), event.get());

    // The good shot teaches the signal threshold two thirds of the level before it.
    EXPECT_EQ(kLevel * 2 / 3, model().signalThreshold());
}

TEST_F(AimingStateMachineTest, ConclusionComesAfterMaxTimeAfterShotInRecords)
{
    struct Case {
        LONG sampleRate;
        float seconds;
        int records;
    };
    for (const Case& c : {Case{200, 0.5F, 100}, Case{100, 0.7F, 70}, Case{300, 1.1F, 330}}) {
        SCOPED_TRACE(c.sampleRate);
        makeControl();
        ASSERT_EQ(S_OK, m_control->put_SampleRate(c.sampleRate));
        ASSERT_EQ(S_OK, m_control->put_MaxTimeAfterShot(1, c.seconds));
        connect();
        feed(start() + aim(5) + fire() + aim(c.records) + aim(1));
        const auto concluded = eventsOf(kConclude);
        ASSERT_EQ(1u, concluded.size());
        EXPECT_EQ(4 + 6 + c.records + 1, concluded[0].stamp);
    }
}

TEST_F(AimingStateMachineTest, ShotNeedsThePiezoAtItsThreshold)
{
    struct Case {
        int piezo;
        std::size_t shots;
    };
    for (const Case& c : {Case{39, 0u}, Case{40, 1u}}) {
        SCOPED_TRACE(c.piezo);
        makeControl();
        connect();
        feed(start() + aim(5) + times(1, makeRecord(kLevel, c.piezo)));
        EXPECT_EQ(c.shots, eventsOf(kShot).size());
    }
}

TEST_F(AimingStateMachineTest, TraceKeepsOnlyMaxTimeBeforeShotBeforeTheShot)
{
    ASSERT_EQ(S_OK, m_control->put_MaxTimeBeforeShot(1, 0.5F)); // 100 samples at 200 per second.
    feed(start() + aim(149) + fire() + aim(101));

    const auto starts = eventsOf(kStart);
    ASSERT_EQ(1u, starts.size());
    ComPtr<IAimingTrace> trace;
    ASSERT_EQ(S_OK, aimingOf(starts[0])->get_Trace(trace.put()));
    LONG first = 0;
    LONG last = 0;
    ASSERT_EQ(S_OK, trace->get_First(&first));
    ASSERT_EQ(S_OK, trace->get_Last(&last));
    EXPECT_EQ(249, last) << "150 points up to the shot and 100 after it";
    EXPECT_EQ(50, first) << "the window before the shot slid over the first 50";
    LONG traceIndex = 0;
    ASSERT_EQ(S_OK, shotOf(eventsOf(kShot).at(0))->get_TraceIndex(&traceIndex));
    EXPECT_EQ(149, traceIndex);
}

TEST_F(AimingStateMachineTest, TwoShotsNeedTheRejectLengthBetweenThem)
{
    useEvent(1, 2);
    // N = SampleRate / 4 = 50: a piezo on records 1 to 49 after a shot counts nothing, the 50th may shoot.
    feed(start() + aim(5) + fire() + times(49, makeRecord(kLevel, kPiezo)) + fire() + aim(101));

    EXPECT_THAT(sequence(), ElementsAre(kStart, kPoints, kShot, kPoints, kShot, kPoints, kConclude));
    const auto shots = eventsOf(kShot);
    EXPECT_EQ(4 + 6, shots[0].stamp);
    EXPECT_EQ(4 + 6 + 50, shots[1].stamp);
    EXPECT_EQ(50, eventsOf(kPoints)[1].intArgument(2)) << "50 points between the shots";
    EXPECT_FALSE(missed(shots[1]));
    LONG shotCount = 0;
    ASSERT_EQ(S_OK, aimingOf(shots[1])->get_ShotCount(&shotCount));
    EXPECT_EQ(2, shotCount);
    EXPECT_EQ(4 + 6 + 50 + 101, eventsOf(kConclude)[0].stamp) << "concluded after the last shot";
}

TEST_F(AimingStateMachineTest, EventMaximumRefusesASecondShot)
{
    feed(start() + aim(5) + fire() + aim(60) + fire() + aim(101));

    EXPECT_EQ(1u, eventsOf(kShot).size());
    EXPECT_EQ(1u, eventsOf(kConclude).size());
}

TEST_F(AimingStateMachineTest, FallingSignalBeforeTheShotConcludesWithAMissedShot)
{
    // L = 40: an open aiming concludes below 40.
    feed(start() + aim(20) + times(1, makeRecord(40)) + times(1, makeRecord(39)) + low(1));

    EXPECT_THAT(sequence(), ElementsAre(kStart, kPoints, kShot, kConclude, kFinal));
    EXPECT_EQ(21, eventsOf(kPoints)[0].intArgument(2));
    EXPECT_TRUE(missed(eventsOf(kShot)[0]));
    EXPECT_EQ(4 + 22, eventsOf(kConclude)[0].stamp);
}

TEST_F(AimingStateMachineTest, StartThresholdIsFourFifthsOfTheSignalThreshold)
{
    struct Case {
        int level;
        bool starts;
    };
    for (const Case& c : {Case{32, false}, Case{33, true}}) {
        SCOPED_TRACE(c.level);
        makeControl();
        connect();
        feed(low(1) + times(1, makeRecord(c.level)));
        EXPECT_EQ(c.starts ? 1u : 0u, eventsOf(kStart).size());
    }
}

TEST_F(AimingStateMachineTest, CalibrationModeUsesTwentyForBothThresholds)
{
    ASSERT_EQ(S_OK, m_control->put_CalibrationMode(1, VARIANT_TRUE));
    feed(low(1) + times(1, makeRecord(20)) + times(1, makeRecord(21)) + times(3, makeRecord(20)) +
         times(1, makeRecord(19)));

    EXPECT_EQ(3, eventsOf(kStart).at(0).stamp) << "20 does not start, 21 does";
    EXPECT_EQ(3, eventsOf(kPoints).at(0).intArgument(2));
    EXPECT_EQ(7, eventsOf(kConclude)[0].stamp) << "20 keeps the aiming, 19 concludes it";
}

TEST_F(AimingStateMachineTest, MissingShotsAreFilledUpToTheEventMinimum)
{
    useEvent(3, 5);
    feed(start() + aim(5) + fire() + aim(101));

    const auto shots = eventsOf(kShot);
    ASSERT_EQ(3u, shots.size());
    EXPECT_FALSE(missed(shots[0]));
    EXPECT_TRUE(missed(shots[1]));
    EXPECT_TRUE(missed(shots[2]));
    EXPECT_THAT(sequence(), ElementsAre(kStart, kPoints, kShot, kPoints, kShot, kShot, kConclude));
}

TEST_F(AimingStateMachineTest, FillingStopsWhenTheMaximumIsBelowTheMinimum)
{
    useEvent(3, 1);
    feed(start() + aim(5) + times(1, makeRecord(0)));

    const auto shots = eventsOf(kShot);
    ASSERT_EQ(1u, shots.size());
    EXPECT_TRUE(missed(shots[0]));
    EXPECT_EQ(1u, eventsOf(kConclude).size());
}

TEST_F(AimingStateMachineTest, AimingWithoutPointsGetsNoMissedShots)
{
    useEvent(2, 2);
    feed(start() + times(1, makeRecord(35)));

    EXPECT_THAT(sequence(), ElementsAre(kStart, kConclude));
}

TEST_F(AimingStateMachineTest, NewAimingNeedsMoreThanHalfASecondOfLowSignalAfterShots)
{
    // After an aiming with shots: 100 low records (SampleRate / 2) are not enough, 101 are.
    feed(start() + aim(5) + fire() + aim(101) + low(100) + aim(1) + low(101) + aim(1));

    const auto starts = eventsOf(kStart);
    ASSERT_EQ(2u, starts.size());
    const long concluded = eventsOf(kConclude)[0].stamp;
    EXPECT_EQ(concluded + 203, starts[1].stamp);
    const auto finals = eventsOf(kFinal);
    ASSERT_EQ(1u, finals.size()) << "only the first low record after the conclusion";
    EXPECT_EQ(concluded + 1, finals[0].stamp);
}

TEST_F(AimingStateMachineTest, AimingWithoutShotsRestartsAtOnce)
{
    useEvent(0, 1); // No missed shot is added.
    feed(start() + aim(3) + times(1, makeRecord(35)) + aim(1));

    EXPECT_EQ(2u, eventsOf(kStart).size());
}

TEST_F(AimingStateMachineTest, PointsFollowSensorPositionSmoothingAndCorrection)
{
    struct Case {
        enumSensorPosition position;
        LONG x;
        LONG y;
    };
    // x = 2, y = 1 turn into u = 1, v = 3: (100, 300) hundredths of a millimetre on a bottom sensor.
    for (const Case& c : {Case{SensorBottom, 100, 300}, Case{SensorTop, -100, -300}, Case{SensorLeft, -300, 100},
                          Case{SensorRight, 300, -100}}) {
        SCOPED_TRACE(c.position);
        makeControl();
        ASSERT_EQ(S_OK, m_control->put_SensorPosition(1, c.position));
        ASSERT_EQ(S_OK, m_control->put_CorrectionX(1, 1.5F));
        ASSERT_EQ(S_OK, m_control->put_CorrectionY(1, -0.25F));
        connect();
        feed(start() + times(1, makeRecord(kLevel, 0, 2, 1)));
        ComPtr<IAimingTrace> trace;
        ASSERT_EQ(S_OK, aimingOf(eventsOf(kStart).at(0))->get_Trace(trace.put()));
        LONG first = 0;
        LONG x = 0;
        LONG y = 0;
        ASSERT_EQ(S_OK, trace->get_First(&first));
        ASSERT_EQ(S_OK, trace->_GetPoint(first, &x, &y));
        EXPECT_EQ(c.x + 150, x);
        EXPECT_EQ(c.y - 25, y);
    }

    // A step of 10 units moves the point by 7.5: v goes from 1 to 11, the point to 8.5 units; u stays.
    makeControl();
    connect();
    feed(start() + times(1, makeRecord(kLevel, 0, 1, 0)) + times(1, makeRecord(kLevel, 0, 6, 5)));
    ComPtr<IAimingTrace> trace;
    ASSERT_EQ(S_OK, aimingOf(eventsOf(kStart).at(0))->get_Trace(trace.put()));
    LONG last = 0;
    LONG x = 0;
    LONG y = 0;
    ASSERT_EQ(S_OK, trace->get_Last(&last));
    ASSERT_EQ(S_OK, trace->_GetPoint(last, &x, &y));
    EXPECT_EQ(100, x);
    EXPECT_EQ(850, y);
}

TEST_F(AimingStateMachineTest, ConcludeCurrentAimingFiresFinalConclusionTwice)
{
    feed(start() + aim(5));
    ASSERT_EQ(S_OK, m_control->ConcludeCurrentAiming(1));
    EXPECT_THAT(sequence(), ElementsAre(kStart, kPoints, kShot, kConclude, kFinal));

    feed(low(1));
    EXPECT_EQ(2u, eventsOf(kFinal).size()) << "the pending final conclusion follows at the next low record";
    feed(aim(1));
    EXPECT_EQ(2u, eventsOf(kStart).size()) << "the shot count was cleared, so a rise starts at once";
}

TEST_F(AimingStateMachineTest, ResetRestoresTheSignalThreshold)
{
    feed(start() + aim(5) + fire() + aim(101));
    ASSERT_EQ(kLevel * 2 / 3, model().signalThreshold());

    ASSERT_EQ(S_OK, m_control->Reset(1));
    EXPECT_EQ(40, model().signalThreshold());
}

TEST_F(AimingStateMachineTest, AddShotRecordsAShotWithoutTeachingTheThreshold)
{
    feed(start() + aim(5));
    ASSERT_EQ(S_OK, m_control->AddShot(VARIANT_FALSE));

    EXPECT_THAT(sequence(), ElementsAre(kStart, kPoints, kShot));
    EXPECT_FALSE(missed(eventsOf(kShot)[0]));
    EXPECT_EQ(40, model().signalThreshold());

    ASSERT_EQ(S_OK, m_control->ConcludeCurrentAiming(1));
    ASSERT_EQ(S_OK, m_control->AddShot(VARIANT_FALSE));
    EXPECT_EQ(1u, eventsOf(kShot).size()) << "no aiming is open";
}

TEST_F(AimingStateMachineTest, DisconnectConcludesTheOpenAiming)
{
    feed(start() + aim(5));
    ASSERT_EQ(S_OK, m_control->put_Connected(VARIANT_FALSE));

    EXPECT_THAT(sequence(), ElementsAre(kStart, kPoints, kShot, kConclude));
}

} // namespace
} // namespace talvolink
