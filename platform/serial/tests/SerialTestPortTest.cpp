#include "platform/serial/SerialTestPort.h"

#include "platform/serial/SerialPort.h"
#include "platform/testing/Matchers.h"

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <vector>

using namespace platform::serial;
using namespace std::chrono_literals;

namespace {

// Bounds the waits on a condition; passing it is a failure, never the expected path.
constexpr std::chrono::milliseconds kPatience = 10s;

class SerialTestPortTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto device = SerialTestPort::create();
        ASSERT_THAT(device, IsOk());
        m_device = std::move(*device);
        auto port = openSerialDevice(m_device->programPath());
        ASSERT_THAT(port, IsOk());
        m_port = std::move(*port);
    }

    std::string deviceRead(std::size_t count)
    {
        std::vector<std::uint8_t> buffer(count);
        auto done = m_device->read(buffer, kPatience);
        EXPECT_THAT(done, IsOk());
        return done ? std::string(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(*done)) : "";
    }

    static std::span<const std::uint8_t> bytes(std::string_view text)
    {
        return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
    }

    std::unique_ptr<SerialTestPort> m_device;
    std::unique_ptr<SerialPort> m_port;
};

TEST_F(SerialTestPortTest, BytesFlowBothWays)
{
    auto written = m_port->write(bytes("(command)"));
    ASSERT_THAT(written, IsOk());
    EXPECT_EQ(9u, *written);
    EXPECT_EQ("(command)", deviceRead(64));

    ASSERT_THAT(m_device->write(bytes("answer")), IsOk());
    std::vector<std::uint8_t> buffer(6);
    m_port->setTimeouts({});
    auto read = m_port->read(buffer);
    ASSERT_THAT(read, IsOk());
    EXPECT_EQ("answer", std::string(buffer.begin(), buffer.end()));
}

TEST_F(SerialTestPortTest, TheDeviceSeesTheFramingTheProgramChose)
{
    const SerialSettings cases[] = {
        {1200, 7, Parity::None, StopBits::Two}, {19200, 8, Parity::None, StopBits::Two},
        {9600, 5, Parity::Mark, StopBits::One}, {57600, 6, Parity::Space, StopBits::Two},
        {38400, 7, Parity::Odd, StopBits::One}, {4800, 8, Parity::Even, StopBits::Two},
    };
    for (const SerialSettings& settings : cases) {
        SCOPED_TRACE(::testing::Message() << settings.baudRate << " " << settings.dataBits);
        ASSERT_THAT(m_port->setSettings(settings), IsOk());
        auto program = m_port->settings();
        ASSERT_THAT(program, IsOk());
        EXPECT_EQ(settings, *program);
        auto device = m_device->settings();
        ASSERT_THAT(device, IsOk());
        EXPECT_EQ(settings, *device);
    }
    const SerialSettings previous = cases[std::size(cases) - 1];
    EXPECT_THAT(m_port->setSettings({9600, 9, Parity::None, StopBits::One}), FailsWith(E_INVALIDARG));
    EXPECT_THAT(m_port->setSettings({1234, 8, Parity::None, StopBits::One}), FailsWith(E_INVALIDARG));
    EXPECT_EQ(previous, *m_device->settings());
}

TEST_F(SerialTestPortTest, OpeningRaisesDtrAndRtsAndClosingDropsThem)
{
    VirtualModemLines& lines = m_device->lines();
    EXPECT_TRUE(lines.isOn(OutputLine::Dtr));
    EXPECT_TRUE(lines.isOn(OutputLine::Rts));
    m_port.reset();
    EXPECT_FALSE(lines.isOn(OutputLine::Dtr));
    EXPECT_FALSE(lines.isOn(OutputLine::Rts));
}

TEST_F(SerialTestPortTest, ModemLinesReachTheOtherSide)
{
    VirtualModemLines& lines = m_device->lines();
    for (OutputLine line : {OutputLine::Dtr, OutputLine::Rts}) {
        SCOPED_TRACE(static_cast<int>(line));
        ASSERT_THAT(m_port->setLine(line, LineLevel::Off), IsOk());
        EXPECT_FALSE(lines.isOn(line));
        ASSERT_THAT(m_port->setLine(line, LineLevel::On), IsOk());
        EXPECT_TRUE(lines.isOn(line));
    }
    for (InputLine line : {InputLine::Cts, InputLine::Dsr, InputLine::Ri, InputLine::Dcd}) {
        SCOPED_TRACE(static_cast<int>(line));
        lines.setLine(line, LineLevel::On);
        auto on = m_port->modemStatus();
        ASSERT_THAT(on, IsOk());
        EXPECT_TRUE(on->isOn(line));
        lines.setLine(line, LineLevel::Off);
        auto off = m_port->modemStatus();
        ASSERT_THAT(off, IsOk());
        EXPECT_EQ(ModemStatus(), *off);
    }
}

TEST_F(SerialTestPortTest, WaitsForAnEdgeFromAnotherThread)
{
    VirtualModemLines& lines = m_device->lines();
    ASSERT_THAT(m_port->setLine(OutputLine::Rts, LineLevel::Off), IsOk());
    const std::uint32_t rising = lines.edges(OutputLine::Rts, Edge::Rising);
    const std::uint32_t falling = lines.edges(OutputLine::Rts, Edge::Falling);
    std::thread program([this] {
        EXPECT_THAT(m_port->setLine(OutputLine::Dtr, LineLevel::Off), IsOk()); // another line: not the edge
        EXPECT_THAT(m_port->setLine(OutputLine::Rts, LineLevel::On), IsOk());
    });
    EXPECT_TRUE(lines.waitForEdge(OutputLine::Rts, Edge::Rising, rising, kPatience));
    program.join();
    EXPECT_EQ(rising + 1, lines.edges(OutputLine::Rts, Edge::Rising));
    EXPECT_EQ(falling, lines.edges(OutputLine::Rts, Edge::Falling));
    EXPECT_FALSE(lines.waitForEdge(OutputLine::Rts, Edge::Falling, falling, 10ms));
}

TEST_F(SerialTestPortTest, AnEdgeBeforeTheWaitIsNotMissed)
{
    VirtualModemLines& lines = m_device->lines();
    const std::uint32_t falling = lines.edges(OutputLine::Dtr, Edge::Falling);
    ASSERT_THAT(m_port->setLine(OutputLine::Dtr, LineLevel::Off), IsOk());
    ASSERT_THAT(m_port->setLine(OutputLine::Dtr, LineLevel::On), IsOk());
    EXPECT_TRUE(lines.waitForEdge(OutputLine::Dtr, Edge::Falling, falling, kPatience));
}

TEST_F(SerialTestPortTest, AnUnpluggedDeviceFailsEveryCallUntilPluggedIn)
{
    VirtualModemLines& lines = m_device->lines();
    lines.setLine(InputLine::Dsr, LineLevel::On);
    const std::uint32_t falling = lines.edges(OutputLine::Dtr, Edge::Falling);
    m_device->unplug();
    EXPECT_FALSE(lines.isOn(OutputLine::Dtr));
    EXPECT_EQ(falling + 1, lines.edges(OutputLine::Dtr, Edge::Falling));

    std::vector<std::uint8_t> buffer(4);
    auto read = m_port->read(buffer);
    ASSERT_THAT(read, FailsWith(kDeviceNotConnected));
    EXPECT_NE(std::string::npos, read.error().detail.find(m_device->programPath()));
    EXPECT_THAT(m_port->write(bytes("x")), FailsWith(kDeviceNotConnected));
    EXPECT_THAT(m_port->modemStatus(), FailsWith(kDeviceNotConnected));
    EXPECT_THAT(m_port->setLine(OutputLine::Rts, LineLevel::Off), FailsWith(kDeviceNotConnected));
    EXPECT_THAT(m_port->bytesWaiting(), FailsWith(kDeviceNotConnected));
    EXPECT_THAT(m_port->purge(PurgeQueue::Both), FailsWith(kDeviceNotConnected));
    EXPECT_THAT(m_port->settings(), FailsWith(kDeviceNotConnected));
    EXPECT_THAT(m_device->write(bytes("x")), FailsWith(kDeviceNotConnected));
    EXPECT_THAT(m_device->read(buffer, 0ms), FailsWith(kDeviceNotConnected));

    const std::uint32_t rising = lines.edges(OutputLine::Rts, Edge::Rising);
    m_device->plugIn();
    EXPECT_TRUE(lines.isOn(OutputLine::Rts)); // the failed change while unplugged did not happen
    EXPECT_EQ(rising + 1, lines.edges(OutputLine::Rts, Edge::Rising));
    auto status = m_port->modemStatus();
    ASSERT_THAT(status, IsOk());
    EXPECT_TRUE(status->dsr);
    ASSERT_THAT(m_port->write(bytes("back")), IsOk());
    EXPECT_EQ("back", deviceRead(4));
}

TEST_F(SerialTestPortTest, UnpluggingEndsAReadThatIsWaiting)
{
    m_port->setTimeouts({}); // would wait for ever
    std::optional<HRESULT> result;
    std::thread reader([&] {
        std::vector<std::uint8_t> buffer(8);
        result = m_port->read(buffer).code();
    });
    m_device->unplug();
    reader.join();
    ASSERT_TRUE(result.has_value());
    EXPECT_HR(kDeviceNotConnected, *result);
}

TEST_F(SerialTestPortTest, TheDeviceSideGoingAwayDisconnectsTheProgram)
{
    m_device.reset();
    std::vector<std::uint8_t> buffer(4);
    EXPECT_THAT(m_port->read(buffer), FailsWith(kDeviceNotConnected));
    EXPECT_THAT(m_port->write(bytes("x")), FailsWith(kDeviceNotConnected));
}

TEST_F(SerialTestPortTest, ASecondOpenerIsRefused)
{
    EXPECT_THAT(openSerialDevice(m_device->programPath()), FailsWith(E_ACCESSDENIED));
    m_port.reset();
    auto again = openSerialDevice(m_device->programPath());
    ASSERT_THAT(again, IsOk());
    EXPECT_TRUE(m_device->lines().isOn(OutputLine::Dtr));
}

class PortsVariable {
public:
    explicit PortsVariable(const std::string& value)
    {
        if (const char* old = std::getenv("TALVO_SERIAL_PORTS")) {
            m_old = old;
        }
        ::setenv("TALVO_SERIAL_PORTS", value.c_str(), 1);
    }
    ~PortsVariable()
    {
        if (m_old) {
            ::setenv("TALVO_SERIAL_PORTS", m_old->c_str(), 1);
        } else {
            ::unsetenv("TALVO_SERIAL_PORTS");
        }
    }

private:
    std::optional<std::string> m_old;
};

TEST_F(SerialTestPortTest, OpensByComNumberThroughTheOverride)
{
    m_port.reset();
    PortsVariable variable("COM7=" + m_device->programPath());
    auto port = openSerialPort(7);
    ASSERT_THAT(port, IsOk());
    EXPECT_EQ(m_device->programPath(), (*port)->devicePath());
    EXPECT_TRUE(m_device->lines().isOn(OutputLine::Dtr));

    auto busy = openSerialPort(7);
    ASSERT_THAT(busy, FailsWith(E_ACCESSDENIED));
    EXPECT_EQ(0u, busy.error().detail.find("COM7: "));
    EXPECT_THAT(openSerialPort(1), FailsWith(kPortNotFound));
}

TEST_F(SerialTestPortTest, ABadOverrideFailsEveryOpenByNumber)
{
    PortsVariable variable("COM1:" + m_device->programPath());
    auto port = openSerialPort(1);
    ASSERT_THAT(port, FailsWith(E_INVALIDARG));
    EXPECT_NE(std::string::npos, port.error().detail.find("TALVO_SERIAL_PORTS"));
}

TEST_F(SerialTestPortTest, TheProgramSideMayRunInAnotherProcess)
{
    m_port.reset();
    VirtualModemLines& lines = m_device->lines();
    lines.setLine(InputLine::Cts, LineLevel::On);
    const std::uint32_t rising = lines.edges(OutputLine::Dtr, Edge::Rising);
    const pid_t child = ::fork();
    ASSERT_NE(-1, child);
    if (child == 0) {
        // Exit codes tell the parent what failed; no GoogleTest assertions in the child.
        int code = 1;
        {
            auto port = openSerialDevice(m_device->programPath());
            if (port) {
                auto status = (*port)->modemStatus();
                code = status && status->cts ? 0 : 2;
            }
        }
        ::_exit(code);
    }
    EXPECT_TRUE(lines.waitForEdge(OutputLine::Dtr, Edge::Rising, rising, kPatience));
    int status = 0;
    ASSERT_EQ(child, ::waitpid(child, &status, 0));
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(0, WEXITSTATUS(status));
    EXPECT_FALSE(lines.isOn(OutputLine::Dtr)); // dropped when the child closed the port
}

} // namespace
