#include "tools/sensorsim/SensorSimulator.h"

#include "platform/serial/SerialPort.h"
#include "platform/testing/Matchers.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

using platform::serial::LineLevel;
using platform::serial::OutputLine;
using platform::serial::Parity;
using platform::serial::SerialSettings;
using platform::serial::StopBits;
using sensorsim::Observation;
using Bytes = std::vector<std::uint8_t>;

namespace {

constexpr std::chrono::milliseconds kPatience{10000};

class SensorSimulatorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto sensor = sensorsim::SensorSimulator::create(300);
        ASSERT_THAT(sensor, IsOk());
        m_sensor = std::move(*sensor);
        auto port = platform::serial::openSerialDevice(m_sensor->programPath());
        ASSERT_THAT(port, IsOk());
        m_port = std::move(*port);
        ASSERT_TRUE(m_sensor->waitUntil([](const Observation& seen) { return seen.powered; }, kPatience));
    }

    // Sends a command with its checksum at `baud`, 8 data bits, two stop bits.
    void command(Bytes bytes, std::uint32_t baud, bool goodChecksum = true)
    {
        ASSERT_THAT(m_port->setSettings({baud, 8, Parity::None, StopBits::Two}), IsOk());
        const auto sum = std::accumulate(bytes.begin(), bytes.end(), 0u);
        bytes.push_back(static_cast<std::uint8_t>(goodChecksum ? ~sum : sum));
        ASSERT_THAT(m_port->write(bytes), IsOk());
    }

    bool waitForSeen(std::size_t commands, std::size_t faults)
    {
        return m_sensor->waitUntil(
            [&](const Observation& seen) { return seen.commands.size() >= commands && seen.faults.size() >= faults; },
            kPatience);
    }

    std::unique_ptr<sensorsim::SensorSimulator> m_sensor;
    std::unique_ptr<platform::serial::SerialPort> m_port;
};

TEST_F(SensorSimulatorTest, RefusesCommandsAtTheWrongSpeedOrWithAWrongChecksum)
{
    command({2, 1}, 9600); // the sensor listens at 19200 until told otherwise
    ASSERT_TRUE(waitForSeen(0, 1));
    command({2, 1}, 19200, /*goodChecksum=*/false);
    ASSERT_TRUE(waitForSeen(0, 2));
    ASSERT_THAT(m_port->write(Bytes{77}), IsOk()); // no such command: the byte is dropped
    ASSERT_TRUE(waitForSeen(0, 3));
    command({2, 0}, 19200); // now at 9600
    ASSERT_TRUE(waitForSeen(1, 3));
    command({16, 0x18, 0x6A}, 19200);
    ASSERT_TRUE(waitForSeen(1, 4));

    const Observation seen = m_sensor->observe();
    ASSERT_EQ(1u, seen.commands.size());
    EXPECT_EQ(2, seen.commands[0].code);
    EXPECT_NE(std::string::npos, seen.faults[0].find("at 9600 baud"));
    EXPECT_NE(std::string::npos, seen.faults[1].find("checksum"));
    EXPECT_NE(std::string::npos, seen.faults[2].find("unknown command 77"));
    EXPECT_NE(std::string::npos, seen.faults[3].find("listens at 9600 baud"));
}

TEST_F(SensorSimulatorTest, StreamsPacketsOnceStartedAndForgetsItAllWithoutPower)
{
    command({2, 1}, 19200);
    command({16, 0x18, 0x6A}, 19200);
    command({13, 1, 0, 0}, 19200);
    ASSERT_TRUE(m_sensor->waitUntil([](const Observation& seen) { return seen.packetsSent >= 10; }, kPatience));
    EXPECT_EQ(200, m_sensor->observe().sampleRate);
    Bytes packet(8);
    m_port->setTimeouts({});
    ASSERT_THAT(m_port->read(packet), IsOk());
    EXPECT_TRUE(std::any_of(packet.begin(), packet.end(), [](std::uint8_t b) { return (b & 0x80) != 0; }));

    ASSERT_THAT(m_port->setLine(OutputLine::Dtr, LineLevel::Off), IsOk());
    ASSERT_TRUE(m_sensor->waitUntil([](const Observation& seen) { return !seen.streaming; }, kPatience));
    ASSERT_THAT(m_port->setLine(OutputLine::Dtr, LineLevel::On), IsOk());
    ASSERT_TRUE(m_sensor->waitUntil([](const Observation& seen) { return seen.powered; }, kPatience));
    command({2, 1}, 19200); // back at its initial speed
    ASSERT_TRUE(waitForSeen(4, 0));
    EXPECT_TRUE(m_sensor->observe().faults.empty());
}

TEST_F(SensorSimulatorTest, AnswersOnlyAProbesEdge)
{
    // Raising RTS at another framing, or together with the power, is not a probe.
    ASSERT_THAT(m_port->setLine(OutputLine::Rts, LineLevel::Off), IsOk());
    ASSERT_THAT(m_port->setLine(OutputLine::Rts, LineLevel::On), IsOk());
    ASSERT_TRUE(m_sensor->waitUntil([](const Observation& seen) { return seen.ignoredRtsEdges >= 1; }, kPatience));

    ASSERT_THAT(m_port->setSettings({1200, 7, Parity::None, StopBits::Two}), IsOk());
    ASSERT_THAT(m_port->setLine(OutputLine::Rts, LineLevel::Off), IsOk());
    ASSERT_THAT(m_port->setLine(OutputLine::Rts, LineLevel::On), IsOk());
    ASSERT_TRUE(m_sensor->waitUntil([](const Observation& seen) { return seen.pnpAnswers == 1; }, kPatience));
    const std::string expected = m_sensor->profile().pnpAnswer("00012345");
    std::string answer(expected.size(), '\0');
    m_port->setTimeouts({});
    ASSERT_THAT(m_port->read({reinterpret_cast<std::uint8_t*>(answer.data()), answer.size()}), IsOk());
    EXPECT_EQ(expected, answer);
    EXPECT_EQ(0u, expected.find("(01TLV300\\00012345\\"));
}

TEST(SensorSimulatorCreateTest, KnowsOnlyTheSerialModels)
{
    EXPECT_THAT(sensorsim::SensorSimulator::create(301), FailsWith(E_INVALIDARG));
}

} // namespace
