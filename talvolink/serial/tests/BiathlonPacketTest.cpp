#include "talvolink/serial/BiathlonPacket.h"
#include "talvolink/serial/BiathlonGeometry.h"

#include "tools/sensorsim/PacketEncoder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using talvolink::BiathlonGeometry;
using talvolink::BiathlonPacket;
using talvolink::DecodeBiathlonPacket;
using talvolink::DeviceRecord;

namespace {

const std::vector<std::uint8_t> kPacket = {0x8B, 0x74, 0x6D, 0x1D, 0x64, 0x5D, 0x7F, 0x54, 0x11, 0x28,
                                           0x67, 0x49, 0x2F, 0x60, 0x63, 0x6F, 0x42, 0x21, 0x63, 0x3F,
                                           0x1A, 0x58, 0x5B, 0x21, 0x73, 0x11, 0x54, 0x4D};

TEST(BiathlonPacketTest, DecodesEveryValue)
{
    const auto packet = DecodeBiathlonPacket(kPacket);
    ASSERT_TRUE(packet.has_value());
    const int expected[5][3] = {{523, 734, 59}, {953, 510, 106}, {321, 231, 761}, {960, 504, 779}, {208, 510, 26}};
    for (int k = 0; k < 5; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(expected[k][0], packet->spots[static_cast<std::size_t>(k)].p);
        EXPECT_EQ(expected[k][1], packet->spots[static_cast<std::size_t>(k)].q);
        EXPECT_EQ(expected[k][2], packet->spots[static_cast<std::size_t>(k)].size);
    }
    EXPECT_EQ(443, packet->piezo);
    EXPECT_EQ(835, packet->value21);
    EXPECT_EQ(572, packet->value23);
    EXPECT_EQ(21, packet->sequence);
    EXPECT_TRUE(packet->checkHolds);
}

TEST(BiathlonPacketTest, AFailedCheckStillDecodesAndWrongLengthsDoNot)
{
    std::vector<std::uint8_t> damaged = kPacket;
    damaged[13] ^= 0x04;
    const auto packet = DecodeBiathlonPacket(damaged);
    ASSERT_TRUE(packet.has_value());
    EXPECT_FALSE(packet->checkHolds);
    EXPECT_EQ(21, packet->sequence);

    EXPECT_FALSE(DecodeBiathlonPacket(std::span(kPacket).first(27)).has_value());
    std::vector<std::uint8_t> overlong = kPacket;
    overlong.push_back(0);
    EXPECT_FALSE(DecodeBiathlonPacket(overlong).has_value());
}

DeviceRecord compute(BiathlonGeometry& geometry, const BiathlonPacket& packet, int piezoThreshold = 30)
{
    DeviceRecord record{};
    geometry.Compute(packet, piezoThreshold, record);
    return record;
}

BiathlonPacket aimAt(int x, int y, int size, int piezo = 0)
{
    sensorsim::AimSample sample;
    sample.x = x;
    sample.y = y;
    sample.level = size;
    sample.piezo = piezo;
    return *DecodeBiathlonPacket(sensorsim::encodeBiathlon(sample, 0));
}

TEST(BiathlonPacketTest, FindsTheTargetAimedAtAndThePoint)
{
    struct Case {
        int x, y; // tenths of a millimetre on the plate, target 2 in the middle
    };
    const Case cases[] = {{0, 0}, {-2500, 0}, {2500, 300}, {-5000, -200}, {5000, 150}, {300, -400}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.x << ", " << c.y);
        BiathlonGeometry geometry;
        const DeviceRecord record = compute(geometry, aimAt(c.x, c.y, 200));
        ASSERT_EQ(1, record.aimValid);
        // The spots' coordinates are whole sensor units, 5 mm of the plate at this spot size; with one neighbour
        // (the outer targets) that also turns the angle a little.
        EXPECT_NEAR(c.x, record.x, 60);
        EXPECT_NEAR(c.y, record.y, 60);
        EXPECT_EQ(200, int{record.level});
        EXPECT_NEAR(1.0, record.scale, 0.03);
        EXPECT_NEAR(0.0, record.angle, 0.03);
    }
}

TEST(BiathlonPacketTest, SmallSpotsAndImplausibleOrdersAreNoAim)
{
    BiathlonGeometry geometry;
    EXPECT_EQ(0, compute(geometry, aimAt(0, 0, 31)).aimValid);
    EXPECT_EQ(1, compute(geometry, aimAt(0, 0, 32)).aimValid);

    // Spot 2 nearest, then 1 and 3: valid. Spot 2 nearest, then 0: not a plate seen from its front.
    BiathlonPacket packet = aimAt(0, 0, 100);
    BiathlonGeometry fresh;
    EXPECT_EQ(1, compute(fresh, packet).aimValid);
    std::swap(packet.spots[0], packet.spots[1]);
    BiathlonGeometry swapped;
    EXPECT_EQ(0, compute(swapped, packet).aimValid);

    // Beyond the plate's outer target.
    BiathlonGeometry far;
    EXPECT_EQ(0, compute(far, aimAt(7600, 0, 100)).aimValid);
}

TEST(BiathlonPacketTest, TheShotsJoltKeepsTheLastGeometry)
{
    BiathlonGeometry geometry;
    const DeviceRecord before = compute(geometry, aimAt(200, 100, 150));
    ASSERT_EQ(1, before.aimValid);
    const DeviceRecord jolt = compute(geometry, aimAt(900, -600, 150, /*piezo=*/200));
    EXPECT_EQ(1, jolt.aimValid);
    EXPECT_EQ(int{before.x}, int{jolt.x});
    EXPECT_EQ(int{before.y}, int{jolt.y});

    // Without a geometry yet, a jolt is computed as it is.
    BiathlonGeometry first;
    EXPECT_NEAR(900, compute(first, aimAt(900, -600, 150, 200)).x, 40);
}

} // namespace
