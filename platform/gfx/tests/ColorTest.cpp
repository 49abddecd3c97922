#include "platform/gfx/Color.h"

#include <gtest/gtest.h>

namespace platform::gfx {
namespace {

TEST(ColorTest, ResolveColorTranslatesSystemColorsOnly)
{
    struct Case {
        COLORREF input;
        COLORREF expected;
    };
    const Case cases[] = {
        {0x000000FF, 0x000000FF},                      // plain red stays
        {systemColorRef(COLOR_WINDOW), 0x00FFFFFF},    // 0x80000005
        {systemColorRef(COLOR_BTNSHADOW), 0x00808080}, // 0x80000010
        {systemColorRef(COLOR_HIGHLIGHT), rgb(10, 36, 106)},
        {systemColorRef(COLOR_INFOBK), rgb(255, 255, 225)}, // last entry of the table
        {systemColorRef(25), 0x00000000},                   // one past the table
        {0x80010005, 0x00000000},                           // not a plain index
        {0x02123456, 0x00123456},                           // palette-relative: the RGB part
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        EXPECT_EQ(c.expected, resolveColor(c.input));
    }
}

TEST(ColorTest, RgbPacksRedInTheLowByte)
{
    EXPECT_EQ(0x000000FFu, rgb(255, 0, 0));
    EXPECT_EQ(0x00FF0000u, rgb(0, 0, 255));
    EXPECT_EQ(0x12, redOf(0x00563412));
    EXPECT_EQ(0x34, greenOf(0x00563412));
    EXPECT_EQ(0x56, blueOf(0x00563412));
}

} // namespace
} // namespace platform::gfx
