#include "talvolink/serial/TalvoPavane.h"
#include "talvolink/serial/TalvoPavane_s.h"
#include "talvolink/serial/TalvoPavanei.h"

#include "talvolink/serial/tests/support/SerialSensorFixture.h"

#include "tools/sensorsim/AimSample.h"

#include "talvodata/tests/support/Events.h"

#include "platform/kernel/tests/support/ProcessThreads.h"

#include <vector>

using talvolink::CTalvoPavane;
using talvolink::testsupport::RecordingHost;
using Kind = talvolink::testsupport::RecordingHost::Kind;
using Bytes = std::vector<std::uint8_t>;

namespace {

class TalvoPavaneTest : public talvolink::testsupport::SerialSensorFixture {};

void expectCommand(const sensorsim::ReceivedCommand& command, std::uint8_t code, const Bytes& arguments,
                   std::uint32_t baud)
{
    SCOPED_TRACE(static_cast<int>(code));
    EXPECT_EQ(code, command.code);
    EXPECT_EQ(arguments, command.arguments);
    EXPECT_EQ(baud, command.baud);
}

TEST_F(TalvoPavaneTest, ConfiguresTheSensorForTheSampleRate)
{
    struct Case {
        LONG sampleRate;
        std::uint8_t rateCode;
        std::uint32_t baud;
        Bytes period; // 1250000 / SampleRate, high byte first
    };
    const Case cases[] = {
        {100, 0, 9600, {0x30, 0xD4}},  {200, 1, 19200, {0x18, 0x6A}}, {201, 2, 38400, {0x18, 0x4A}},
        {400, 2, 38400, {0x0C, 0x35}}, {500, 3, 57600, {0x09, 0xC4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sampleRate);
        m_host.setSampleRate(c.sampleRate);
        plugSensor(300, /*probe=*/false);
        openModel<CTalvoPavane>();
        // Rate at the initial speed, then the period, the range and the start at the new one.
        const auto commands = commandsOnce(4);
        ASSERT_EQ(4u, commands.size());
        expectCommand(commands[0], 2, {c.rateCode}, 19200);
        expectCommand(commands[1], 16, c.period, c.baud);
        // Air rifle at 10 m: its 45.5 mm target is small enough for the near range.
        expectCommand(commands[2], 1, {1}, c.baud);
        expectCommand(commands[3], 13, {1, 0, 0}, c.baud);
        closeModel();
        EXPECT_TRUE(m_sensor->waitUntil(
            [](const sensorsim::Observation& seen) {
                return seen.commands.back().code == 13 && seen.commands.back().arguments == Bytes({0, 0, 0});
            },
            kPatience));
    }
}

TEST_F(TalvoPavaneTest, ChoosesTheRangeByTheTargetsSizeAtItsDistance)
{
    struct Case {
        const char* event;
        enumTargetType targetType;
        std::uint8_t range;
    };
    // 10 m rifle: 45.5 mm, 10 m pistol: 155.5 mm; near range up to 0.06 (0.03 at 5 m) of the distance, seen
    // through a tenfold (fivefold) sight.
    const Case cases[] = {
        {"AR10", Target10m, 1},
        {"AP10", Target10m, 0},
        {"AR10", Target5m, 1},
        {"AP10", Target5m, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.event << " " << c.targetType);
        m_host.settings[0].event = talvodata::testsupport::shippedEvent(c.event);
        m_host.settings[0].targetType = c.targetType;
        plugSensor(300, /*probe=*/false);
        openModel<CTalvoPavane>();
        const auto commands = commandsOnce(3);
        ASSERT_GE(commands.size(), 3u);
        expectCommand(commands[2], 1, {c.range}, 19200);
        closeModel();
    }
}

TEST_F(TalvoPavaneTest, AHoldWithAShotBecomesAnAimingWithItsShot)
{
    plugSensor(300);
    sensorsim::HoldParameters hold;
    const std::vector<sensorsim::AimSample> script = sensorsim::holdWithShot(sensorsim::SensorKind::Pavane, hold);
    m_sensor->setScript(script);
    CTalvoPavane& model = openModel<CTalvoPavane>();

    ASSERT_TRUE(pumpUntilFired(Kind::FinalConcludeAiming));
    std::vector<Kind> steps;
    for (const RecordingHost::Fired& fired : m_host.fired) {
        if (fired.kind != Kind::NewCoordinates && (steps.empty() || steps.back() != fired.kind)) {
            steps.push_back(fired.kind);
        }
    }
    EXPECT_EQ(std::vector<Kind>({Kind::StartAiming, Kind::Shot, Kind::ConcludeAiming, Kind::FinalConcludeAiming}),
              steps);
    ASSERT_EQ(1u, m_host.aimings.size());
    for (const RecordingHost::Fired& fired : m_host.fired) {
        EXPECT_TRUE(fired.kind != Kind::Shot || fired.value == 0) << "a missed shot";
    }
    platform::com::ComPtr<IAimingTrace> trace;
    ASSERT_EQ(S_OK, m_host.aimings[0]->get_Trace(trace.put()));
    LONG points = 0;
    ASSERT_EQ(S_OK, trace->get_Count(&points));
    // The hold from the rise through 0.5 s after the shot, less what slid out of the trace's window.
    EXPECT_GT(points, 400);
    EXPECT_EQ(0, model.statTotalInvalid());
    EXPECT_EQ(0, model.statTotalSkipped());
}

TEST_F(TalvoPavaneTest, UnpluggingIsReportedAndPluggingBackReconnects)
{
    plugSensor(300);
    CTalvoPavane& model = openModel<CTalvoPavane>();
    ASSERT_TRUE(m_host.pumpUntil([&] { return model.statTotalReceived() > 20; }, kPatience));

    m_sensor->unplug();
    ASSERT_TRUE(pumpUntilFired(Kind::Disconnected));
    EXPECT_FALSE(model.lineUp());

    m_sensor->plugIn();
    ASSERT_TRUE(pumpUntilFired(Kind::Reconnected));
    EXPECT_TRUE(model.lineUp());
    EXPECT_EQ(2, m_sensor->observe().pnpAnswers);
    const LONG before = model.statTotalReceived();
    EXPECT_TRUE(m_host.pumpUntil([&] { return model.statTotalReceived() > before + 20; }, kPatience));
    EXPECT_EQ(1u, m_host.count(Kind::Disconnected));
    EXPECT_EQ(1u, m_host.count(Kind::Reconnected));
}

TEST_F(TalvoPavaneTest, ASilentSensorIsAnnouncedEverySecond)
{
    plugSensor(300);
    CTalvoPavane& model = openModel<CTalvoPavane>();
    ASSERT_TRUE(m_host.pumpUntil([&] { return model.statTotalReceived() > 0; }, kPatience));
    model.Stop(); // the sensor stops sending, its lines stay up
    ASSERT_TRUE(pumpUntilFired(Kind::Timeout, 2));
    LONG last = 0;
    for (const RecordingHost::Fired& fired : m_host.fired) {
        if (fired.kind == Kind::Timeout) {
            EXPECT_GE(fired.value, last + 1);
            last = fired.value;
        }
    }
}

TEST_F(TalvoPavaneTest, ClosingWhileStreamingLeavesNoThread)
{
    plugSensor(300);
    const std::size_t threadsBefore = platform::kernel::testing::processThreadCount();
    CTalvoPavane& model = openModel<CTalvoPavane>();
    ASSERT_TRUE(m_host.pumpUntil([&] { return model.statTotalReceived() > 20; }, kPatience));
    EXPECT_GT(platform::kernel::testing::processThreadCount(), threadsBefore);
    closeModel();
    EXPECT_TRUE(platform::kernel::testing::settlesAtThreadCount(threadsBefore));
    EXPECT_TRUE(m_sensor->waitUntil([](const sensorsim::Observation& seen) { return !seen.powered; }, kPatience));
}

TEST_F(TalvoPavaneTest, TheSignalLightTakesTheModelsCommand)
{
    struct Case {
        int modelCode;
        std::uint8_t command;
    };
    for (const Case& c : {Case{302, 22}, Case{303, 21}}) {
        SCOPED_TRACE(c.modelCode);
        plugSensor(c.modelCode, /*probe=*/false);
        CTalvoPavane& model = c.modelCode == 302 ? static_cast<CTalvoPavane&>(openModel<talvolink::CTalvoPavanei>())
                                                 : static_cast<CTalvoPavane&>(openModel<talvolink::CTalvoPavane_s>());
        EXPECT_TRUE(model.SemaphoreAvailable());
        EXPECT_TRUE(model.PutSemaphore(SemaphoreRed));
        const auto commands = commandsOnce(5);
        ASSERT_EQ(5u, commands.size());
        expectCommand(commands[4], c.command, {SemaphoreRed}, 19200);
        closeModel();
    }
    plugSensor(300, /*probe=*/false);
    EXPECT_FALSE(openModel<CTalvoPavane>().SemaphoreAvailable());
}

} // namespace
