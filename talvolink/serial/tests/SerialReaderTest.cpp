#include "talvolink/serial/SerialReader.h"

#include "talvolink/DeviceModel.h"
#include "talvolink/serial/PavanePacket.h"

#include "talvolink/serial/tests/support/RecordingHost.h"

#include "tools/sensorsim/PacketEncoder.h"

#include "platform/serial/SerialTestPort.h"
#include "platform/testing/Matchers.h"

#include <vector>

using namespace talvolink;
using platform::serial::InputLine;
using platform::serial::LineLevel;
using Kind = testsupport::RecordingHost::Kind;
using Bytes = std::vector<std::uint8_t>;

namespace {

constexpr std::chrono::milliseconds kPatience{20000};

// The smallest serial model: Pavane packets into a list, and an identification the test decides.
class FramedModel final : public CGenericTalvo {
public:
    FramedModel(DeviceHost& host, std::unique_ptr<platform::serial::SerialPort> port)
        : CGenericTalvo(host, std::move(port)), m_reader(*this, host)
    {
    }

    int PacketLength() override { return 8; }
    std::uint32_t BaudRate() override { return 19200; }
    int SequenceModulus() override { return 256; }
    void PutPiezoSensitivity(LONG, LONG) override {}
    LONG GetPiezoSensitivity(LONG) override { return 0; }
    LONG GetSignalLevel(LONG) override { return 0; }
    LONG GetPiezoLevel(LONG) override { return 0; }
    bool ParsePacket(std::span<const std::uint8_t> packet, DeviceRecord& record) override
    {
        return ParsePavanePacket(packet, /*calibrationMode=*/true, record);
    }
    void OnRecord(const DeviceRecord& record) override { sequences.push_back(record.sequence); }
    void Stop() override {}

    std::vector<int> sequences;
    int identifications = 0;
    bool sameSensor = true;

protected:
    bool StartReader() override
    {
        return startReaderThread([this](platform::kernel::Event& stop) { m_reader.Run(*port(), stop); });
    }
    bool IdentifyAgain() override
    {
        ++identifications;
        if (!sameSensor) {
            m_reader.reconnectionFailed();
        }
        return sameSensor;
    }

private:
    SerialReader m_reader;
};

class SerialReaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto device = platform::serial::SerialTestPort::create();
        ASSERT_THAT(device, IsOk());
        m_device = std::move(*device);
        m_device->lines().setLine(InputLine::Cts, LineLevel::On);
        m_device->lines().setLine(InputLine::Dsr, LineLevel::On);
        auto port = platform::serial::openSerialDevice(m_device->programPath());
        ASSERT_THAT(port, IsOk());
        m_model = std::make_unique<FramedModel>(m_host, std::move(*port));
        ASSERT_TRUE(m_model->Open());
    }
    void TearDown() override { EXPECT_TRUE(m_model->Close()); }

    void send(const Bytes& bytes) { ASSERT_THAT(m_device->write(bytes), IsOk()); }
    static Bytes packet(std::uint8_t sequence) { return sensorsim::encodePavane({}, sequence); }

    testsupport::RecordingHost m_host;
    std::unique_ptr<platform::serial::SerialTestPort> m_device;
    std::unique_ptr<FramedModel> m_model;
};

TEST_F(SerialReaderTest, FramesDecodesAndCountsWhatArrives)
{
    Bytes damaged = packet(2);
    damaged[3] ^= 0x01;
    const Bytes whole = packet(3);
    const Bytes truncated(whole.begin(), whole.begin() + 4);
    Bytes overlong = packet(5);
    overlong.push_back(0x11);
    const Bytes split = packet(7);

    Bytes stream = packet(1);
    const Bytes halfOfSplit(split.begin(), split.begin() + 5);
    for (const Bytes& part : {damaged, truncated, packet(4), overlong, packet(6), halfOfSplit}) {
        stream.insert(stream.end(), part.begin(), part.end());
    }
    send(stream);
    ASSERT_TRUE(m_host.pumpUntil([&] { return m_model->sequences.size() >= 4; }, kPatience));
    send(Bytes(split.begin() + 5, split.end()));
    ASSERT_TRUE(m_host.pumpUntil([&] { return m_model->sequences.size() >= 5; }, kPatience));

    // Only the damaged packet fails a check; the truncated one and the byte after the overlong one are dropped by
    // the start byte that follows them.
    EXPECT_EQ(std::vector<int>({1, 4, 5, 6, 7}), m_model->sequences);
    EXPECT_EQ(1, m_model->statTotalInvalid());
}

TEST_F(SerialReaderTest, DroppedLinesAreReportedAndComingBackReconnects)
{
    m_device->unplug();
    ASSERT_TRUE(m_host.pumpUntil([&] { return m_host.count(Kind::Disconnected) == 1; }, kPatience));
    EXPECT_FALSE(m_model->lineUp());

    // Another sensor answers: the reader asks again, one request at a time, until the right one is back.
    m_model->sameSensor = false;
    m_device->plugIn();
    ASSERT_TRUE(m_host.pumpUntil([&] { return m_model->identifications >= 3; }, kPatience));
    EXPECT_EQ(0u, m_host.count(Kind::Reconnected));
    m_model->sameSensor = true;
    ASSERT_TRUE(m_host.pumpUntil([&] { return m_host.count(Kind::Reconnected) == 1; }, kPatience));
    EXPECT_TRUE(m_model->lineUp());

    send(packet(9));
    ASSERT_TRUE(m_host.pumpUntil([&] { return !m_model->sequences.empty(); }, kPatience));
    EXPECT_EQ(std::vector<int>({9}), m_model->sequences);
    EXPECT_EQ(1u, m_host.count(Kind::Disconnected));
}

TEST_F(SerialReaderTest, LinesDownWithoutUnpluggingAreADisconnection)
{
    m_device->lines().setLine(InputLine::Dsr, LineLevel::Off);
    ASSERT_TRUE(m_host.pumpUntil([&] { return m_host.count(Kind::Disconnected) == 1; }, kPatience));
    m_device->lines().setLine(InputLine::Dsr, LineLevel::On);
    ASSERT_TRUE(m_host.pumpUntil([&] { return m_host.count(Kind::Reconnected) == 1; }, kPatience));
}

} // namespace
