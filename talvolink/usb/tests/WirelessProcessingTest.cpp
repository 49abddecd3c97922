#include "talvolink/usb/Calibration.h"
#include "talvolink/usb/Resampler.h"
#include "talvolink/usb/WirelessDecoder.h"

#include "platform/registry/tests/support/RegistryFixture.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <numbers>
#include <vector>

namespace talvolink {
namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr double kPi = std::numbers::pi;

// Kind 0, ident 0x1234, counter 0, lens byte 0xAA; spot 0 quadrants 200, 100, 100, 100 and spot 1 100, 100, 100,
// 200 (each x 12, interleaved spot by spot).
const Bytes kSpotPacket{0x16, 0x00, 0x34, 0x12, 0x00, 0xAA, 0x60, 0x09, 0xB0, 0x04, 0xB0,
                        0x04, 0xB0, 0x04, 0xB0, 0x04, 0xB0, 0x04, 0xB0, 0x04, 0x60, 0x09};

Bytes inverted(const Bytes& packet)
{
    Bytes out = packet;
    out[0] |= 0x40;
    for (std::size_t i = 1; i < out.size(); ++i) {
        out[i] = static_cast<std::uint8_t>(~out[i]);
    }
    return out;
}

TEST(WirelessDecoderTest, SpotPacketGivesGeometryScaleAndAngle)
{
    for (const bool invert : {false, true}) {
        WirelessDecoder decoder;
        decoder.setSpacing(190.0);
        const WirelessSample s = decoder.decode(invert ? inverted(kSpotPacket) : kSpotPacket);
        SCOPED_TRACE(invert);
        EXPECT_EQ(s.state, WirelessSample::State::Sample);
        EXPECT_TRUE(s.valid);
        EXPECT_EQ(s.ident, 0x1234);
        EXPECT_DOUBLE_EQ(s.quadrants[0], 200.0);
        EXPECT_DOUBLE_EQ(s.quadrants[7], 200.0);
        // Sums of 500 scale the differences by 2000 / 500.
        EXPECT_DOUBLE_EQ(s.spotDx[0], 400.0);
        EXPECT_DOUBLE_EQ(s.spotDy[1], -400.0);
        EXPECT_DOUBLE_EQ(s.midX, 0.0);
        EXPECT_DOUBLE_EQ(s.distance, std::hypot(800.0, 800.0));
        EXPECT_DOUBLE_EQ(s.rawScale, 190.0 / std::hypot(800.0, 800.0));
        EXPECT_DOUBLE_EQ(s.scale, s.rawScale); // the first sample after a restart passes the filter
        EXPECT_DOUBLE_EQ(s.rawAngle, -kPi / 4);
        EXPECT_TRUE(std::isnan(s.phase));
    }
}

TEST(WirelessDecoderTest, UnusablePacketsGiveNothing)
{
    Bytes wrongLength = kSpotPacket;
    wrongLength[0] = 0x15;
    Bytes shortSpot(kSpotPacket.begin(), kSpotPacket.end() - 1);
    shortSpot[0] = 21;
    const Bytes shortPosition{0x0D, 0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    const Bytes shortStatus{0x25, 0x00, 0, 0, 0};
    const Bytes unknownKind{0x0E, 0x09, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    const Bytes position17Status{0x31, 0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    const Bytes spotStatusOther{0x26, 0x00, 0, 0, 2, 100};
    for (const Bytes& packet :
         {wrongLength, shortSpot, shortPosition, shortStatus, unknownKind, position17Status, spotStatusOther}) {
        WirelessDecoder decoder;
        decoder.setSpacing(190.0);
        EXPECT_EQ(decoder.decode(packet).state, WirelessSample::State::Nothing) << packet.size();
    }
}

TEST(WirelessDecoderTest, SpotTailAndSideChannels)
{
    WirelessDecoder decoder;
    decoder.setSpacing(190.0);
    // Length 24: phase 16 / 32 and piezo status 9.
    Bytes packet = kSpotPacket;
    packet[0] = 24;
    packet.insert(packet.end(), {16, 9});
    WirelessSample s = decoder.decode(packet);
    EXPECT_DOUBLE_EQ(s.phase, 0.5);
    EXPECT_EQ(s.piezoStatus, 9);
    // Counters 0..3 carry the lens bytes: 0x002A0000 / 65536 = 42.
    EXPECT_FALSE(decoder.lensKnown());
    const std::uint8_t lens[4] = {0x00, 0x00, 0x2A, 0x00};
    for (std::uint8_t counter = 1; counter < 4; ++counter) {
        packet[4] = counter;
        packet[5] = lens[counter];
        (void)decoder.decode(packet);
    }
    EXPECT_TRUE(decoder.lensKnown());
    EXPECT_DOUBLE_EQ(decoder.lensFactor(), 0xAA / 65536.0 + 42.0);
    // Counter 4 carries the battery byte.
    packet[4] = 4;
    packet[5] = 100;
    (void)decoder.decode(packet);
    EXPECT_NEAR(decoder.batteryVoltage(), 1.5015, 1e-4);
    EXPECT_EQ(decoder.batteryPercent(), 88);
}

TEST(WirelessDecoderTest, StatusPackets)
{
    WirelessDecoder decoder;
    const WirelessSample off = decoder.decode(Bytes{0x26, 0x00, 0, 0, 0, 100});
    EXPECT_EQ(off.state, WirelessSample::State::Status);
    const WirelessSample on = decoder.decode(Bytes{0x26, 0x04, 0, 0, 1, 100});
    EXPECT_EQ(on.state, WirelessSample::State::StatusOn);
    Bytes longStatus{0x33, 0x08, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 200, 0x5A, 0, 0x77};
    const WirelessSample kind8 = decoder.decode(longStatus);
    EXPECT_EQ(kind8.state, WirelessSample::State::StatusOn);
    EXPECT_EQ(kind8.statusBytes[10], 11);
    EXPECT_EQ(kind8.statusByte, 0x5A);
    EXPECT_EQ(kind8.auxiliary, 0x77);
    EXPECT_NEAR(decoder.batteryVoltage(), 200 * 4.0 / 1023.0 * 4.12, 1e-12);
}

// A kind's packet with counter `counter`, side byte `side`, positions (2, -1) and (0.5, 4), and `tail`.
Bytes positionPacket(std::uint8_t kind, std::uint8_t counter, std::uint8_t side, const Bytes& tail = {})
{
    Bytes p{0, kind, 0x01, 0x00, counter, side, 100, 0, 0xCE, 0xFF, 25, 0, 200, 0};
    p.insert(p.end(), tail.begin(), tail.end());
    p[0] = static_cast<std::uint8_t>(p.size());
    return p;
}

// Side channels: levels 35 and 36, angle code 0, scale code 10000.
void feedSideChannels(WirelessDecoder& decoder, std::uint8_t kind)
{
    const std::uint8_t sides[6] = {35, 36, 0x00, 0x00, 0x10, 0x27};
    for (std::uint8_t counter = 0; counter < 6; ++counter) {
        (void)decoder.decode(positionPacket(kind, counter, sides[counter]));
    }
}

TEST(WirelessDecoderTest, PositionKindsDecodeEveryTail)
{
    struct Case {
        std::uint8_t kind;
        Bytes tail;
        int extra;
        int auxiliary;
        int piezo;
        double phase;
    };
    const double none = kNoValue;
    const std::vector<Case> cases{
        {2, {}, -1, -1, 0, none},
        {3, {0x7B}, 0x7B, -1, 0, none},
        {5, {0x83, 0x45}, 0x345, -1, 0, none},
        {6, {0x03, 0x45}, -1, -1, 0x45, 3 / 16.0},
        {7, {0x21, 0x35, 0x0C}, 3 * 256 + 0x21, -1, 0x0C, 5 / 16.0},
        {8, {}, -1, -1, 0, none},
        {8, {0x66}, -1, 0x66, 0, none},
        {8, {0x0F, 0x22}, -1, -1, 0x22, 15 / 16.0},
        {8, {0x08, 0x22, 0x99}, -1, 0x99, 0x22, 0.5},
        {8, {0, 0, 0, 0x0F, 0x55}, -1, 0x55, 0, none},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.kind) << " tail " << c.tail.size());
        WirelessDecoder decoder;
        decoder.setSpacing(50.0);
        feedSideChannels(decoder, c.kind);
        const WirelessSample s = decoder.decode(positionPacket(c.kind, 6, 35, c.tail));
        EXPECT_TRUE(s.valid);
        EXPECT_NEAR(s.scale, 1.0, 1e-9);
        EXPECT_NEAR(s.angle, 0.0, 1e-9);
        EXPECT_DOUBLE_EQ(s.positions[0][0], 2.0);
        EXPECT_DOUBLE_EQ(s.positions[0][1], -1.0);
        EXPECT_DOUBLE_EQ(s.positions[1][0], 0.5);
        EXPECT_DOUBLE_EQ(s.positions[1][1], 4.0);
        EXPECT_EQ(s.extra, c.extra);
        EXPECT_EQ(s.auxiliary, c.auxiliary);
        EXPECT_EQ(s.piezoStatus, c.piezo);
        EXPECT_EQ(std::isnan(s.phase), std::isnan(c.phase));
        if (!std::isnan(c.phase)) {
            EXPECT_DOUBLE_EQ(s.phase, c.phase);
        }
        EXPECT_EQ(decoder.levelA(), 35);
        EXPECT_EQ(decoder.levelB(), 36);
    }
}

TEST(WirelessDecoderTest, PositionScaleAndAngleCodes)
{
    WirelessDecoder decoder;
    decoder.setSpacing(50.0);
    // 18 bytes: the 32-bit scale 15 x 2^24 / 2 gives 0.5; angle code 5001 (odd) mirrors asin(0.5001).
    const Bytes tail{0x00, 0x00, 0x80, 0x07};
    const std::uint8_t sides[6] = {35, 36, 0x89, 0x13, 0x10, 0x27};
    WirelessSample s;
    for (std::uint8_t counter = 0; counter < 6; ++counter) {
        s = decoder.decode(positionPacket(2, counter, sides[counter], tail));
    }
    EXPECT_TRUE(s.valid);
    EXPECT_DOUBLE_EQ(s.rawScale, 0.5); // the packet's own scale over the side channel's
    EXPECT_DOUBLE_EQ(s.rawAngle, kPi - std::asin(0.5001));
}

TEST(BatteryTest, VoltageAndPercent)
{
    struct Case {
        std::uint8_t battery;
        int kind;
        double volts;
        int percent;
    };
    const std::vector<Case> cases{
        {100, 0, 100 * 4.0 / 1023 * 3.84, 88},
        {255, 0, 255 * 4.0 / 1023 * 3.84, 100},
        {10, 0, 10 * 4.0 / 1023 * 3.84, 0},
        {180, 1, 180 * 4.0 / 1023 * 3.84, 21},
        {150, 2, 150 * 4.0 / 1023 * 6.54, 60},
        {100, 6, 100 * 4.0 / 1023 * 5.24, 100},
        {100, 9, kNoValue, -1},
    };
    for (const Case& c : cases) {
        const double volts = BatteryVoltage(c.battery, c.kind);
        EXPECT_EQ(std::isnan(volts), std::isnan(c.volts)) << c.kind;
        if (!std::isnan(c.volts)) {
            EXPECT_DOUBLE_EQ(volts, c.volts);
        }
        EXPECT_EQ(BatteryPercent(volts, c.kind), c.percent) << int(c.battery) << " kind " << c.kind;
    }
    EXPECT_NEAR(BatteryVoltage(100, 0), 1.5015, 5e-5);
}

TEST(ResamplerTest, ParabolaThroughThreePoints)
{
    Resampler doubled(2);
    EXPECT_EQ(doubled.push(0.0).count, 0U);
    EXPECT_EQ(doubled.push(1.0).count, 0U);
    const Resampler::Outputs third = doubled.push(4.0);
    ASSERT_EQ(third.count, 5U);
    const double expected[5] = {0.0, 0.25, 1.0, 2.25, 4.0};
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_DOUBLE_EQ(third.values[i], expected[i]);
    }
    const Resampler::Outputs fourth = doubled.push(9.0);
    ASSERT_EQ(fourth.count, 2U);
    EXPECT_DOUBLE_EQ(fourth.values[0], 6.25);
    EXPECT_DOUBLE_EQ(fourth.values[1], 9.0);

    Resampler same(1);
    const Resampler::Outputs passed = same.push(3.5);
    ASSERT_EQ(passed.count, 1U);
    EXPECT_DOUBLE_EQ(passed.values[0], 3.5);
}

TEST(CalibrationTransformTest, RotatesSubtractsAndTurnsBack)
{
    const CalibrationOffset offset{0.1, 5.0, -3.0};
    const Point same = CalibrateInSensor(offset, {10.0, 20.0}, 0.1);
    EXPECT_NEAR(same.x, 5.0, 1e-12);
    EXPECT_NEAR(same.y, 23.0, 1e-12);
    const Point turned = CalibrateInSensor(offset, {10.0, 20.0}, 0.1 + kPi / 2);
    EXPECT_NEAR(turned.x, 7.0, 1e-12);
    EXPECT_NEAR(turned.y, 15.0, 1e-12);

    EXPECT_DOUBLE_EQ(DistanceSoftening(1.99), 0.5);
    EXPECT_DOUBLE_EQ(DistanceSoftening(9.01), 0.2);
    EXPECT_DOUBLE_EQ(DistanceSoftening(5.5), 3.5 / 23.333 + 0.2);
    EXPECT_DOUBLE_EQ(DistanceFactor(10000.0, 5.5, 0.35), 10000.0 / 5.85);
    EXPECT_DOUBLE_EQ(OnTargetFactor(10000.0, 9.5, 0.2), 1000.0);
    EXPECT_DOUBLE_EQ(OnTargetFactor(10000.0, 10.5, 0.2), 10000.0 / 10.7);

    EXPECT_EQ(ToHundredths(1.239), 123);
    EXPECT_EQ(ToHundredths(-1.239), -123);
    EXPECT_EQ(ToHundredths(1e12), 2147483647);
    EXPECT_EQ(ToHundredths(-1e12), -2147483647 - 1);
    EXPECT_FALSE(ToHundredths(std::nan("")));
    EXPECT_FALSE(ToHundredths(INFINITY));
}

class CalibrationStoreTest : public platform::registry::testing::RegistryFixture {
protected:
    platform::registry::Key key() const
    {
        return platform::registry::Key::create(platform::registry::Hive::CurrentUser, u"software\\Talvo").value();
    }
    const std::string m_prefix = CalibrationPrefix("1-2-3-4-5-6-7-8", "9-9-9-9-9-9-9-9");
};

TEST_F(CalibrationStoreTest, SavedInOrderAndLoadedBack)
{
    const CalibrationValues values{30000.0, 31000.5, {0.25, -1.5, 2.75}, 120.0, -40.0, 0.0101};
    ASSERT_TRUE(SaveCalibration(key(), m_prefix, values));
    const auto names = key().values().value();
    const std::vector<std::u16string> expected{u"scale", u"signal0", u"signal1", u"angle0",
                                               u"dx0",   u"dy0",     u"corrx",   u"corry"};
    ASSERT_EQ(names.size(), expected.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(names[i].name, u"1-2-3-4-5-6-7-8.9-9-9-9-9-9-9-9." + expected[i]);
    }
    EXPECT_EQ(key().string(u"1-2-3-4-5-6-7-8.9-9-9-9-9-9-9-9.signal1").value(), u"31000.500000");
    const auto loaded = LoadCalibration(key(), m_prefix, EmitterDevice::TargetController);
    ASSERT_TRUE(loaded);
    EXPECT_DOUBLE_EQ(loaded->signal1, 31000.5);
    EXPECT_DOUBLE_EQ(loaded->offset.dy0, 2.75);
    EXPECT_DOUBLE_EQ(loaded->scale, 0.0101);
    // Uncalibrated: "scale" 0 alone, which the load refuses.
    ASSERT_TRUE(SaveCalibration(key(), m_prefix, std::nullopt));
    EXPECT_FALSE(LoadCalibration(key(), m_prefix, EmitterDevice::TargetController));
}

TEST_F(CalibrationStoreTest, RefusedOutsideEachDevicesRange)
{
    struct Case {
        EmitterDevice device;
        double signal;
        double scale;
        bool accepted;
    };
    const std::vector<Case> cases{
        {EmitterDevice::TargetController, 4096, 1.0, true},
        {EmitterDevice::TargetController, 4095, 1.0, false},
        {EmitterDevice::TargetController, 63488, 1.0, true},
        {EmitterDevice::TargetController, 63489, 1.0, false},
        {EmitterDevice::Dovecote, 2000, 1.0, true},
        {EmitterDevice::Dovecote, 49153, 1.0, false},
        {EmitterDevice::WirelessTarget, 5, 1.0, true},
        {EmitterDevice::WirelessTarget, 193, 1.0, false},
        {EmitterDevice::WirelessTarget, 4, 1.0, false},
        {EmitterDevice::TargetController, 5000, 0.01, false},
        {EmitterDevice::TargetController, 5000, 0.0101, true},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(SaveCalibration(key(), m_prefix, CalibrationValues{c.signal, c.signal, {}, 0, 0, c.scale}));
        EXPECT_EQ(LoadCalibration(key(), m_prefix, c.device).has_value(), c.accepted) << c.signal << " " << c.scale;
    }
}

TEST_F(CalibrationStoreTest, WrittenInTheCLocaleWhateverTheUsersLocale)
{
    const char* previous = std::setlocale(LC_ALL, nullptr);
    const std::string saved = previous ? previous : "C";
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8") && !std::setlocale(LC_ALL, "fr_FR.UTF-8")) {
        GTEST_SKIP() << "no locale with a decimal comma";
    }
    const bool ok = SaveCalibration(key(), m_prefix, CalibrationValues{5000, 5000, {0.5, 0, 0}, 0, 0, 1.25});
    const auto loaded = LoadCalibration(key(), m_prefix, EmitterDevice::TargetController);
    std::setlocale(LC_ALL, saved.c_str());
    ASSERT_TRUE(ok);
    EXPECT_EQ(key().string(u"1-2-3-4-5-6-7-8.9-9-9-9-9-9-9-9.scale").value(), u"1.250000");
    ASSERT_TRUE(loaded);
    EXPECT_DOUBLE_EQ(loaded->offset.angle0, 0.5);
}

} // namespace
} // namespace talvolink
