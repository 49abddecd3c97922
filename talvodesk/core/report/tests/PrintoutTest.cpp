#include "talvodesk/core/report/Printout.h"

#include "platform/gfx/PictureObject.h"
#include "platform/gfx/PictureRecorder.h"
#include "platform/gfx/tests/support/CallLog.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace talvodesk;
using platform::gfx::Rect;
using platform::gfx::testing::CallLog;

namespace {

platform::gfx::Picture RecordedSquare()
{
    platform::gfx::PictureRecorder recorder;
    recorder.fillRect({0, 0, 10, 10}, 0x0000FF);
    return recorder.finish();
}

TEST(PrintoutTest, EachCellDrawsWhatItsColourTextAndVisibilityAsk)
{
    struct Case {
        const char* name;
        std::function<void(PrintoutPage&)> fill;
        std::vector<std::string> calls;
    };
    const Rect r{10, 20, 110, 70};
    const Case cases[] = {
        {"empty text draws not even its background",
         [&](PrintoutPage& page) {
             auto& cell = page.add<CPrintoutTextCell>();
             cell.rect = r;
             cell.color = 0x00FF00;
         },
         {}},
        {"text fills the whole cell, then draws inside the margins",
         [&](PrintoutPage& page) {
             auto& cell = page.add<CPrintoutTextCell>();
             cell.rect = r;
             cell.text = u"Ann";
             cell.color = 0x00FF00;
             cell.horizontalMargin = 3;
             cell.verticalMargin = 2;
         },
         {"fillRect(10,20,110,70) 00FF00", "drawText(13,22,107,68) 002150"}},
        {"white is no fill", [&](PrintoutPage& page) { page.add<CPrintoutBarCell>().rect = r; }, {}},
        {"a bar is its colour",
         [&](PrintoutPage& page) {
             auto& cell = page.add<CPrintoutBarCell>();
             cell.rect = r;
             cell.color = 0x0000FF;
         },
         {"fillRect(10,20,110,70) 0000FF"}},
        {"a rectangle is a one-pixel black outline",
         [&](PrintoutPage& page) { page.add<CPrintoutRectangleCell>().rect = r; },
         {"rectangle(10,20,110,70) pen 0/0/000000 brush hollow"}},
        {"hidden and flat cells are skipped",
         [&](PrintoutPage& page) {
             auto& hidden = page.add<CPrintoutBarCell>();
             hidden.rect = r;
             hidden.color = 0;
             hidden.visible = false;
             auto& flat = page.add<CPrintoutBarCell>();
             flat.rect = {10, 20, 10, 70};
             flat.color = 0;
             auto& low = page.add<CPrintoutRectangleCell>();
             low.rect = {10, 20, 110, 20};
         },
         {}},
        {"a picture is clipped only with a clip rectangle",
         [&](PrintoutPage& page) {
             auto& unclipped = page.add<CPrintoutPictureCell>();
             unclipped.rect = r;
             unclipped.picture = platform::gfx::PictureObject::create(RecordedSquare());
             auto& clipped = page.add<CPrintoutPictureCell>();
             clipped.rect = r;
             clipped.clip = {20, 30, 40, 50};
             clipped.picture = unclipped.picture;
         },
         {"drawPicture(10,20,110,70)", "fillRect(10,20,110,70) 0000FF", "setClipRect(20,30,40,50)",
          "drawPicture(10,20,110,70)", "fillRect(10,20,110,70) 0000FF"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PrintoutPage page;
        c.fill(page);
        CallLog log;
        DrawPrintoutPage(page, log);
        EXPECT_EQ(c.calls, log.calls);
        EXPECT_EQ(0, log.saveDepth); // every selection, the clip included, is given back
    }
}

TEST(PrintoutTest, MeasuringLaysTheTextOutInTheLimitOrUnwrapped)
{
    CPrintoutTextCell cell;
    cell.text = u"A long comment";
    cell.horizontalMargin = 4;
    cell.verticalMargin = 1;
    for (const auto& [limit, layout] :
         {std::pair{0, "drawText(0,0,32767,0) 002550"}, std::pair{-5, "drawText(0,0,32767,0) 002550"},
          std::pair{300, "drawText(0,0,300,0) 002550"}}) {
        CallLog log;
        const platform::gfx::Size size = cell.Measure(log, limit);
        EXPECT_EQ(std::vector<std::string>{layout}, log.calls);
        EXPECT_EQ(2, size.cy); // the log measures no text: only the margins remain
    }
    cell.visible = false;
    CallLog log;
    EXPECT_EQ(platform::gfx::Size{}, cell.Measure(log, 300));
    EXPECT_TRUE(log.calls.empty());
}

TEST(PrintoutTest, MetafilesKeepTheirAspectInWholeThousandths)
{
    struct Case {
        Rect cell;
        Rect bounds;
        Rect fitted;
    };
    const Case cases[] = {
        {{0, 0, 100, 100}, {0, 0, 200, 100}, {0, 25, 100, 75}},    // twice as wide: full width, centred vertically
        {{0, 0, 100, 100}, {0, 0, 100, 200}, {25, 0, 75, 100}},    // twice as high: full height, centred across
        {{0, 0, 101, 100}, {0, 0, 100, 100}, {1, 0, 100, 100}},    // 100 wide: (101 - 100 + 1) / 2 off each side
        {{0, 0, 100, 100}, {0, 0, 0, 100}, {0, 0, 100, 100}},      // no width: the whole cell
        {{0, 0, 100, 0}, {0, 0, 200, 100}, {0, 0, 100, 0}},        // a flat cell stays as it is
        {{0, 0, 300, 100}, {0, 0, 3, 1}, {0, 0, 300, 100}},        // equal aspects
        {{0, 0, 100, 300}, {0, 0, 1000, 333}, {0, 134, 100, 166}}, // 100 x 1000 / 3003 = 33 high: (300 - 33 + 1) / 2
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.fitted, CPrintoutMetaCell::FitRect(c.cell, c.bounds));
    }
}

} // namespace
