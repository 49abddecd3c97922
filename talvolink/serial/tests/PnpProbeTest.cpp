#include "talvolink/serial/PnpProbe.h"

#include "tools/sensorsim/SensorSimulator.h"

#include "platform/serial/SerialTestPort.h"
#include "platform/testing/Matchers.h"
#include "platform/time/Clock.h"

#include <chrono>
#include <cstring>
#include <string>
#include <thread>

using platform::serial::Edge;
using platform::serial::InputLine;
using platform::serial::LineLevel;
using platform::serial::OutputLine;
using talvolink::PnpRecord;
using talvolink::ProbePnpDevice;
using namespace std::chrono_literals;

namespace {

constexpr std::chrono::milliseconds kPatience = 10s;

std::string text(const auto& field)
{
    return std::string(field.data());
}

TEST(PnpProbeTest, IdentifiesEverySerialModel)
{
    struct Case {
        int code;
        const char* name;
    };
    const Case cases[] = {{300, "TALVO PAVANE"},
                          {302, "TALVO PAVANE I"},
                          {303, "TALVO PAVANE S"},
                          {306, "TALVO 306"},
                          {307, "TALVO BIATHLON"}};
    platform::time::SystemClock clock;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        auto sensor = sensorsim::SensorSimulator::create(c.code, "00004711");
        ASSERT_THAT(sensor, IsOk());
        auto port = platform::serial::openSerialDevice((*sensor)->programPath());
        ASSERT_THAT(port, IsOk());
        PnpRecord record;
        EXPECT_TRUE(ProbePnpDevice(**port, record, clock));
        EXPECT_EQ(c.code, record.modelCode);
        EXPECT_EQ(c.name, text(record.modelName));
        EXPECT_EQ("00004711", text(record.serialNumber));
        const sensorsim::Observation seen = (*sensor)->observe();
        EXPECT_EQ(1, seen.pnpAnswers);
        EXPECT_TRUE(seen.faults.empty()) << seen.faults.front();
    }
}

// A device side written by hand: lines up from the start, and `answer` sent on the probe's rising RTS edge.
class HandMadeSensor {
public:
    explicit HandMadeSensor(std::string answer)
    {
        auto port = platform::serial::SerialTestPort::create();
        EXPECT_THAT(port, IsOk());
        m_device = std::move(*port);
        m_device->lines().setLine(InputLine::Dsr, LineLevel::On);
        m_device->lines().setLine(InputLine::Cts, LineLevel::On);
        auto program = platform::serial::openSerialDevice(m_device->programPath());
        EXPECT_THAT(program, IsOk());
        m_program = std::move(*program);
        const std::uint32_t seen = m_device->lines().edges(OutputLine::Rts, Edge::Rising);
        m_answering = std::thread([this, seen, answer = std::move(answer)] {
            if (m_device->lines().waitForEdge(OutputLine::Rts, Edge::Rising, seen, kPatience)) {
                EXPECT_THAT(m_device->write({reinterpret_cast<const std::uint8_t*>(answer.data()), answer.size()}),
                            IsOk());
            }
        });
    }
    ~HandMadeSensor() { m_answering.join(); }

    platform::serial::SerialPort& port() { return *m_program; }

private:
    std::unique_ptr<platform::serial::SerialTestPort> m_device;
    std::unique_ptr<platform::serial::SerialPort> m_program;
    std::thread m_answering;
};

TEST(PnpProbeTest, AnotherMakersSensorIsReadButRefused)
{
    // The sum of "(01ABC300\X\Y\Z\NAME" and ")" is 0xA7.
    HandMadeSensor sensor("(01ABC300\\X\\Y\\Z\\NAMEA7)");
    platform::time::SystemClock clock;
    PnpRecord record;
    EXPECT_FALSE(ProbePnpDevice(sensor.port(), record, clock));
    EXPECT_EQ("ABC", text(record.manufacturer));
    EXPECT_EQ(300, record.modelCode);
}

TEST(PnpProbeTest, AGarbledAnswerZeroesTheRecord)
{
    HandMadeSensor sensor("(01TLV300\\X\\Y\\Z\\NAME00)");
    platform::time::SystemClock clock;
    PnpRecord record;
    record.modelCode = 300;
    EXPECT_FALSE(ProbePnpDevice(sensor.port(), record, clock));
    const PnpRecord zero{};
    EXPECT_EQ(0, std::memcmp(&zero, &record, sizeof record));
}

TEST(PnpProbeTest, NoSensorLeavesTheRecord)
{
    // A test port nobody answers on: DSR never comes.
    auto device = platform::serial::SerialTestPort::create();
    ASSERT_THAT(device, IsOk());
    auto port = platform::serial::openSerialDevice((*device)->programPath());
    ASSERT_THAT(port, IsOk());
    platform::time::SystemClock clock;
    PnpRecord record;
    record.modelCode = 306;
    EXPECT_FALSE(ProbePnpDevice(**port, record, clock));
    EXPECT_EQ(306, record.modelCode);

    (*device)->unplug();
    EXPECT_FALSE(ProbePnpDevice(**port, record, clock));
    EXPECT_EQ(306, record.modelCode);
}

} // namespace
