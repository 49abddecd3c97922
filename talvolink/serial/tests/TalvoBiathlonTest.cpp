#include "talvolink/serial/TalvoBiathlon.h"

#include "talvolink/serial/tests/support/SerialSensorFixture.h"

#include "interfaces/talvodata/IShot.h"
#include "talvodata/tests/support/Events.h"
#include "tools/sensorsim/AimSample.h"
#include "tools/sensorsim/PacketEncoder.h"

#include <vector>

using talvolink::CTalvoBiathlon;
using talvolink::DeviceRecord;
using talvolink::testsupport::RecordingHost;
using Kind = talvolink::testsupport::RecordingHost::Kind;
using Bytes = std::vector<std::uint8_t>;

namespace {

class TalvoBiathlonTest : public talvolink::testsupport::SerialSensorFixture {
protected:
    // The aiming steps the host saw, each run of NewCoordinates left out.
    std::vector<Kind> steps() const
    {
        std::vector<Kind> seen;
        for (const RecordingHost::Fired& fired : m_host.fired) {
            if (fired.kind != Kind::NewCoordinates) {
                seen.push_back(fired.kind);
            }
        }
        return seen;
    }

    // As a biathlon practice sets the control.
    void setUpBiathlonPractice()
    {
        m_host.settings[0].event = talvodata::testsupport::shippedEvent("BTLN");
        m_host.settings[0].maxTimeAfterShot = 5.0F;
        m_host.setSampleRate(100);
    }

    // The samples go straight to the model as records, as fast as it takes them.
    static void feed(CTalvoBiathlon& model, const std::vector<sensorsim::AimSample>& script)
    {
        std::vector<DeviceRecord> records;
        for (const sensorsim::AimSample& sample : script) {
            DeviceRecord& record = records.emplace_back();
            ASSERT_TRUE(model.ParsePacket(sensorsim::encodeBiathlon(sample, records.size() % 32), record));
        }
        model.ProcessRecords(records);
    }
};

TEST_F(TalvoBiathlonTest, StartsAtItsOwnSpeedAndRate)
{
    m_host.setSampleRate(200);
    plugSensor(307, /*probe=*/false);
    openModel<CTalvoBiathlon>();
    EXPECT_EQ(100, m_host.sampleRate());
    const auto commands = commandsOnce(2);
    ASSERT_EQ(2u, commands.size());
    EXPECT_EQ(8, commands[0].code);
    EXPECT_EQ(Bytes({1, 0x1F, 0}), commands[0].arguments);
    EXPECT_EQ(57600u, commands[0].baud);
    EXPECT_EQ(6, commands[1].code); // state reset
    closeModel();
    EXPECT_TRUE(
        m_sensor->waitUntil([](const sensorsim::Observation& seen) { return seen.commands.size() >= 3; }, kPatience));
    EXPECT_EQ(9, m_sensor->observe().commands[2].code);
}

TEST_F(TalvoBiathlonTest, AHoldWithAShotBecomesAnAimingWithItsShot)
{
    plugSensor(307);
    sensorsim::HoldParameters hold;
    hold.sampleRate = 100;
    m_sensor->setScript(sensorsim::holdWithShot(sensorsim::SensorKind::Biathlon, hold));
    CTalvoBiathlon& model = openModel<CTalvoBiathlon>();

    ASSERT_TRUE(pumpUntilFired(Kind::FinalConcludeAiming));
    EXPECT_EQ(std::vector<Kind>({Kind::StartAiming, Kind::Shot, Kind::ConcludeAiming, Kind::FinalConcludeAiming}),
              steps());
    ASSERT_EQ(1u, m_host.aimings.size());
    platform::com::ComPtr<IAimingTrace> trace;
    ASSERT_EQ(S_OK, m_host.aimings[0]->get_Trace(trace.put()));
    LONG points = 0;
    ASSERT_EQ(S_OK, trace->get_Count(&points));
    // From the rise through 0.5 s after the shot, 2.5 s at 100 a second.
    EXPECT_NEAR(250, points, 5);
    // The hold settles on the middle target's centre: the last points before the shot lie within 10 mm of it.
    LONG x = 0;
    LONG y = 0;
    ASSERT_EQ(S_OK, trace->_GetPoint(points - 60, &x, &y));
    EXPECT_NEAR(0, x, 1000);
    EXPECT_NEAR(0, y, 1000);
    EXPECT_EQ(0, model.statTotalSkipped());
    EXPECT_EQ(40, model.GetPiezoSensitivity(1));
}

TEST_F(TalvoBiathlonTest, LosingSightWithoutAShotEndsTheAimingWithAMissedShot)
{
    plugSensor(307);
    std::vector<sensorsim::AimSample> script(50); // no target in sight
    sensorsim::AimSample onTarget;
    onTarget.x = 100;
    onTarget.level = 120;
    script.insert(script.end(), 80, onTarget);
    m_sensor->setScript(script);
    openModel<CTalvoBiathlon>();

    ASSERT_TRUE(pumpUntilFired(Kind::FinalConcludeAiming));
    EXPECT_EQ(std::vector<Kind>({Kind::StartAiming, Kind::Shot, Kind::ConcludeAiming, Kind::FinalConcludeAiming}),
              steps());
    for (const RecordingHost::Fired& fired : m_host.fired) {
        EXPECT_TRUE(fired.kind != Kind::Shot || fired.value == 1) << "a shot that was not missed";
    }
}

TEST_F(TalvoBiathlonTest, TheSimulatorsLoopedHoldIsOneAimingPerShotInABiathlonPractice)
{
    setUpBiathlonPractice();
    CTalvoBiathlon model(m_host, nullptr);
    sensorsim::HoldParameters hold;
    hold.sampleRate = 100;
    const std::vector<sensorsim::AimSample> loop = sensorsim::holdWithShot(sensorsim::SensorKind::Biathlon, hold);
    constexpr int kRounds = 3;
    std::vector<sensorsim::AimSample> script;
    for (int round = 0; round < kRounds; ++round) {
        script.insert(script.end(), loop.begin(), loop.end());
    }
    feed(model, script);

    std::vector<Kind> expected;
    for (int round = 0; round < kRounds; ++round) {
        expected.insert(expected.end(),
                        {Kind::StartAiming, Kind::Shot, Kind::ConcludeAiming, Kind::FinalConcludeAiming});
    }
    EXPECT_EQ(expected, steps());
    for (const RecordingHost::Fired& fired : m_host.fired) {
        EXPECT_TRUE(fired.kind != Kind::Shot || fired.value == 0) << "a missed shot";
    }
    for (const auto& aiming : m_host.aimings) {
        platform::com::ComPtr<IShot> shot;
        ASSERT_EQ(S_OK, aiming->get_Shot(1, shot.put()));
        LONG index = 0;
        ASSERT_EQ(S_OK, shot->get_TraceIndex(&index));
        EXPECT_NEAR(200, index, 5) << "the trace holds the 2 s of aim before the shot";
        platform::com::ComPtr<IAimingTrace> trace;
        ASSERT_EQ(S_OK, aiming->get_Trace(trace.put()));
        LONG points = 0;
        ASSERT_EQ(S_OK, trace->get_Count(&points));
        EXPECT_EQ(index + 500, points) << "the lowered rifle holds the aiming for 5 s after the shot";
    }
}

TEST_F(TalvoBiathlonTest, EveryShotOfABoutStaysInItsAiming)
{
    // A biathlete fires at the plate's targets a few seconds apart without lowering the rifle: each shot falls
    // within the time the aiming stays open after the one before.
    setUpBiathlonPractice();
    CTalvoBiathlon model(m_host, nullptr);
    sensorsim::AimSample onTarget;
    onTarget.level = 120;
    sensorsim::AimSample jolt = onTarget;
    jolt.piezo = 400;
    std::vector<sensorsim::AimSample> script;
    constexpr int kShots = 5;
    for (int shot = 0; shot < kShots; ++shot) {
        script.insert(script.end(), 300, onTarget); // 3 s between shots
        script.insert(script.end(), 3, jolt);
    }
    script.insert(script.end(), 600, sensorsim::AimSample{}); // lowered
    feed(model, script);

    std::vector<Kind> expected{Kind::StartAiming};
    expected.insert(expected.end(), kShots, Kind::Shot);
    expected.insert(expected.end(), {Kind::ConcludeAiming, Kind::FinalConcludeAiming});
    EXPECT_EQ(expected, steps());
}

TEST_F(TalvoBiathlonTest, ADamagedPacketIsARecordWithoutAim)
{
    CTalvoBiathlon model(m_host, nullptr);
    sensorsim::AimSample sample;
    sample.level = 120;
    Bytes packet = sensorsim::encodeBiathlon(sample, 7);
    DeviceRecord record{};
    ASSERT_TRUE(model.ParsePacket(packet, record));
    EXPECT_EQ(1, record.aimValid);

    packet[5] ^= 0x01;
    DeviceRecord damaged{};
    ASSERT_TRUE(model.ParsePacket(packet, damaged));
    EXPECT_EQ(0, damaged.aimValid);
    EXPECT_EQ(7, damaged.sequence);

    DeviceRecord truncated{};
    EXPECT_FALSE(model.ParsePacket(std::span(packet).first(27), truncated));
}

} // namespace
