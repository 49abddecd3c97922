#include "talvolink/usb/tests/support/UsbDecoders.h"

#include <gtest/gtest.h>

#include <random>

namespace talvolink {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Well-formed reads of every kind, the seeds that the mutations start from.
std::vector<Bytes> seeds()
{
    Bytes shortRecords(3 * optical::kShortRecord, 0);
    for (std::size_t record = 0; record < 3; ++record) {
        for (std::size_t quadrant = 0; quadrant < 8; ++quadrant) {
            bytes::put(std::span(shortRecords), record * optical::kShortRecord + 14 + 4 * quadrant, 50.0F);
        }
    }
    Bytes longRecord(optical::kLongRecord, 0x40);
    Bytes tagged{0x44, 5, 0, 0, 0, 1, 2, 3, 4, 5, 0x88, 3, 0, 0, 0, 6, 7, 8};
    Bytes subBlocks{5, 0x44, 0xE3, 1, 2, 4, 0x88, 7, 8, 3, 0x55, 0};
    Bytes halves(optical::kFirstHalf, 0x11);
    return {shortRecords, longRecord, tagged, subBlocks, halves, Bytes(optical::kSecondHalf, 0x22)};
}

TEST(UsbMutatedBlocksTest, DecodersSurviveThousandsOfMutatedReads)
{
    testsupport::UsbDecoders decoders;
    std::mt19937 random(20261209);
    const auto all = seeds();
    constexpr int kMutations = 4000;
    for (int i = 0; i < kMutations; ++i) {
        Bytes read = all[random() % all.size()];
        switch (random() % 4) {
        case 0: // flip a few bytes, lengths and tags among them
            for (int n = 0; n < 4 && !read.empty(); ++n) {
                read[random() % read.size()] = static_cast<std::uint8_t>(random());
            }
            break;
        case 1: // cut it short
            read.resize(read.empty() ? 0 : random() % read.size());
            break;
        case 2: // add garbage
            for (int n = 0, extra = static_cast<int>(random() % 600); n < extra; ++n) {
                read.push_back(static_cast<std::uint8_t>(random()));
            }
            break;
        default: // pure noise
            read.resize(random() % 1100);
            for (auto& byte : read) {
                byte = static_cast<std::uint8_t>(random());
            }
        }
        // An exact-size copy, so the sanitizers catch any read past the block.
        decoders.feed(Bytes(read.begin(), read.end()));
    }
    EXPECT_GT(decoders.samples, 0u);
}

} // namespace
} // namespace talvolink
