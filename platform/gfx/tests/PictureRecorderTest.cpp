#include "platform/gfx/PictureRecorder.h"

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/TextFormat.h"
#include "platform/gfx/tests/support/CallLog.h"
#include "platform/gfx/tests/support/FixedMeasure.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>

namespace platform::gfx {
namespace {

using ::testing::ElementsAre;

TEST(PictureRecorderTest, BoundsAndFrameFollowWhatWasDrawn)
{
    struct Case {
        const char* name;
        void (*draw)(DrawContext&);
        Rect bounds;
        LONG frameWidth; // HIMETRIC at 96 dpi, rounded
    };
    const Case cases[] = {
        {"fill",
         [](DrawContext& dc) {
             dc.fillRect({0, 0, 96, 48}, 0);
         },
         {0, 0, 96, 48},
         2540},
        {"zero-length lines at two corners span the face",
         [](DrawContext& dc) {
             dc.moveTo({-50, -50});
             dc.lineTo({-50, -50});
             dc.moveTo({49, 49});
             dc.lineTo({49, 49});
         },
         {-50, -50, 50, 50},
         2646},
        {"inside-frame pen stays in the figure",
         [](DrawContext& dc) {
             dc.setPen({PenStyle::InsideFrame, 8, 0});
             dc.ellipse({0, 0, 20, 20});
         },
         {0, 0, 20, 20},
         529},
        {"wide solid pen spills over",
         [](DrawContext& dc) {
             dc.setPen({PenStyle::Solid, 4, 0});
             dc.rectangle({0, 0, 20, 20});
         },
         {-3, -3, 23, 23},
         688},
        {"viewport origin moves the drawing",
         [](DrawContext& dc) {
             dc.setViewportOrigin({-10, 5});
             dc.fillRect({10, 0, 20, 10}, 0);
         },
         {0, 5, 10, 15},
         265},
        {"a path draws nothing",
         [](DrawContext& dc) {
             dc.beginPath();
             dc.rectangle({0, 0, 500, 500});
             dc.endPath();
             dc.selectClipPath(ClipCombine::Replace);
             dc.fillRect({1, 1, 2, 2}, 0);
         },
         {1, 1, 2, 2},
         27},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PictureRecorder recorder(Resolution{96, 96});
        c.draw(recorder);
        const Picture picture = recorder.finish();
        EXPECT_EQ(c.bounds, picture.bounds());
        EXPECT_EQ(c.frameWidth, picture.width());
    }
}

TEST(PictureRecorderTest, GivenFrameSetsBoundsAtTheReferenceResolution)
{
    PictureRecorder recorder(Resolution{300, 150});
    recorder.fillRect({0, 0, 10, 10}, 0);
    const Picture picture = recorder.finish(Rect{0, 0, 2540, 5080});
    EXPECT_EQ((Rect{0, 0, 2540, 5080}), picture.frame());
    EXPECT_EQ((Rect{0, 0, 300, 300}), picture.bounds());
    EXPECT_EQ(2540, picture.width());
    EXPECT_EQ(5080, picture.height());
}

TEST(PictureRecorderTest, PlaybackScalesIntoTheDestination)
{
    PictureRecorder recorder;
    recorder.fillRect({0, 0, 100, 50}, 0x00FF00);
    recorder.setPen({PenStyle::InsideFrame, 3, 0x0000FF});
    recorder.setBrush({BrushStyle::Hollow, 0});
    recorder.rectangle({0, 0, 10, 10});
    recorder.setFont(Font{u"Arial", -12});
    recorder.textOut({50, 25}, u"7");
    const Picture picture = recorder.finish();

    testing::CallLog target;
    target.drawPicture(picture, {10, 10, 210, 110});
    EXPECT_THAT(target.calls,
                ElementsAre("drawPicture(10,10,210,110)", "fillRect(10,10,210,110) 00FF00",
                            "rectangle(10,10,30,30) pen 3/6/0000FF brush hollow", "textOut(110,60) font -24"));
}

TEST(PictureRecorderTest, PlaybackStartsFromDefaultsAndLeavesTargetStateAlone)
{
    PictureRecorder recorder;
    recorder.rectangle({0, 0, 10, 10});
    {
        StateSaver saver(recorder);
        recorder.setPen({PenStyle::Solid, 1, 0x0000FF});
        recorder.rectangle({0, 0, 10, 10});
    }
    recorder.rectangle({0, 0, 10, 10});
    recorder.save(); // left open on purpose
    recorder.setBrush({BrushStyle::Hollow, 0});
    const Picture picture = recorder.finish();

    testing::CallLog target;
    const Pen targetPen{PenStyle::Dot, 0, 0x123456};
    target.setPen(targetPen);
    picture.play(target, {0, 0, 10, 10});
    EXPECT_THAT(target.calls, ElementsAre("rectangle(0,0,10,10) pen 0/0/000000 brush FFFFFF",
                                          "rectangle(0,0,10,10) pen 0/1/0000FF brush FFFFFF",
                                          "rectangle(0,0,10,10) pen 0/0/000000 brush FFFFFF"));
    EXPECT_EQ(targetPen, target.state().pen);
    EXPECT_EQ(0, target.saveDepth);
}

TEST(PictureRecorderTest, NestedPicturesPlayScaledTwice)
{
    PictureRecorder inner;
    inner.fillRect({0, 0, 10, 10}, 1);
    const Picture innerPicture = inner.finish();

    PictureRecorder outer;
    outer.drawPicture(innerPicture, {0, 0, 20, 20});
    outer.drawPicture(Picture{}, {0, 0, 50, 50}); // empty: not recorded, no bounds
    const Picture picture = outer.finish();
    EXPECT_EQ((Rect{0, 0, 20, 20}), picture.bounds());

    testing::CallLog target;
    target.drawPicture(picture, {0, 0, 40, 40});
    EXPECT_THAT(target.calls,
                ElementsAre("drawPicture(0,0,40,40)", "drawPicture(0,0,40,40)", "fillRect(0,0,40,40) 000001"));
}

TEST(PictureRecorderTest, MirroredDestinationFlipsFigures)
{
    PictureRecorder recorder;
    recorder.fillRect({0, 0, 10, 20}, 0);
    recorder.fillRect({0, 0, 5, 5}, 1);
    const Picture picture = recorder.finish();

    testing::CallLog target;
    picture.play(target, {0, 20, 10, 0});
    EXPECT_THAT(target.calls, ElementsAre("fillRect(0,0,10,20) 000000", "fillRect(0,15,5,20) 000001"));
}

TEST(PictureRecorderTest, EmptyPicturesDrawNothing)
{
    testing::CallLog target;
    Picture().play(target, {0, 0, 10, 10});

    PictureRecorder recorder;
    recorder.setPen({PenStyle::Solid, 3, 0});
    const Picture nothingDrawn = recorder.finish();
    EXPECT_FALSE(nothingDrawn.isEmpty());
    EXPECT_TRUE(nothingDrawn.bounds().isEmpty());
    nothingDrawn.play(target, {0, 0, 10, 10});

    recorder.fillRect({0, 0, 10, 10}, 0);
    const Picture drawn = recorder.finish();
    drawn.play(target, {5, 5, 5, 20}); // no width
    EXPECT_TRUE(target.calls.empty());
    EXPECT_EQ(0, target.saveDepth);
}

TEST(PictureRecorderTest, TextWithoutMeasureIsRecordedButNotMeasured)
{
    PictureRecorder recorder;
    Rect rect{0, 0, 100, 0};
    EXPECT_EQ(0, recorder.drawText(u"two words", rect, DT_WORDBREAK | DT_CALCRECT));
    EXPECT_EQ((Rect{0, 0, 100, 0}), rect);
    EXPECT_EQ(0, recorder.textExtent(u"abc").cx);

    Rect box{0, 0, 40, 40};
    EXPECT_EQ(0, recorder.drawText(u"7", box, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOCLIP));
    const Picture picture = recorder.finish();
    EXPECT_EQ(box, picture.bounds());

    testing::CallLog target;
    picture.play(target, {0, 0, 40, 40});
    EXPECT_THAT(target.calls, ElementsAre("drawText(0,0,40,40) 000125"));
}

TEST(PictureRecorderTest, TextWithMeasureGivesSizesAndBounds)
{
    const testing::FixedMeasure measure;
    PictureRecorder recorder(Resolution{}, &measure);
    Rect rect{0, 0, 50, 0};
    EXPECT_EQ(40, recorder.drawText(u"aaa bbb", rect, DT_WORDBREAK | DT_CALCRECT));
    EXPECT_EQ((Rect{0, 0, 30, 40}), rect);
    EXPECT_EQ((Size{30, 20}), recorder.textExtent(u"abc"));

    recorder.setTextAlign(TA_CENTER | TA_BASELINE);
    recorder.textOut({100, 100}, u"abcd");
    EXPECT_EQ((Rect{80, 84, 120, 104}), recorder.finish().bounds());
}

TEST(PictureRecorderTest, ClipOperationsAreRecordedInOrder)
{
    PictureRecorder recorder;
    recorder.setViewportOrigin({1, 1});
    recorder.beginPath();
    recorder.ellipse({0, 0, 10, 10});
    const std::array<Point, 3> triangle = {Point{0, 0}, Point{5, 0}, Point{0, 5}};
    recorder.polygon(triangle);
    recorder.endPath();
    recorder.selectClipPath(ClipCombine::Replace);
    recorder.setClipRect({0, 0, 4, 4});
    recorder.clearClip();
    recorder.fillRect({0, 0, 10, 10}, 0);
    const Picture picture = recorder.finish();

    testing::CallLog target;
    picture.play(target, picture.bounds());
    EXPECT_THAT(target.calls, ElementsAre("beginPath", "ellipse(1,1,11,11) pen 0/0/000000 brush FFFFFF",
                                          "polygon 1,1 6,1 1,6", "endPath", "selectClipPath replace",
                                          "setClipRect(1,1,5,5)", "clearClip", "fillRect(1,1,11,11) 000000"));
}

TEST(PictureRecorderTest, BitmapPictureHasItsSizeInHimetric)
{
    Bitmap bitmap{4, 2, std::vector<COLORREF>(8, 0x0000FF)};
    const Picture picture = Picture::fromBitmap(bitmap, Resolution{254, 127});
    ASSERT_TRUE(picture.isBitmap());
    EXPECT_EQ(40, picture.width());
    EXPECT_EQ(40, picture.height());

    testing::CallLog target;
    target.drawPicture(picture, {0, 0, 8, 4});
    EXPECT_THAT(target.calls, ElementsAre("drawPicture(0,0,8,4)", "drawBitmap 4x2(0,0,8,4)"));

    PictureRecorder recorder;
    recorder.drawBitmap(Bitmap{2, 2, {1, 2, 3}}, {0, 0, 2, 2}); // too few pixels: nothing
    EXPECT_TRUE(recorder.finish().bounds().isEmpty());
}

} // namespace
} // namespace platform::gfx
