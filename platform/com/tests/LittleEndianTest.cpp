#include "platform/com/LittleEndian.h"

#include <gtest/gtest.h>

#include <array>

namespace {

using platform::com::loadLittleEndian;
using platform::com::storeLittleEndian;

TEST(LittleEndianTest, LoadsAndStoresLowByteFirstAtAnyAddress)
{
    // One byte in front, so the values sit at odd addresses.
    constexpr std::array<std::uint8_t, 9> kBytes{0xEE, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x88};
    EXPECT_EQ(0x0201u, loadLittleEndian<std::uint16_t>(&kBytes[1]));
    EXPECT_EQ(0x04030201u, loadLittleEndian<std::uint32_t>(&kBytes[1]));
    EXPECT_EQ(0x8807060504030201u, loadLittleEndian<std::uint64_t>(&kBytes[1]));

    std::array<std::uint8_t, 9> stored{0xEE};
    storeLittleEndian<std::uint64_t>(&stored[1], 0x8807060504030201u);
    EXPECT_EQ(kBytes, stored);
    storeLittleEndian<std::uint16_t>(&stored[1], 0xFFFE);
    EXPECT_EQ(0xFE, stored[1]);
    EXPECT_EQ(0xFF, stored[2]);
    EXPECT_EQ(0x03, stored[3]);
}

} // namespace
