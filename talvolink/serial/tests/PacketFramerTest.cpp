#include "talvolink/serial/PacketFramer.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Framed {
    std::vector<Bytes> packets;
    Bytes rest;
};

Framed frame(Bytes buffer, std::size_t fill, std::size_t packetLength)
{
    Framed framed;
    const std::size_t rest = talvolink::SplitPackets(buffer, fill, packetLength, [&](std::span<const std::uint8_t> p) {
        framed.packets.emplace_back(p.begin(), p.end());
    });
    framed.rest.assign(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(rest));
    return framed;
}

TEST(PacketFramerTest, SplitsBytesIntoPackets)
{
    struct Case {
        const char* name;
        Bytes bytes;
        std::vector<Bytes> packets;
        Bytes rest;
    };
    const Case cases[] = {
        {"one and a half packets", {0x81, 1, 2, 3, 0x82, 4}, {{0x81, 1, 2, 3}}, {0x82, 4}},
        {"a start byte inside a packet drops what came before", {0x81, 1, 0x82, 2, 3, 4}, {{0x82, 2, 3, 4}}, {}},
        {"a truncated packet at the end waits", {0x81, 1, 2}, {}, {0x81, 1, 2}},
        {"bytes after a full packet begin the next",
         {0x81, 1, 2, 3, 4, 5, 6, 7, 0x83},
         {{0x81, 1, 2, 3}, {4, 5, 6, 7}},
         {0x83}},
        {"nothing", {}, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Framed framed = frame(c.bytes, c.bytes.size(), 4);
        EXPECT_EQ(c.packets, framed.packets);
        EXPECT_EQ(c.rest, framed.rest);
    }
}

TEST(PacketFramerTest, TheKeptHalfCompletesInTheNextRound)
{
    Bytes buffer = {0x81, 1, 2, 3, 0x82, 4, 0, 0};
    Framed first = frame(buffer, 6, 4);
    ASSERT_EQ(2u, first.rest.size());
    Bytes next = first.rest;
    next.insert(next.end(), {5, 6});
    const Framed second = frame(next, next.size(), 4);
    EXPECT_EQ(std::vector<Bytes>({{0x82, 4, 5, 6}}), second.packets);
}

TEST(PacketFramerTest, OnlyTheFilledPartIsFramed)
{
    const Framed framed = frame({0x81, 1, 2, 3, 0x82, 1, 2, 3}, 5, 4);
    EXPECT_EQ(1u, framed.packets.size());
    EXPECT_EQ(Bytes({0x82}), framed.rest);
}

} // namespace
