#include "platform/gfx/TextLayout.h"

#include "platform/gfx/TextFormat.h"
#include "platform/gfx/tests/support/FixedMeasure.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace platform::gfx {
namespace {

struct ExpectedRun {
    LONG x;
    LONG y;
    std::u16string text;
};

struct LayoutCase {
    const char* name;
    std::u16string text;
    Rect rect;
    UINT format;
    std::vector<ExpectedRun> runs;
    Rect extent;
    LONG height;
};

TEST(TextLayoutTest, PlacesLinesByFormat)
{
    const Rect box{0, 0, 100, 50};
    const LayoutCase cases[] = {
        {"left top", u"abc", box, DT_SINGLELINE, {{0, 0, u"abc"}}, {0, 0, 30, 20}, 20},
        {"centred", u"abc", box, DT_SINGLELINE | DT_CENTER | DT_VCENTER, {{35, 15, u"abc"}}, {0, 0, 30, 20}, 35},
        {"right bottom", u"abc", box, DT_SINGLELINE | DT_RIGHT | DT_BOTTOM, {{70, 30, u"abc"}}, {0, 0, 30, 20}, 50},
        {"wider than the box centres around it",
         u"abcdefghijkl",
         {0, 0, 100, 20},
         DT_SINGLELINE | DT_CENTER,
         {{-10, 0, u"abcdefghijkl"}},
         {0, 0, 120, 20},
         20},
        {"vertical centre needs a single line", u"abc", box, DT_VCENTER, {{0, 0, u"abc"}}, {0, 0, 30, 20}, 20},
        {"line breaks",
         u"a\r\nbb\nc\rd",
         box,
         0,
         {{0, 0, u"a"}, {0, 20, u"bb"}, {0, 40, u"c"}, {0, 60, u"d"}},
         {0, 0, 20, 80},
         80},
        {"single line keeps breaks in the line", u"a\nb", box, DT_SINGLELINE, {{0, 0, u"a\nb"}}, {0, 0, 30, 20}, 20},
        {"empty line counts", u"a\n\nb", box, 0, {{0, 0, u"a"}, {0, 40, u"b"}}, {0, 0, 10, 60}, 60},
        {"empty text", u"", box, 0, {}, {0, 0, 0, 0}, 0},
        {"tabs expanded", u"a\tb", box, DT_EXPANDTABS, {{0, 0, u"a"}, {40, 0, u"b"}}, {0, 0, 50, 20}, 20},
        {"tab on a stop moves to the next",
         u"abcd\tb",
         box,
         DT_EXPANDTABS,
         {{0, 0, u"abcd"}, {80, 0, u"b"}},
         {0, 0, 90, 20},
         20},
        {"offset rectangle", u"ab", {10, 5, 110, 55}, DT_CENTER, {{50, 5, u"ab"}}, {10, 5, 30, 25}, 20},
    };
    const testing::FixedMeasure measure;
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.name);
        const TextLayout layout = layoutText(c.text, c.rect, c.format, Font{}, measure);
        ASSERT_EQ(c.runs.size(), layout.runs.size());
        for (std::size_t i = 0; i < c.runs.size(); ++i) {
            EXPECT_EQ(c.runs[i].x, layout.runs[i].topLeft.x);
            EXPECT_EQ(c.runs[i].y, layout.runs[i].topLeft.y);
            EXPECT_TRUE(c.runs[i].text == layout.runs[i].text);
        }
        EXPECT_EQ(c.extent, layout.extent);
        EXPECT_EQ(c.height, layout.height);
    }
}

struct WrapCase {
    const char* name;
    std::u16string text;
    LONG width;
    UINT format;
    std::vector<std::u16string> lines;
};

TEST(TextLayoutTest, WordBreakWrapsAtSpaces)
{
    const WrapCase cases[] = {
        {"fits", u"aaa bbb", 70, DT_WORDBREAK, {u"aaa bbb"}},
        {"two lines", u"aaa bbb", 50, DT_WORDBREAK, {u"aaa", u"bbb"}},
        {"break exactly at the width", u"aaaaa bb", 50, DT_WORDBREAK, {u"aaaaa", u"bb"}},
        {"space run dropped at the break", u"aa   bb", 50, DT_WORDBREAK, {u"aa", u"bb"}},
        {"several words per line", u"a b c d e f", 30, DT_WORDBREAK, {u"a b", u"c d", u"e f"}},
        {"long word overflows", u"abcdefgh ij", 35, DT_WORDBREAK, {u"abcdefgh", u"ij"}},
        {"long word broken with edit-control rules",
         u"abcdefgh ij",
         35,
         DT_WORDBREAK | DT_EDITCONTROL,
         {u"abc", u"def", u"gh", u"ij"}},
        {"zero width still advances", u"ab", 0, DT_WORDBREAK | DT_EDITCONTROL, {u"a", u"b"}},
        {"leading spaces stay", u"  ab", 100, DT_WORDBREAK, {u"  ab"}},
        {"paragraphs wrap separately", u"aa bb\ncc", 30, DT_WORDBREAK, {u"aa", u"bb", u"cc"}},
        {"single line ignores word break", u"aaa bbb", 30, DT_WORDBREAK | DT_SINGLELINE, {u"aaa bbb"}},
    };
    const testing::FixedMeasure measure;
    for (const WrapCase& c : cases) {
        SCOPED_TRACE(c.name);
        const TextLayout layout = layoutText(c.text, {0, 0, c.width, 100}, c.format, Font{}, measure);
        std::vector<std::u16string> lines;
        for (const TextRun& run : layout.runs) {
            lines.push_back(run.text);
        }
        EXPECT_TRUE(c.lines == lines) << "got " << lines.size() << " lines";
        EXPECT_EQ(static_cast<LONG>(c.lines.size()) * testing::FixedMeasure::kLineHeight, layout.height);
    }
}

} // namespace
} // namespace platform::gfx
