#include "talvolink/serial/Talvo306.h"

#include "talvolink/serial/tests/support/SerialSensorFixture.h"

#include "tools/sensorsim/AimSample.h"

#include "platform/com/Bstr.h"

#include <set>
#include <vector>

using talvolink::CTalvo306;
using Kind = talvolink::testsupport::RecordingHost::Kind;
using Bytes = std::vector<std::uint8_t>;

namespace {

class Talvo306Test : public talvolink::testsupport::SerialSensorFixture {};

TEST_F(Talvo306Test, ConfiguresTheSensorForTheSampleRate)
{
    struct Case {
        LONG sampleRate;
        std::uint8_t rateCode;
        std::uint32_t baud;
        Bytes period;
    };
    const Case cases[] = {
        {100, 0, 19200, {0x30, 0xD4}},
        {200, 1, 38400, {0x18, 0x6A}},
        {300, 2, 57600, {0x10, 0x46}},
        {500, 2, 57600, {0x09, 0xC4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sampleRate);
        m_host.setSampleRate(c.sampleRate);
        plugSensor(306, /*probe=*/false);
        openModel<CTalvo306>();
        const auto commands = commandsOnce(2);
        ASSERT_GE(commands.size(), 2u);
        EXPECT_EQ(2, commands[0].code);
        EXPECT_EQ(Bytes({c.rateCode}), commands[0].arguments);
        EXPECT_EQ(38400u, commands[0].baud);
        EXPECT_EQ(16, commands[1].code);
        EXPECT_EQ(c.period, commands[1].arguments);
        EXPECT_EQ(c.baud, commands[1].baud);
        closeModel();
    }
}

TEST_F(Talvo306Test, PulseAndTriggerReachTheControl)
{
    plugSensor(306);
    sensorsim::HoldParameters hold;
    const std::vector<sensorsim::AimSample> script = sensorsim::holdWithShot(sensorsim::SensorKind::Model306, hold);
    m_sensor->setScript(script, /*loop=*/true);
    CTalvo306& model = openModel<CTalvo306>();
    EXPECT_TRUE(model.PulseAvailable());
    EXPECT_TRUE(model.TriggerControlAvailable());

    std::set<LONG> triggerValues;
    std::size_t triggerCounts = 0;
    m_host.onTrigger = [&](LONG count) {
        triggerCounts += static_cast<std::size_t>(count);
        for (LONG i = 0; i < count; ++i) {
            LONG value = -1;
            EXPECT_TRUE(model.GetTrigger(1, i, &value));
            triggerValues.insert(value);
        }
        LONG past = 0;
        EXPECT_FALSE(model.GetTrigger(1, count, &past));
        EXPECT_FALSE(model.GetTrigger(1, -1, &past));
    };
    ASSERT_TRUE(pumpUntilFired(Kind::PulseChanged));
    ASSERT_TRUE(pumpUntilFired(Kind::ConcludeAiming));
    LONG outside = 0;
    EXPECT_FALSE(model.GetTrigger(1, 0, &outside));

    // The simulated shooter's pulse is 72; the trigger is pressed (600) in the half second before the shot.
    for (const auto& fired : m_host.fired) {
        if (fired.kind == Kind::PulseChanged) {
            EXPECT_NEAR(72, fired.value, 2);
        }
    }
    EXPECT_GE(m_host.count(Kind::HeartBeat), 2u);
    EXPECT_EQ(std::set<LONG>({100, 600}), triggerValues);
    EXPECT_GE(static_cast<LONG>(triggerCounts), model.statTotalReceived() - 20); // all but the last batch

    ASSERT_FALSE(m_host.aimings.empty());
    platform::com::ComPtr<IAimingTrace> trace;
    ASSERT_EQ(S_OK, m_host.aimings[0]->get_Trace(trace.put()));
    LONG channel = 0;
    ASSERT_EQ(S_OK, trace->GetUserData(platform::com::Bstr(u"_trigger").get(), &channel));
    LONG first = 0;
    LONG last = 0;
    ASSERT_EQ(S_OK, trace->get_First(&first));
    ASSERT_EQ(S_OK, trace->get_Last(&last));
    std::set<LONG> stored;
    for (LONG i = first; i <= last; ++i) {
        LONG value = 0;
        ASSERT_EQ(S_OK, trace->get_UserData(channel, i, &value));
        stored.insert(value);
    }
    EXPECT_EQ(std::set<LONG>({100, 600}), stored);
    EXPECT_EQ(0, model.statTotalSkipped()); // sequence numbers wrap at 16
}

} // namespace
