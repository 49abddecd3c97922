#include "platform/gfx/Letterbox.h"

#include <gtest/gtest.h>

namespace {

using platform::gfx::letterbox;
using platform::gfx::Rect;

TEST(LetterboxTest, CentresTheContentAndRoundsEachMarginUp)
{
    const struct {
        Rect box;
        std::int64_t width;
        std::int64_t height;
        Rect fitted;
    } cases[] = {
        {{0, 0, 100, 50}, 1, 1, {25, 0, 75, 50}},     // wider box: margins left and right
        {{0, 0, 50, 101}, 1, 1, {0, 26, 50, 75}},     // taller box: 51 spare rows, 26 above and below
        {{10, 20, 110, 70}, 2, 1, {10, 20, 110, 70}}, // same aspect
        {{0, 0, 100, 50}, 4, 0, {0, 0, 100, 50}},     // no content height
        {{0, 0, 0, 50}, 1, 1, {0, 0, 0, 50}},         // no box width
        {{0, 0, 10, 10}, 1, 2000, {5, 0, 5, 10}},     // under a thousandth wide: nothing left
        {{0, 0, 3000000, 2000000}, 90000, 30000, {0, 500000, 3000000, 1500000}}, // products pass 32 bits
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        EXPECT_EQ(c.fitted, letterbox(c.box, c.width, c.height));
    }
}

} // namespace
