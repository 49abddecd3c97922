#include "talvodesk/core/report/PrintTarget.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string>

using namespace talvodesk;
using platform::gfx::Rect;

namespace {

TEST(PrintTargetTest, TheDistanceFieldTakesDecimalNumbersFromOneToFiveHundredMetres)
{
    struct Case {
        std::u16string text;
        std::optional<double> number;
        bool taken;
    };
    const Case cases[] = {
        {u"25", 25, true},
        {u" \t25.5\t ", 25.5, true},
        {u"1", 1, true},
        {u"500", 500, true},
        {u"1e2", 100, true},
        {u"10", 10, false}, // the distance already kept
        {u"0.5", 0.5, false},
        {u"600", 600, false},
        {u"0", 0, false}, // a zero written as one is a number, just out of range
        {u"0.000", 0, false},
        {u"", std::nullopt, false},
        {u"   ", std::nullopt, false},
        {u".0", std::nullopt, false}, // zero from a text that does not begin with 0
        {u"25 m", std::nullopt, false},
        {u"2,5", std::nullopt, false},
        {u"\u0662\u0665", std::nullopt, false},
        {std::u16string(29, u' ') + u"25", 25, true},
        {std::u16string(30, u' ') + u"25", std::nullopt, false}, // longer than the field's 31 characters
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text.begin(), c.text.end()));
        const std::optional<double> number = ParsePrintDistance(c.text);
        EXPECT_EQ(c.number, number);
        EXPECT_EQ(c.taken, number && TakesPrintDistance(*number, kDefaultPrintDistance));
    }
    EXPECT_EQ(u"10", FormatPrintDistance(10.0F));
    EXPECT_EQ(u"12.3", FormatPrintDistance(12.3F));
}

TEST(PrintTargetTest, TheFaceShrinksByTheDistanceRatioAndCentresOnThePrintablePage)
{
    // A4 at 600 dots per inch with 100-dot margins: the printable page is 4760 x 6816, centred on (2380, 3408).
    const PrinterPage a4{4960, 7016, 100, 100, 100, 100, {600, 600}};
    struct Case {
        const char* name;
        float eventDistance;
        float distance;
        int model;
        bool clip;
        Rect target;
        Rect clipRect;
    };
    const Case cases[] = {
        // 154.4 mm x 10 / 50 = 30.88 mm: 729.4 dots; the Pavane 10 window of 170 mm is 4015.7 dots.
        {"a fifth, clipped", 50, 10, 1, true, {2016, 3044, 2745, 3773}, {373, 1401, 4388, 5416}},
        // The Dovecote window: 48 x 44 mm is 1133.8 x 1039.3 dots.
        {"a fifth in the small window", 50, 10, 3, true, {2016, 3044, 2745, 3773}, {1814, 2889, 2947, 3928}},
        {"unclipped, the printable page", 50, 10, 1, false, {2016, 3044, 2745, 3773}, {0, 0, 4760, 6816}},
        // At its own distance the face is true size: 154.4 mm is 3647.2 dots.
        {"true size", 50, 50, 1, true, {557, 1585, 4204, 5232}, {373, 1401, 4388, 5416}},
        {"an event without a distance prints true size",
         0,
         10,
         1,
         true,
         {557, 1585, 4204, 5232},
         {373, 1401, 4388, 5416}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PrintTargetLayout layout =
            LayOutPrintTarget(a4, 154.4F, 154.4F, c.eventDistance, c.distance, kPrintTargetModels[c.model], c.clip);
        EXPECT_EQ(c.target, layout.target);
        EXPECT_EQ(c.clipRect, layout.clip);
    }
    // Uneven unprintable edges move the printable origin, not the face: it stays on the paper's centre.
    const PrinterPage uneven{4960, 7016, 40, 300, 160, 100, {600, 600}};
    const PrintTargetLayout layout = LayOutPrintTarget(uneven, 154.4F, 154.4F, 50, 10, kPrintTargetModels[1], false);
    EXPECT_EQ((Rect{2076, 2844, 2805, 3573}), layout.target);
    EXPECT_EQ((Rect{0, 0, 4760, 6616}), layout.clip);
}

TEST(PrintTargetTest, AFaceOfNoPrintableSizeStaysARectangleOnThePage)
{
    const PrinterPage a4{4960, 7016, 100, 100, 100, 100, {600, 600}};
    constexpr LONG kMost = (1 << 30) - 1;
    struct Case {
        const char* name;
        float form;
        float eventDistance;
        LONG side; // dots
    };
    const Case cases[] = {
        {"a kilometre of kilometres", 1e30F, 50, kMost},
        {"a sound face from almost no distance", 154.4F, 1e-30F, kMost},
        {"a face of minus infinity", -3e38F, 50, -kMost},
        {"a face not a number", std::numeric_limits<float>::quiet_NaN(), 50, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PrintTargetLayout layout =
            LayOutPrintTarget(a4, c.form, c.form, c.eventDistance, 50, kPrintTargetModels[1], /*clip=*/false);
        EXPECT_EQ(layout.target.right - layout.target.left, c.side);
        EXPECT_EQ(layout.target.left + c.side / 2, 2380);
    }
}

} // namespace
