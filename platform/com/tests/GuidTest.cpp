#include "platform/com/Guid.h"

#include <gtest/gtest.h>

using namespace platform::com;

namespace {

constexpr GUID kSample = makeGuid("00112233-4455-6677-8899-AABBCCDDEEFF");

TEST(GuidTest, StreamLayoutIsLittleEndianFieldsThenBytes)
{
    const auto bytes = guidToBytes(kSample);
    const std::array<std::uint8_t, 16> expected{0x33, 0x22, 0x11, 0x00, 0x55, 0x44, 0x77, 0x66,
                                                0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF};
    EXPECT_EQ(expected, bytes);
    EXPECT_EQ(kSample, guidFromBytes(bytes.data()));
}

TEST(GuidTest, TextFormRoundTripsAndRejectsMalformedText)
{
    EXPECT_EQ("{00112233-4455-6677-8899-AABBCCDDEEFF}", guidToString(kSample));
    EXPECT_EQ(kSample, guidFromString("{00112233-4455-6677-8899-aabbccddeeff}"));
    EXPECT_EQ(kSample, guidFromString("00112233-4455-6677-8899-AABBCCDDEEFF"));
    for (const char* bad : {"", "{00112233-4455-6677-8899-AABBCCDDEEF}", "00112233-4455-6677-8899_AABBCCDDEEFF",
                            "0011223G-4455-6677-8899-AABBCCDDEEFF", "{00112233-4455-6677-8899-AABBCCDDEEFF"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(guidFromString(bad).has_value());
    }
}

} // namespace
