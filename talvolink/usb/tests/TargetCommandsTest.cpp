#include "talvolink/usb/TargetCommands.h"
#include "talvolink/usb/EmitterRegulation.h"
#include "talvolink/usb/UsbAimingRules.h"
#include "talvolink/usb/UsbWirelessTarget.h"

#include "platform/time/ManualClock.h"
#include "platform/usb/UsbTransportFake.h"

#include <gtest/gtest.h>

#include <vector>

namespace talvolink {
namespace {

using namespace platform::usb;
using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

// A receiver whose command request fails `failures` times (each at once), then succeeds.
class CommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        FakeUsbDevice& fake = m_bus.plug("/dev/bus/usb/001/007", {0x2D7A, 0x0010});
        fake.setPipes({{PipeType::Bulk, 0x81, 64, 0}});
        fake.setVendorScript([this](const SetupPacket& setup, std::span<std::uint8_t> data) {
            if (setup.request == 0xF0) {
                m_attempts.push_back(m_clock.steadyNow());
                if (m_failures > 0) {
                    --m_failures;
                    return Transfer{kErrorGenFailure, 0};
                }
            }
            if (setup.request == 0x82) {
                data[4] = 1; // target 5
            }
            return Transfer{kErrorSuccess, data.size()};
        });
        m_fake = &fake;
        m_receiver.setUsesReader(false);
        ASSERT_TRUE(m_receiver.Open("/dev/bus/usb/001/007"));
    }

    FakeUsbTransport m_bus;
    FakeUsbDevice* m_fake = nullptr;
    UsbWirelessTarget m_receiver{m_bus};
    platform::time::ManualClock m_clock;
    TargetCommands m_commands{m_receiver, m_clock, [this](std::chrono::milliseconds d) { m_clock.advance(d); }};
    std::vector<std::chrono::milliseconds> m_attempts;
    int m_failures = 0;
};

TEST_F(CommandsTest, RetriesEvery50msWithinTheWindow)
{
    struct Case {
        CommandTiming timing;
        int failures;
        bool sent;
        std::size_t attempts;
    };
    const std::vector<Case> cases{
        {kZoneCommand, 1, false, 1},    {kZoneCommand, 0, true, 1},           {kQuickCommand, 2, true, 3},
        {kQuickCommand, 100, false, 6}, {kBrightnessCommand, 100, false, 11},
    };
    const Bytes bytes{command::kLamps, 1, 2};
    for (const Case& c : cases) {
        m_attempts.clear();
        m_failures = c.failures;
        const auto start = m_clock.steadyNow();
        EXPECT_EQ(m_commands.send(3, bytes, c.timing), c.sent);
        ASSERT_EQ(m_attempts.size(), c.attempts) << c.timing.retryWindow.count();
        for (std::size_t i = 0; i < m_attempts.size(); ++i) {
            EXPECT_EQ(m_attempts[i] - start, 50ms * static_cast<int>(i));
        }
    }
    const FakeRequest last = m_fake->requests().back();
    EXPECT_EQ(last.setup.value, 500); // a time-out of 0 means 500 ms
    EXPECT_EQ(last.setup.index, 3);
    EXPECT_EQ(last.data, bytes);
}

TEST_F(CommandsTest, BadTargetsAndLengthsFailWithoutTransfer)
{
    const std::size_t before = m_fake->requests().size();
    EXPECT_FALSE(m_commands.send(17, Bytes{command::kStartWireless}, kQuickCommand));
    EXPECT_FALSE(m_commands.send(1, Bytes(17, 0), kQuickCommand));
    EXPECT_FALSE(m_commands.send(1, Bytes{}, kQuickCommand));
    EXPECT_EQ(m_fake->requests().size(), before);
    EXPECT_EQ(m_commands.firstPresentTarget(), 5);
}

TEST(SubTargetTest, PairsByModeKindAndFiringPoint)
{
    struct Case {
        bool wireless;
        int kind;
        long firingPoint;
        int a;
        int b;
    };
    const std::vector<Case> cases{
        {true, 2, 1, 10, 16}, {true, 2, 2, 12, 14}, {true, 2, 3, 18, 22},  {true, 8, 4, 20, 26},  {true, 5, 5, 24, 28},
        {true, 3, 6, 10, 16}, {true, 0, 3, 10, 16}, {false, 2, 3, 16, 18}, {false, 0, 4, 12, 14},
    };
    for (const Case& c : cases) {
        const SubTargetPair pair = SelectSubTargetPair(c.wireless, c.kind, c.firingPoint);
        EXPECT_EQ(pair.a, c.a) << c.firingPoint;
        EXPECT_EQ(pair.b, c.b) << c.firingPoint;
        EXPECT_EQ(pair.parity, c.firingPoint % 2);
    }
}

TEST(LampsTest, BitsAndByteOrder)
{
    LampBytes lamps = SwitchLamp({}, true, 2, true);
    lamps = SwitchLamp(lamps, false, 1, true);
    lamps = SwitchLamp(lamps, false, 5, true);
    EXPECT_EQ(lamps.hit, 0x02);
    EXPECT_EQ(lamps.miss, 0x11);
    EXPECT_EQ(LampCommand(lamps, 3), (std::array<std::uint8_t, 3>{0x32, 0x02, 0x11}));
    EXPECT_EQ(LampCommand(lamps, 18), (std::array<std::uint8_t, 3>{0x32, 0x11, 0x02}));
    lamps = SwitchLamp(lamps, false, 1, false);
    EXPECT_EQ(lamps.miss, 0x10);
    EXPECT_EQ(SwitchLamp(lamps, true, 9, true).hit, 0x02);
}

TEST(EmitterRegulationTest, SpotsAndLevels)
{
    // A spot off by more than 100 scales its current; a close one keeps it; a dark one gets the maximum.
    EXPECT_EQ(RegulateSpots(kOpticalControllerRule, {30000, 30000}, {1500.0, 1250.0}, 1200.0, false),
              (Currents{24000, 30000}));
    EXPECT_EQ(RegulateSpots(kOpticalControllerRule, {30000, 30000}, {1.0, 60000.0}, 1200.0, false),
              (Currents{63488, 4096}));
    EXPECT_EQ(RegulateSpots(kWirelessTargetRule, {100, 60}, {500.0, 500.0}, 500.0, true), (Currents{50, 50}));
    EXPECT_EQ(RegulateLevels({40000, 40000}, {70, 35}, false, false), (Currents{20000, 40000}));
    EXPECT_EQ(RegulateLevels({100, 100}, {1, 34}, false, true), (Currents{215, 100}));
    EXPECT_EQ(RegulateLevels({3000, 2500}, {35, 35}, true, false), (Currents{2000, 2000}));
}

TEST(EmitterRegulationTest, CountdownBetweenAdjustments)
{
    EmitterRegulator regulator;
    regulator.setCurrents({30000, 30000});
    const std::vector<double> bright(8, 300.0);
    const std::vector<double> dim(8, 40.0);
    EXPECT_FALSE(regulator.onSpots(kOpticalControllerRule, dim, {1500.0, 1500.0}, 1200.0, false));
    const auto first = regulator.onSpots(kOpticalControllerRule, bright, {1500.0, 1500.0}, 1200.0, false);
    ASSERT_TRUE(first);
    EXPECT_EQ(*first, (Currents{24000, 24000}));
    regulator.setCurrents(*first);
    for (int i = 0; i < 25; ++i) {
        EXPECT_FALSE(regulator.onSpots(kOpticalControllerRule, bright, {1500.0, 1500.0}, 1200.0, false));
    }
    const auto second = regulator.onSpots(kOpticalControllerRule, bright, {1500.0, 1500.0}, 1200.0, false);
    ASSERT_TRUE(second);
    EXPECT_EQ(*second, (Currents{19200, 19200}));
    regulator.setCurrents(*second);
    for (int i = 0; i < 25; ++i) {
        EXPECT_FALSE(regulator.onSpots(kOpticalControllerRule, bright, {1250.0, 1250.0}, 1200.0, false));
    }
    // Currents that would not change end the regulation.
    EXPECT_FALSE(regulator.onSpots(kOpticalControllerRule, bright, {1250.0, 1250.0}, 1200.0, false));
    EXPECT_EQ(regulator.countdown(), -1);
}

TEST(PulseRateTest, RegularBeatsOnly)
{
    constexpr double kMs = 1.0 / 86400000.0;
    struct Case {
        std::vector<double> beatsMs;
        std::vector<LONG> rates;
    };
    const std::vector<Case> cases{
        {{0, 800, 1600, 2400}, {75}},        {{0, 800, 1600, 2400, 3200}, {75}}, {{0, 800, 950, 1750}, {}},
        {{0, 1000, 2000, 3000, 4000}, {60}}, {{0, 600, 1200, 1800}, {100}},      {{0, 2100, 4200, 6300}, {}},
    };
    for (const Case& c : cases) {
        PulseRate rate;
        std::vector<LONG> reported;
        for (const double ms : c.beatsMs) {
            if (const auto r = rate.onBeat(45000.0 + ms * kMs)) {
                reported.push_back(*r);
            }
        }
        EXPECT_EQ(reported, c.rates) << c.beatsMs.size();
    }
}

TEST(TriggerBatchTest, AnnouncedOnceAndClamped)
{
    EXPECT_EQ(TriggerValue(-5.0), 0);
    EXPECT_EQ(TriggerValue(401.0), 100);
    EXPECT_EQ(TriggerValue(1e9), 1023);
    TriggerBatch batch;
    batch.begin(2);
    batch.append(7);
    batch.append(9);
    EXPECT_EQ(batch.takeCount(), 2);
    EXPECT_EQ(batch.takeCount(), 0);
    LONG value = 0;
    EXPECT_TRUE(batch.value(1, &value));
    EXPECT_EQ(value, 9);
    EXPECT_FALSE(batch.value(2, &value));
}

} // namespace
} // namespace talvolink
