#include "platform/serial/SerialPort.h"

#include "platform/serial/tests/support/TemporaryFolder.h"
#include "platform/testing/Matchers.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

using namespace platform::serial;

namespace {

// A pseudo-terminal nobody simulates: the port is the termios backend alone, without modem lines. The test writes the
// device's bytes into the master.
class PlainPty {
public:
    PlainPty() : m_master(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC))
    {
        char name[64] = {};
        if (m_master >= 0 && ::grantpt(m_master) == 0 && ::unlockpt(m_master) == 0 &&
            ::ptsname_r(m_master, name, sizeof name) == 0) {
            m_path = name;
        }
    }
    ~PlainPty() { ::close(m_master); }
    PlainPty(const PlainPty&) = delete;
    PlainPty& operator=(const PlainPty&) = delete;

    const std::string& path() const { return m_path; }
    void send(const std::string& bytes)
    {
        ASSERT_EQ(ssize_t(bytes.size()), ::write(m_master, bytes.data(), bytes.size()));
    }

private:
    int m_master;
    std::string m_path;
};

class SerialPortTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(m_pty.path().empty());
        auto port = openSerialDevice(m_pty.path());
        ASSERT_THAT(port, IsOk());
        m_port = std::move(*port);
    }

    std::string read(std::size_t count)
    {
        std::vector<std::uint8_t> buffer(count);
        auto done = m_port->read(buffer);
        EXPECT_THAT(done, IsOk());
        return done ? std::string(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(*done)) : "";
    }

    PlainPty m_pty;
    std::unique_ptr<SerialPort> m_port;
};

TEST_F(SerialPortTest, SettingsRoundTripThroughTermios)
{
    const SerialSettings cases[] = {
        {1200, 8, Parity::None, StopBits::Two},  {9600, 8, Parity::None, StopBits::One},
        {19200, 8, Parity::None, StopBits::Two}, {38400, 8, Parity::None, StopBits::Two},
        {57600, 8, Parity::None, StopBits::Two}, {115200, 8, Parity::None, StopBits::One},
    };
    for (const SerialSettings& settings : cases) {
        SCOPED_TRACE(settings.baudRate);
        ASSERT_THAT(m_port->setSettings(settings), IsOk());
        auto read = m_port->settings();
        ASSERT_THAT(read, IsOk());
        EXPECT_EQ(settings, *read);
    }
}

TEST_F(SerialPortTest, RefusedSettingsKeepThePreviousOnes)
{
    const SerialSettings previous{19200, 8, Parity::None, StopBits::Two};
    ASSERT_THAT(m_port->setSettings(previous), IsOk());
    const SerialSettings refused[] = {
        {1234, 8, Parity::None, StopBits::One}, // no termios speed code
        {0, 8, Parity::None, StopBits::One},    // would hang up the line
        {9600, 9, Parity::None, StopBits::One}, // too many data bits
        {9600, 4, Parity::None, StopBits::One}, // too few
        {1200, 7, Parity::None, StopBits::Two}, // a pseudo-terminal keeps 8 data bits
        {9600, 8, Parity::Even, StopBits::One}, // and no parity
    };
    for (const SerialSettings& settings : refused) {
        SCOPED_TRACE(::testing::Message() << settings.baudRate << " " << settings.dataBits);
        auto status = m_port->setSettings(settings);
        ASSERT_THAT(status, FailsWith(E_INVALIDARG));
        EXPECT_NE(std::string::npos, status.error().detail.find(m_pty.path()));
        auto kept = m_port->settings();
        ASSERT_THAT(kept, IsOk());
        EXPECT_EQ(previous, *kept);
    }
}

TEST_F(SerialPortTest, APseudoTerminalHasNoModemLines)
{
    EXPECT_THAT(m_port->modemStatus(), FailsWith(kNotSupported));
    EXPECT_THAT(m_port->setLine(OutputLine::Dtr, LineLevel::On), FailsWith(kNotSupported));
}

TEST_F(SerialPortTest, ATotalTimeOutReturnsTheBytesThatCame)
{
    const SerialTimeouts cases[] = {{0, 0, 20, 0, 0}, {0, 2, 0, 0, 0}, {50, 1, 10, 0, 0}};
    for (const SerialTimeouts& timeouts : cases) {
        SCOPED_TRACE(::testing::Message() << timeouts.readTotalMultiplier << " " << timeouts.readTotalConstant);
        m_port->setTimeouts({});
        m_pty.send("abc");
        EXPECT_EQ("a", read(1)); // waits for the burst
        m_port->setTimeouts(timeouts);
        EXPECT_EQ("bc", read(10));
        EXPECT_EQ("", read(10));
    }
}

TEST_F(SerialPortTest, AnIntervalTimeOutEndsAReadAfterTheBurst)
{
    m_port->setTimeouts({20, 0, 0, 0, 0});
    m_pty.send("burst");
    EXPECT_EQ("burst", read(282));
}

TEST_F(SerialPortTest, WithoutTimeOutsAReadFillsTheBuffer)
{
    m_port->setTimeouts({});
    m_pty.send("abcdef");
    EXPECT_EQ("abcd", read(4));
    auto waiting = m_port->bytesWaiting();
    ASSERT_THAT(waiting, IsOk());
    EXPECT_EQ(2u, *waiting);
    EXPECT_EQ("ef", read(2));
}

TEST_F(SerialPortTest, ImmediateReadsTakeOnlyWhatIsWaiting)
{
    const SerialTimeouts cases[] = {{kMaxTimeout, 0, 0, 0, 0}, {kMaxTimeout, kMaxTimeout, 20, 0, 0}};
    for (const SerialTimeouts& timeouts : cases) {
        SCOPED_TRACE(timeouts.readTotalMultiplier);
        m_port->setTimeouts({});
        m_pty.send("xy");
        EXPECT_EQ("x", read(1)); // waits for the burst
        m_port->setTimeouts(timeouts);
        EXPECT_EQ("y", read(8));
        EXPECT_EQ("", read(8));
    }
}

TEST_F(SerialPortTest, AWriteTimeOutReturnsTheBytesTaken)
{
    // Far more than a pseudo-terminal buffers while nobody reads the other side.
    const std::vector<std::uint8_t> bytes(4 << 20, 0x55);
    m_port->setTimeouts({0, 0, 0, 0, 20});
    auto written = m_port->write(bytes);
    ASSERT_THAT(written, IsOk());
    EXPECT_GT(*written, 0u);
    EXPECT_LT(*written, bytes.size());
}

TEST_F(SerialPortTest, PurgeDropsWhatWasReceived)
{
    m_port->setTimeouts({});
    m_pty.send("stale");
    EXPECT_EQ("s", read(1));
    ASSERT_THAT(m_port->purge(PurgeQueue::Input), IsOk());
    m_pty.send("new");
    EXPECT_EQ("new", read(3));
}

TEST_F(SerialPortTest, ASecondOpenerIsRefusedUntilTheFirstCloses)
{
    auto second = openSerialDevice(m_pty.path());
    ASSERT_THAT(second, FailsWith(E_ACCESSDENIED));
    EXPECT_NE(std::string::npos, second.error().detail.find("in use"));
    m_port.reset();
    EXPECT_THAT(openSerialDevice(m_pty.path()), IsOk());
}

TEST_F(SerialPortTest, OpeningFailsClearlyForWhatIsNoPort)
{
    support::TemporaryFolder folder;
    ASSERT_FALSE(folder.path().empty());
    const std::string missing = (folder.path() / "ttyUSB9").string();
    const std::string file = (folder.path() / "file").string();
    std::ofstream(file) << "not a terminal";

    auto absent = openSerialDevice(missing);
    ASSERT_THAT(absent, FailsWith(kPortNotFound));
    EXPECT_NE(std::string::npos, absent.error().detail.find(missing));
    EXPECT_THAT(openSerialDevice(file), FailsWith(E_INVALIDARG));
}

} // namespace
