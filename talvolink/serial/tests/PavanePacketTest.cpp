#include "talvolink/serial/PavanePacket.h"

#include <gtest/gtest.h>

#include <vector>

using talvolink::DeviceRecord;

namespace {

struct Decoded {
    int x, y, level, piezo, sequence;
};

// The record is packed: its fields are copied out before a matcher takes them by reference.
void expectRecord(const Decoded& expected, const DeviceRecord& record)
{
    EXPECT_EQ(expected.x, int{record.x});
    EXPECT_EQ(expected.y, int{record.y});
    EXPECT_EQ(expected.level, int{record.level});
    EXPECT_EQ(expected.piezo, int{record.piezo});
    EXPECT_EQ(expected.sequence, int{record.sequence});
}

TEST(PavanePacketTest, DecodesPackets)
{
    struct Case {
        const char* name;
        std::vector<std::uint8_t> packet;
        bool calibrationMode;
        Decoded expected;
    };
    const Case cases[] = {
        {"all zero, with its valid check",
         {0x80, 0x00, 0x08, 0x00, 0x00, 0x00, 0x00, 0x44},
         false,
         {-512, -384, 0, 0, 0}},
        {"centre", {0x80, 0x04, 0x20, 0x48, 0x21, 0x36, 0x05, 0x24}, false, {0, 0, 100, 400, 43}},
        // x = 506 is outside the field: the sensor lost the spot, except while calibrating.
        {"outside the field", {0xFA, 0x07, 0x20, 0x48, 0x01, 0x00, 0x00, 0x35}, false, {506, 0, 0, 0, 0}},
        {"outside the field, calibrating", {0xFA, 0x07, 0x20, 0x48, 0x01, 0x00, 0x00, 0x35}, true, {506, 0, 100, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeviceRecord record{};
        ASSERT_TRUE(talvolink::ParsePavanePacket(c.packet, c.calibrationMode, record));
        expectRecord(c.expected, record);
    }
}

TEST(PavanePacketTest, RejectsBadChecksAndLengths)
{
    const std::vector<std::uint8_t> good = {0x80, 0x04, 0x20, 0x48, 0x21, 0x36, 0x05, 0x24};
    struct Case {
        const char* name;
        std::vector<std::uint8_t> packet;
    };
    std::vector<Case> cases = {
        {"the all-zero packet with a zero check", {0x80, 0x00, 0x08, 0x00, 0x00, 0x00, 0x00, 0x00}},
        {"truncated", {good.begin(), good.end() - 1}},
        {"overlong", good},
        {"empty", {}},
    };
    cases[2].packet.push_back(0x00);
    for (std::size_t byte = 0; byte < good.size(); ++byte) {
        std::vector<std::uint8_t> flipped = good;
        flipped[byte] ^= byte == 6 ? 0x40 : 0x01; // byte 6 carries the check's lowest bit in bit 6
        cases.push_back({"one bit flipped", flipped});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeviceRecord record{};
        EXPECT_FALSE(talvolink::ParsePavanePacket(c.packet, false, record));
    }
}

TEST(PavanePacketTest, Decodes306Packets)
{
    const std::vector<std::uint8_t> packet = {0x9C, 0x13, 0x23, 0x78, 0x10, 0x10, 0x07, 0x2F, 0x07, 0x08};
    DeviceRecord record{};
    ASSERT_TRUE(talvolink::Parse306Packet(packet, false, record));
    expectRecord({-100, 50, 60, 8, 9}, record);
    EXPECT_EQ(700, int{record.trigger});
    EXPECT_EQ(515, int{record.pulse});

    for (std::size_t byte : {0u, 6u, 9u}) {
        SCOPED_TRACE(byte);
        std::vector<std::uint8_t> flipped = packet;
        flipped[byte] ^= 0x02;
        DeviceRecord rejected{};
        EXPECT_FALSE(talvolink::Parse306Packet(flipped, false, rejected));
    }
    DeviceRecord wrongLength{};
    EXPECT_FALSE(talvolink::Parse306Packet(std::span(packet).first(8), false, wrongLength));
    EXPECT_FALSE(talvolink::ParsePavanePacket(packet, false, wrongLength));
}

} // namespace
