#include "talvolink/qv/TalvoQV.h"
#include "talvolink/qv/QVProbe.h"
#include "talvolink/qv/QVRecord.h"
#include "talvolink/qv/tests/support/FakeImageSensor.h"
#include "talvolink/usb/Bytes.h"

#include "platform/registry/tests/support/RegistryFixture.h"
#include "platform/time/ManualClock.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <functional>
#include <limits>

namespace talvolink {
namespace {

using testsupport::FakeImageSensor;
using namespace platform::usb;

const std::string kPath = "/dev/bus/usb/003/007";

std::vector<std::uint8_t> requestCodes(const FakeUsbDevice& fake)
{
    std::vector<std::uint8_t> codes;
    for (const FakeRequest& request : fake.requests()) {
        codes.push_back(request.setup.request);
    }
    return codes;
}

class TalvoQVTest : public platform::registry::testing::RegistryFixture {
protected:
    platform::time::ManualClock m_clock;
    FakeUsbTransport m_bus;
};

TEST_F(TalvoQVTest, StartExchangeReportsEachFailure)
{
    using Identity = FakeImageSensor::Identity;
    const struct {
        const char* name;
        std::function<void(Identity&)> change;
        std::set<std::uint8_t> failing;
        std::string error;
    } cases[] = {
        {"supported", [](Identity&) {}, {}, ""},
        {"model 5, limits inclusive",
         [](Identity& i) {
             i.model = 5;
             i.focal = 46.0F;
             i.geometryX = 592;
             i.geometryY = 160;
         },
         {},
         ""},
        {"no version", [](Identity&) {}, {0x44}, "unable to retrieve device version"},
        {"no serial", [](Identity&) {}, {0x40}, "unable to retrieve device serial number"},
        {"old hardware", [](Identity& i) { i.hardware = 1; }, {}, "Unsupported TALVO QV sensor version hw:1, fw:35."},
        {"old firmware",
         [](Identity& i) { i.firmware = 34; },
         {},
         "Please update DU-02 firmware to version 35 or better. (hw:2, fw:34)"},
        {"no protocol", [](Identity&) {}, {0x45}, "unable to retrieve protocol version"},
        {"new protocol",
         [](Identity& i) { i.protocolMajor = 19; },
         {},
         "Unsupported TALVO QV sensor protocol version major:19, minor:3. Please update to the latest version of "
         "TALVO software."},
        {"no flash length", [](Identity&) {}, {0xA2}, "unable to retrieve flash block length"},
        {"flash of 25 bytes", [](Identity& i) { i.flashLength = 25; }, {}, "unsupported device"},
        {"no flash", [](Identity&) {}, {0xA3}, "unable to read flash block"},
        {"lens below 15",
         [](Identity& i) { i.focal = 14.99F; },
         {},
         "Service required. Please contact TALVO tech support"},
        {"geometry x 159",
         [](Identity& i) { i.geometryX = 159; },
         {},
         "Service required. Please contact TALVO tech support"},
        {"geometry y 321",
         [](Identity& i) { i.geometryY = 321; },
         {},
         "Service required. Please contact TALVO tech support"},
        {"model 3", [](Identity& i) { i.model = 3; }, {}, "Unsupported TALVO QV sensor hw:2, fw:35, model:3."},
        {"no state", [](Identity&) {}, {0xD0}, "unable to retrieve device state"},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Identity identity;
        c.change(identity);
        FakeImageSensor fake(m_bus, kPath + std::to_string(n++), identity);
        fake.failRequests(c.failing);
        TalvoQV sensor(m_bus, m_clock);
        sensor.setUsesReader(false);
        EXPECT_EQ(sensor.Open(fake.path()), c.error.empty());
        EXPECT_EQ(sensor.errorText(), c.error);
        EXPECT_EQ(sensor.isOpen(), c.error.empty());
        ASSERT_FALSE(fake.device().requests().empty());
        EXPECT_EQ(fake.device().requests()[0].setup.value, 0xFFFF) << "frames off first";
    }
}

TEST_F(TalvoQVTest, ProbeReadsModelAndStateAndStartsNoThread)
{
    FakeImageSensor fake(m_bus, kPath, {.model = 5});
    const QVProbeResult probed = ProbeImageSensor(m_bus, m_clock, kPath);
    EXPECT_TRUE(probed.opened);
    EXPECT_EQ(probed.modelCode, 5);
    EXPECT_EQ(requestCodes(fake.device()), (std::vector<std::uint8_t>{0x81, 0x44, 0x40, 0x45, 0xA2, 0xA3, 0xA6, 0x81}));
    EXPECT_EQ(fake.device().pendingReads(), 0U) << "no reader";
    EXPECT_FALSE(fake.device().isOpen());

    fake.failRequests({0xA6});
    const QVProbeResult failed = ProbeImageSensor(m_bus, m_clock, kPath);
    EXPECT_FALSE(failed.opened);
    EXPECT_EQ(failed.errorText, "unable to retrieve device state 2");

    // The device link's own start ends with the device state instead.
    TalvoQV sensor(m_bus, m_clock);
    sensor.setUsesReader(false);
    ASSERT_TRUE(sensor.Open(kPath));
    EXPECT_FALSE(sensor.isReading());
    EXPECT_EQ(sensor.deviceState(), 0x1234);
}

TEST_F(TalvoQVTest, ResetCentresOnTheFoundPositionElseOnTheStoredOne)
{
    const double none = std::numeric_limits<double>::quiet_NaN();
    const struct {
        const char* name;
        double foundX;
        double foundY;
        std::pair<double, double> centre;
    } cases[] = {
        {"nothing found", none, none, {320.0, 200.0}},
        {"found", 350.7, 212.2, {350.0, 212.0}},
        {"only y a number", none, 212.2, {320.0, 212.0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeImageSensor fake(m_bus, kPath + c.name, {.geometryX = 320, .geometryY = 200});
        TalvoQV sensor(m_bus, m_clock);
        sensor.setUsesReader(false);
        ASSERT_TRUE(sensor.Open(fake.path()));
        ASSERT_TRUE(sensor.Reset(c.foundX, c.foundY));
        EXPECT_EQ((std::pair{sensor.centreX(), sensor.centreY()}), c.centre);
        EXPECT_EQ(sensor.wantedSettings().centreX, static_cast<int>(c.centre.first));
    }
}

class StreamingTest : public TalvoQVTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_sensor.Open(kPath));
        m_sensor.eventSignal.hook([this](const DeviceRecord& record) { m_records.push_back(record); });
        m_sensor.setTarget(10.0, 59.5, 0.17);
    }
    void deliver() { QCoreApplication::sendPostedEvents(); }
    double field(std::size_t index, std::size_t offset) const
    {
        return bytes::get<double>(std::span(reinterpret_cast<const std::uint8_t*>(&m_records[index]), 523), offset);
    }

    FakeImageSensor m_fake{m_bus, kPath};
    TalvoQV m_sensor{m_bus, m_clock};
    std::vector<DeviceRecord> m_records;
};

TEST_F(StreamingTest, ResetSwitchesFramesOnAndTurnsThemIntoRecords)
{
    ASSERT_TRUE(m_sensor.Reset(376.0, 240.0));
    deliver();
    ASSERT_TRUE(m_fake.framesOn());
    EXPECT_EQ(m_sensor.sentSettings(), m_sensor.wantedSettings());
    EXPECT_EQ(m_fake.parameters().at(21), 100);
    // 10 m, 25 mm lens, 6 micron pixels.
    EXPECT_DOUBLE_EQ(m_sensor.millimetresPerPixel(), 2.4);

    m_fake.setScript(
        [](int frame) { return testsupport::QVFrameFields{.x = 376.0F - static_cast<float>(frame), .y = 240.0F}; });
    m_clock.advance(TalvoQV::kHoldOff);
    m_fake.stream(5, m_clock);
    deliver();
    ASSERT_EQ(m_records.size(), 4U);
    for (std::size_t i = 0; i < m_records.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(m_records[i].aimValid, 1);
        EXPECT_NEAR(field(i, qvrecord::kX), 2.4 * static_cast<double>(i), 1e-9);
        EXPECT_EQ(std::uint64_t{m_records[i].timeStamp}, 100U + 10U * (i + 1));
    }
    EXPECT_EQ(m_sensor.frameWidth(), m_sensor.wantedSettings().windowSize);
    EXPECT_EQ(m_sensor.frame(), FakeImageSensor::spotImage(m_sensor.wantedSettings().windowSize));
}

TEST_F(StreamingTest, FailedSequenceIsLeftIncompleteUntilRunAgain)
{
    m_fake.failRequests({0x80});
    ASSERT_TRUE(m_sensor.Reset(376.0, 240.0));
    deliver();
    EXPECT_TRUE(m_sensor.settingsIncomplete());
    EXPECT_FALSE(m_fake.framesOn());

    m_fake.failRequests({});
    EXPECT_TRUE(m_sensor.RunSettingsSequence());
    EXPECT_FALSE(m_sensor.settingsIncomplete());
    EXPECT_TRUE(m_fake.framesOn());
}

TEST_F(StreamingTest, SixtyHertzMainsRunsAt120FramesAndIsStored)
{
    m_sensor.SetPowerSupplyFrequencyMode(2);
    deliver();
    EXPECT_EQ(m_sensor.frameRate(), 120);
    EXPECT_EQ(m_fake.parameters().at(21), 120);
    TalvoQV again(m_bus, m_clock);
    EXPECT_EQ(again.powerSupplyFrequencyMode(), 2);
    m_sensor.SetPowerSupplyFrequencyMode(3);
    EXPECT_EQ(m_sensor.powerSupplyFrequencyMode(), 2);
}

} // namespace
} // namespace talvolink
