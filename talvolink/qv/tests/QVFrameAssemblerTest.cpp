#include "talvolink/qv/QVFrameAssembler.h"
#include "talvolink/qv/tests/support/QVFrames.h"
#include "talvolink/usb/Bytes.h"

#include <gtest/gtest.h>

namespace talvolink {
namespace {

using testsupport::QVFrameFields;
using testsupport::qvFramePackets;
using testsupport::qvHeader;
using Packet = std::vector<std::uint8_t>;

struct Delivered {
    std::uint16_t level;
    std::uint32_t counter;
    std::uint8_t width;
    std::uint64_t time;
};

struct Harness {
    Harness()
        : assembler(
              [this](const QVHeader&, std::span<const std::uint8_t> payload) { completed.push_back(payload.size()); },
              [this](const QVFrameRecord& record, std::uint64_t time) {
                  const std::span<const std::uint8_t> header = std::span(record).subspan(1);
                  delivered.push_back({bytes::le16(header, 32), bytes::le32(header, 38), header[10], time});
              })
    {
    }
    void push(const std::vector<Packet>& packets, std::uint64_t time = 0)
    {
        for (const Packet& packet : packets) {
            assembler.push(time, packet);
        }
    }

    QVFrameAssembler assembler;
    std::vector<std::size_t> completed;
    std::vector<Delivered> delivered;
};

// A frame of 10 pixels in chunks of 4: header, 1, 2, 3.
std::vector<Packet> frame(std::uint8_t width, std::uint16_t level = 0)
{
    return qvFramePackets({.width = width, .level = level}, Packet(10, 7), 4);
}

TEST(QVFrameAssemblerTest, HeaderOnlyFrameIsDeliveredWithTheNextFramesLevel)
{
    Harness h;
    h.push({qvHeader({.width = 1, .level = 11, .counter = 100}, 0)}, 5);
    EXPECT_TRUE(h.delivered.empty());
    h.push({qvHeader({.width = 2, .level = 22, .counter = 200}, 0)}, 15);
    ASSERT_EQ(h.delivered.size(), 1U);
    EXPECT_EQ(h.delivered[0].width, 1);
    EXPECT_EQ(h.delivered[0].level, 22);
    EXPECT_EQ(h.delivered[0].counter, 200U);
    EXPECT_EQ(h.delivered[0].time, 15U);
    EXPECT_TRUE(h.completed.empty());
}

TEST(QVFrameAssemblerTest, DropsFramesWhoseContinuationsDoNotFit)
{
    const auto good = frame(1);
    const Packet header = good[0];
    const struct {
        const char* name;
        std::vector<Packet> packets;
    } cases[] = {
        {"lost continuation", {header, good[1], good[3]}},
        {"repeated continuation", {header, good[1], good[1], good[2], good[3]}},
        {"reordered continuations", {header, good[2], good[1], good[3]}},
        {"truncated, then a new header", {header, good[1], good[2]}},
        {"too long", {header, good[1], good[2], Packet{3, 1, 2, 3, 4}}},
        {"header claiming less than itself",
         {[&] {
              Packet small = header;
              small[2] = 54;
              return small;
          }(),
          good[1], good[2], good[3]}},
        {"short header packet", {Packet(header.begin(), header.end() - 1), good[1], good[2], good[3]}},
        {"frames switched off", {header, good[1], Packet{0, 0x81}, good[2], good[3]}},
        {"continuation without header", {good[1], good[2], good[3]}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Harness h;
        h.push(c.packets);
        // A later whole frame is assembled; nothing before it counts.
        h.push(frame(2));
        h.push(frame(3));
        ASSERT_EQ(h.completed.size(), 2U);
        ASSERT_EQ(h.delivered.size(), 1U);
        EXPECT_EQ(h.delivered[0].width, 2);
    }
}

TEST(QVFrameAssemblerTest, AssemblesNumberedContinuations)
{
    Harness h;
    h.push(frame(1, 5));
    h.push(frame(2, 6));
    EXPECT_EQ(h.completed, (std::vector<std::size_t>{10, 10}));
    ASSERT_EQ(h.delivered.size(), 1U);
    EXPECT_EQ(h.delivered[0].width, 1);
    EXPECT_EQ(h.delivered[0].level, 6);
}

TEST(QVFrameAssemblerTest, HoldOffDropsFramesButKeepsTheCarryOver)
{
    Harness h;
    h.push(frame(1), 0);
    h.assembler.holdUntil(100);
    h.push(frame(2), 99);
    h.push(frame(3), 100);
    ASSERT_EQ(h.delivered.size(), 1U);
    EXPECT_EQ(h.delivered[0].width, 1);
    EXPECT_EQ(h.delivered[0].time, 100U);
    // The held frame still ran through the exposure control.
    EXPECT_EQ(h.completed.size(), 3U);

    h.assembler.reset();
    h.push(frame(4), 0);
    EXPECT_EQ(h.delivered.size(), 1U);
}

} // namespace
} // namespace talvolink
