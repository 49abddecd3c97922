#include "talvodesk/core/report/ReportLayout.h"

#include "talvodesk/core/options/TextFormat.h"

#include "talvodesk/core/testing/ReportBuilderFixture.h"

#include "platform/gfx/MulDiv.h"
#include "talvodata/ShotCollection.h"
#include "talvodata/tests/support/Events.h"
#include "talvodata/tests/support/ShotBuilder.h"

#include <gtest/gtest.h>

#include <initializer_list>

using namespace talvodesk;
using platform::gfx::MulDiv;
using platform::gfx::Rect;
using talvodesk::testsupport::kA4;

namespace {

CPrintoutTextCell& textCell(PrintoutPage& page, std::size_t index)
{
    return dynamic_cast<CPrintoutTextCell&>(*page.cells.at(index));
}

TEST(ReportLayoutTest, MarginsMoveTheEdgesOnlyByThePartBeyondTheUnprintableOffsets)
{
    // Unprintable 50 dots at the left, 120 at the top, 300 at the right and 80 at the bottom.
    const PrinterPage uneven{4960, 7016, 50, 120, 300, 80, {600, 600}};
    struct Case {
        const PrinterPage& page;
        PageMargins margins;
        Rect layout;
    };
    const Case cases[] = {
        // 20 mm is 472 dots, 15 mm 354: 372 and 254 beyond the offsets.
        {kA4, {}, {372, 254, 4388, 6562}},
        // 3 mm is 71 dots, inside the offset: ignored.
        {kA4, {300, 300, 300, 300}, {0, 0, 4760, 6816}},
        {kA4, {300, 1500, 2000, 0}, {0, 254, 4388, 6816}},
        // A right margin below the left and a bottom above the top each keep their own size: 10 mm is 236 dots,
        // 30 mm 709.
        {kA4, {2000, 1500, 1000, 3000}, {372, 254, 4624, 6207}},
        // Each side against its own offset: the right margin lies inside its 300 dots.
        {uneven, {2000, 1500, 1000, 3000}, {422, 234, 4610, 6187}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.layout, ReportPageRect(c.page, c.margins));
    }
    EXPECT_EQ(-3, MulDiv(-5, 1, 2)); // halves round away from zero
    EXPECT_EQ(3, MulDiv(5, 1, 2));
    EXPECT_EQ(-1, MulDiv(5, 1, 0));
}

TEST(ReportLayoutTest, UnitsAndFontsFollowThePrintersResolution)
{
    struct Case {
        LONG dpi;
        LONG gap;
        LONG pad;
        LONG onePoint;
        LONG halfPoint;
        LONG normalHeight;
        LONG headingHeight;
    };
    for (const Case& c :
         {Case{600, 100, 33, 8, 4, -100, -117}, Case{300, 50, 17, 4, 2, -50, -58}, Case{96, 16, 5, 1, 0, -16, -19}}) {
        SCOPED_TRACE(c.dpi);
        const ReportUnits units = ReportUnitsFor({c.dpi, c.dpi});
        EXPECT_EQ(c.gap, units.gapX);
        EXPECT_EQ(c.gap, units.gapY);
        EXPECT_EQ(c.pad, units.pad);
        EXPECT_EQ(c.onePoint, units.onePoint);
        EXPECT_EQ(c.halfPoint, units.halfPoint);
        const ReportFonts fonts = MakeReportFonts(u"Arial", c.dpi);
        EXPECT_EQ(c.normalHeight, fonts.normal.height);
        EXPECT_EQ(c.headingHeight, fonts.heading.height);
        EXPECT_EQ(900, fonts.vertical.escapement);
        EXPECT_EQ(u"Times New Roman", fonts.header.faceName);
        EXPECT_TRUE(fonts.header.italic);
    }
}

using ReportBuilderTest = testsupport::ReportBuilderFixture;

TEST(ReportBuilderLongTextTest, ANameOrCommentOfAHundredKilobytesIsPrintedCutWithAnEllipsis)
{
    platform::gfx::testing::FixedMeasure measure;
    platform::gfx::PictureRecorder printer{{600, 600}, &measure};
    const ReportFonts fonts = MakeReportFonts(u"Arial", 600);
    Printout printout;
    const std::u16string huge(100000, u'n');
    ReportBuilder builder{
        printer, testsupport::kA4, PageMargins{}, fonts, {u"TALVO Shooter Training System", huge, u"n/a", huge},
        printout};
    builder.begin();
    const std::u16string& shooter = textCell(printout[0], 2).text;
    EXPECT_EQ(shooter, huge.substr(0, kShownNameLength - 1) + u"\u2026");
    const CPrintoutTextCell& comment = builder.addText(fonts.normal, huge, {0, 0}, 1000);
    EXPECT_EQ(comment.text.size(), kShownTextLength);
    EXPECT_EQ(comment.text.back(), u'\u2026');
}

TEST_F(ReportBuilderTest, EveryPageHasItsHeaderAndAFullPageStartsTheNextNumberedFromTwo)
{
    builder.begin(u"Shot number 3 of 60");
    ASSERT_EQ(1u, printout.size());
    PrintoutPage& first = printout[0];
    // Title and page number at the right, shooter and date on one line, event and the extra text on the next.
    EXPECT_EQ((Rect{4098, 254, 4388, 274}), textCell(first, 0).rect);
    EXPECT_EQ(0x808080u, textCell(first, 0).textColor);
    EXPECT_EQ(u"1", textCell(first, 1).text);
    EXPECT_EQ((Rect{4378, 6542, 4388, 6562}), textCell(first, 1).rect);
    EXPECT_EQ((Rect{372, 274, 402, 294}), textCell(first, 2).rect);
    EXPECT_EQ((Rect{4358, 274, 4388, 294}), textCell(first, 3).rect);
    EXPECT_EQ((Rect{372, 294, 462, 314}), textCell(first, 4).rect);
    EXPECT_EQ((Rect{4198, 294, 4388, 314}), textCell(first, 5).rect);
    EXPECT_EQ((Rect{372, 314, 4388, 322}), first.cells.at(6)->rect); // a one-point rule
    // Then a 12-point gap below the rule and above the page number.
    EXPECT_EQ((Rect{372, 422, 4388, 6442}), builder.layout());

    // 301 rows of 20 dots fill the 6020 left exactly; one more starts page 2, and a full page 2 starts page 3.
    for (int row = 0; row < 301; ++row) {
        builder.addTitleValueRow(u"Shot count", u"60");
    }
    EXPECT_EQ(1u, printout.size());
    EXPECT_EQ(6442, builder.layout().top);
    builder.addTitleValueRow(u"Shot count", u"60");
    ASSERT_EQ(2u, printout.size());
    EXPECT_EQ(u"2", textCell(printout[1], 1).text);
    EXPECT_EQ(8u, printout[1].cells.size()); // the header without an extra text, then the row
    // Title at the left; the value right of the 55 % column and the gap: (4016 - 100) x 55 / 100 = 2153.
    EXPECT_EQ((Rect{372, 422, 472, 442}), textCell(printout[1], 6).rect);
    EXPECT_EQ((Rect{2625, 422, 2645, 442}), textCell(printout[1], 7).rect);
    while (printout.size() < 3) {
        builder.addTitleValueRow(u"Shot count", u"60");
    }
    EXPECT_EQ(u"3", textCell(printout[2], 1).text);
}

TEST(PrintTargetExtentTest, TheAreaIsTheFirstRingHoldingTheFarthestBreachOrTheBiathlonForm)
{
    const auto rifle = talvodata::testsupport::shippedEvent("AR10");
    ASSERT_TRUE(rifle);
    struct Case {
        std::initializer_list<float> breachesX;
        float extent;
    };
    // 4.5 mm calibre: half of it is added; rings of 0.5 mm + 5 mm per ring.
    const Case cases[] = {
        {{}, 2.75F},            // 2.25 fits ring 9 (5.5 mm)
        {{3.0F}, 5.25F},        // 5.25 is exactly ring 8's radius
        {{-3.1F, 1.0F}, 7.75F}, // the farthest either way: 5.35 needs ring 7
        {{30.0F}, 32.25F},      // beyond ring 1: the extent itself
    };
    for (const Case& c : cases) {
        auto shots = talvodata::CShotCollection::create();
        for (const float x : c.breachesX) {
            ASSERT_EQ(S_OK, shots->Add(talvodata::testing::ShotBuilder(rifle.get()).result(x).build().get()));
        }
        float halfWidth = 0;
        float halfHeight = 0;
        CalcPrintTargetExtent(*rifle, 1, *shots, halfWidth, halfHeight);
        EXPECT_FLOAT_EQ(c.extent, halfWidth);
        EXPECT_FLOAT_EQ(c.extent, halfHeight);
    }
    const auto biathlon = talvodata::testsupport::shippedEvent("BTLN");
    auto none = talvodata::CShotCollection::create();
    float halfWidth = 0;
    float halfHeight = 0;
    CalcPrintTargetExtent(*biathlon, 2, *none, halfWidth, halfHeight);
    EXPECT_FLOAT_EQ(425.0F, halfWidth);
    EXPECT_FLOAT_EQ(100.0F, halfHeight);
}

} // namespace
