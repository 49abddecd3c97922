#include "talvolink/usb/tests/support/RecordingUsbDevice.h"

#include "talvolink/usb/Bytes.h"
#include "talvolink/usb/UsbOpticalSensor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace talvolink {
namespace {

using namespace platform::usb;
using Bytes = std::vector<std::uint8_t>;

constexpr UsbId kOptical{0x2D7A, 0x000E};
const std::string kPath = "/dev/bus/usb/004/002";

// A sensor opened without its reader, whose version request answers `version` (none: the request fails).
struct OpenSensor {
    explicit OpenSensor(std::optional<std::uint32_t> version, bool serial = true)
        : fake(bus.plug(kPath, kOptical)), sensor(bus)
    {
        fake.setVendorScript([version, serial](const SetupPacket& setup, std::span<std::uint8_t> data) {
            if (setup.request == 0x90 && version) {
                bytes::put(data, 0, *version);
                return Transfer{kErrorSuccess, 4};
            }
            if (setup.request == 0x8B && serial) {
                std::ranges::fill(data, 7);
                return Transfer{kErrorSuccess, data.size()};
            }
            return Transfer{setup.requestType == kVendorOut ? kErrorSuccess : kErrorGenFailure, 0};
        });
        sensor.setUsesReader(false);
        sensor.eventSignal.hook([this](const OpticalSample& sample) { samples.push_back(sample); });
    }

    FakeUsbTransport bus;
    FakeUsbDevice& fake;
    UsbOpticalSensor sensor;
    std::vector<OpticalSample> samples;
};

template <typename T> T field(const OpticalSample& sample, std::size_t offset)
{
    return bytes::get<T>(sample, offset);
}

// A 47-byte record of the given quadrant intensities and shot fields.
Bytes shortRecord(const std::array<float, 8>& quadrants, std::uint32_t first = 0, std::uint32_t second = 0,
                  std::uint16_t value = 0, std::uint8_t flag = 0)
{
    Bytes record(optical::kShortRecord);
    std::span<std::uint8_t> out(record);
    bytes::put(out, 4, first);
    bytes::put(out, 8, second);
    bytes::put(out, 12, value);
    for (std::size_t i = 0; i < 8; ++i) {
        bytes::put(out, 14 + 4 * i, quadrants[i]);
    }
    record.back() = flag;
    return record;
}

Bytes repeat(const Bytes& record, int times)
{
    Bytes all;
    for (int i = 0; i < times; ++i) {
        all.insert(all.end(), record.begin(), record.end());
    }
    return all;
}

constexpr std::array<float, 8> kSteady{30, 30, 30, 30, 20, 20, 60, 60};

TEST(UsbOpticalSensorTest, InitializeReadsVersionAndSerialAndChoosesTheFraming)
{
    const struct {
        std::optional<std::uint32_t> version;
        std::uint16_t major;
        std::uint16_t minor;
        bool tagged;
    } cases[] = {
        {std::nullopt, 1, 1, false}, {0x00040009, 4, 9, false}, {0x0004000A, 4, 10, true}, {0x00050000, 5, 0, true}};
    for (const auto& test : cases) {
        SCOPED_TRACE(test.minor);
        OpenSensor open(test.version);
        EXPECT_FALSE(open.sensor.usesTaggedBlocks());
        ASSERT_TRUE(open.sensor.Open(kPath));
        EXPECT_EQ(test.major, open.sensor.majorVersion());
        EXPECT_EQ(test.minor, open.sensor.minorVersion());
        EXPECT_EQ(test.tagged, open.sensor.usesTaggedBlocks());
        EXPECT_EQ((UsbSerialNumber{7, 7, 7, 7, 7, 7, 7, 7}), open.sensor.serialNumber());
    }
    OpenSensor noSerial(0x00050000, false);
    EXPECT_FALSE(noSerial.sensor.Open(kPath));
    EXPECT_EQ("unable to retrieve serial number", noSerial.sensor.errorText());
}

TEST(UsbOpticalSensorTest, WholeRecordsAreDecodedAndAnnouncedOneRecordLater)
{
    OpenSensor open(0x00050000);
    ASSERT_TRUE(open.sensor.Open(kPath));
    open.sensor.OnPacket(repeat(shortRecord(kSteady), 3)); // 141 bytes
    EXPECT_EQ(2u, open.samples.size());
    open.sensor.OnPacket(Bytes(100));
    EXPECT_EQ(2u, open.samples.size());
    open.sensor.OnPacket(shortRecord(kSteady));
    EXPECT_EQ(3u, open.samples.size());
}

TEST(UsbOpticalSensorTest, SampleBlockHoldsTheSpotsAndThePosition)
{
    OpenSensor open(0x00050000);
    ASSERT_TRUE(open.sensor.Open(kPath));
    open.sensor.OnPacket(repeat(shortRecord(kSteady), 2));
    ASSERT_EQ(1u, open.samples.size());
    const OpticalSample& sample = open.samples[0];
    // Spot 0 sits centred; spot 1 is 80 to the right, 182 / 80 apart from the reference spacing.
    EXPECT_DOUBLE_EQ(40.0, field<double>(sample, optical::kMidX));
    EXPECT_DOUBLE_EQ(0.0, field<double>(sample, optical::kMidY));
    EXPECT_DOUBLE_EQ(80.0, field<double>(sample, optical::kSpotDx + 8));
    EXPECT_DOUBLE_EQ(280.0, field<double>(sample, optical::kSumBoth));
    EXPECT_DOUBLE_EQ(160.0, field<double>(sample, optical::kSpotSum + 8));
    EXPECT_DOUBLE_EQ(60.0, field<double>(sample, optical::kQuadrants + 7 * 8));
    EXPECT_NEAR(182.0 / 80.0, field<double>(sample, optical::kFactor), 1e-12);
    // Against the vertical reference the horizontal spots are turned by pi/2.
    EXPECT_NEAR(1.57079632675, field<double>(sample, optical::kAngleUsed), 1e-9);
    EXPECT_NEAR(0.0, field<double>(sample, optical::kX), 1e-6);
    EXPECT_NEAR(-91.0, field<double>(sample, optical::kY), 1e-6);
    EXPECT_EQ(1, sample[optical::kValid]);
    EXPECT_EQ(0.0, field<double>(sample, optical::kShotValue));
    EXPECT_EQ(0xFFFFFFFFu, field<std::uint32_t>(sample, optical::kShotTime));

    // A dark quadrant makes the sample invalid; the angle and the scale stay.
    auto dark = kSteady;
    dark[5] = 19.9F;
    open.sensor.OnPacket(repeat(shortRecord(dark), 2));
    const OpticalSample& invalid = open.samples.at(2);
    EXPECT_EQ(0, invalid[optical::kValid]);
    EXPECT_NEAR(1.57079632675, field<double>(invalid, optical::kAngleMeasured), 1e-9);

    // Another sensor kind takes no turn and 50 / calibration scale.
    open.sensor.setSensorKind(1);
    open.sensor.OnPacket(repeat(shortRecord(kSteady), 2));
    const OpticalSample& kind1 = open.samples.at(4);
    EXPECT_DOUBLE_EQ(50.0 / (500.0 / 13.0), field<double>(kind1, optical::kFactor));
    EXPECT_DOUBLE_EQ(40.0 * 1.3, field<double>(kind1, optical::kX));
}

TEST(UsbOpticalSensorTest, ShotFieldsFollowTheCountersAndTheLastReference)
{
    OpenSensor open(0x00050000);
    ASSERT_TRUE(open.sensor.Open(kPath));
    Bytes reads = shortRecord(kSteady);
    for (const Bytes& record : {shortRecord(kSteady, 100, 300, 5, 1), shortRecord(kSteady, 390, 190, 6),
                                shortRecord(kSteady, 0, 0, 6), shortRecord(kSteady)}) {
        reads.insert(reads.end(), record.begin(), record.end());
    }
    ASSERT_TRUE(open.sensor.SendShotReference(5)); // record 1 does not count, its value is not above 5
    open.sensor.OnPacket(std::span(reads).first(optical::kShortRecord));
    open.sensor.OnPacket(std::span(reads).subspan(optical::kShortRecord));
    ASSERT_EQ(4u, open.samples.size());
    // Record 2's second counter is below its first: its shot belongs to record 1, announced after it.
    EXPECT_EQ(6.0, field<double>(open.samples[1], optical::kShotValue));
    EXPECT_FLOAT_EQ(0.5F, field<float>(open.samples[1], optical::kShotTime));
    EXPECT_EQ(1, open.samples[1][optical::kShotFlag]);
    EXPECT_EQ(0.0, field<double>(open.samples[2], optical::kShotValue));
    EXPECT_EQ(0xFFFFFFFFu, field<std::uint32_t>(open.samples[2], optical::kShotTime));
    EXPECT_EQ(6.0, field<double>(open.samples[3], optical::kShotValue));
    EXPECT_FLOAT_EQ(0.0F, field<float>(open.samples[3], optical::kShotTime));

    // 0x85 goes out only when the value changes.
    EXPECT_TRUE(open.sensor.SendShotReference(5));
    EXPECT_EQ(
        1, std::ranges::count_if(open.fake.requests(), [](const FakeRequest& r) { return r.setup.request == 0x85; }));
}

TEST(UsbOpticalSensorTest, OlderFirmwareRecordsAndSplitPackets)
{
    // A 93-byte record whose channels read 15 intensity units each, with shot bit 13.
    Bytes record(optical::kLongRecord);
    for (std::size_t c = 0; c < 16; ++c) {
        bytes::put(std::span(record), 4 * c, static_cast<std::int32_t>(102400 * 15));
    }
    record[64 + 1] = 0x20;
    bytes::put(std::span(record), 89, std::uint32_t{400});

    OpenSensor old(0x00040003);
    ASSERT_TRUE(old.sensor.Open(kPath));
    old.sensor.OnReadComplete(repeat(record, 2)); // bare records
    ASSERT_EQ(1u, old.samples.size());
    EXPECT_DOUBLE_EQ(30.0, field<double>(old.samples[0], optical::kQuadrants));
    EXPECT_DOUBLE_EQ(2.0, field<double>(old.samples[0], optical::kShotValue));
    EXPECT_FLOAT_EQ(13.0F / 200.0F, field<float>(old.samples[0], optical::kShotTime));
    old.sensor.OnReadComplete(Bytes(92));
    EXPECT_EQ(1u, old.samples.size());

    OpenSensor split(0x0004000A);
    ASSERT_TRUE(split.sensor.Open(kPath));
    for (int i = 0; i < 2; ++i) {
        split.sensor.OnPacket(std::span(record).first(optical::kFirstHalf));
        split.sensor.OnPacket(std::span(record).subspan(optical::kFirstHalf));
    }
    split.sensor.OnPacket(std::span(record).subspan(optical::kFirstHalf)); // a second half alone is dropped
    ASSERT_EQ(1u, split.samples.size());
    EXPECT_EQ(old.samples[0], split.samples[0]);
}

} // namespace
} // namespace talvolink
