#include "talvodata/FaceDrawing.h"

#include "talvodata/EventParams.h"

#include "platform/gfx/Himetric.h"
#include "platform/gfx/MulDiv.h"
#include "platform/testing/Matchers.h"

#include <algorithm>

namespace talvodata {
namespace {

using platform::com::ComPtr;

ComPtr<IDispatch> appearance(IEventParams& event, LONG subTarget, VARIANT_BOOL background, VARIANT_BOOL rings)
{
    ComPtr<IDispatch> picture;
    EXPECT_HR(S_OK, event.GetTargetAppearance(subTarget, background, rings, picture.put()));
    return picture;
}

ComPtr<ITargetParams> faceOf(IEventParams& event, LONG subTarget)
{
    ComPtr<ITargetParams> face;
    EXPECT_HR(S_OK, event.get_Target(subTarget, face.put()));
    return face;
}

TEST(FaceDrawingTest, ScaleShrinksForLargeForms)
{
    struct Case {
        float width;
        float height;
        LONG scale;
    };
    const Case cases[] = {{80, 80, 100},  {150, 150, 100}, {160, 80, 50}, {80, 200, 50}, {201, 80, 10},
                          {500, 500, 10}, {80, 501, 1},    {600, 520, 1}, {0, 0, 100}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        EXPECT_EQ(c.scale, faceScale(c.width, c.height));
    }
}

TEST(FaceDrawingTest, PictureSpansTheFormAtTheScreenResolution)
{
    struct Case {
        float width;
        float height;
        LONG units; // Form width in logical units.
    };
    // A 600 mm face is drawn at 1 unit per millimetre, a 160 mm one at 50.
    const Case cases[] = {{80, 60, 8000}, {160, 170, 8000}, {600, 550, 600}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        auto event = CEventParams::create();
        auto face = faceOf(*event, 1);
        ASSERT_HR(S_OK, face->put_FormWidth(c.width));
        ASSERT_HR(S_OK, face->put_FormHeight(c.height));
        auto picture = appearance(*event, 1, VARIANT_TRUE, VARIANT_TRUE).queryInterface<IPicture>();
        ASSERT_TRUE(picture);
        OLE_XSIZE_HIMETRIC width = 0;
        OLE_YSIZE_HIMETRIC height = 0;
        ASSERT_HR(S_OK, picture->get_Width(&width));
        ASSERT_HR(S_OK, picture->get_Height(&height));
        const LONG scale = faceScale(c.width, c.height);
        const auto units = [&](float mm) { return static_cast<LONG>(mm * static_cast<float>(scale)); };
        EXPECT_EQ(c.units, units(c.width));
        // Each edge, half the form from the centre, is converted on its own.
        const auto himetric = [](LONG extent) { return 2 * platform::gfx::MulDiv(extent / 2, 2540, 96); };
        EXPECT_EQ(himetric(c.units), width);
        EXPECT_EQ(himetric(units(c.height)), height);
    }
}

TEST(FaceDrawingTest, PicturesAreCachedPerSubTargetAndFlags)
{
    auto event = CEventParams::create();
    for (LONG subTarget : {1, 2}) {
        auto face = faceOf(*event, subTarget);
        ASSERT_HR(S_OK, face->put_FormWidth(80.0F * static_cast<float>(subTarget)));
        ASSERT_HR(S_OK, face->put_FormHeight(80));
    }
    std::vector<IDispatch*> seen;
    for (LONG subTarget : {1, 2}) {
        for (VARIANT_BOOL background : {VARIANT_TRUE, VARIANT_FALSE}) {
            for (VARIANT_BOOL rings : {VARIANT_TRUE, VARIANT_FALSE}) {
                SCOPED_TRACE(testing::Message() << subTarget << " " << background << " " << rings);
                auto first = appearance(*event, subTarget, background, rings);
                EXPECT_EQ(first.get(), appearance(*event, subTarget, background, rings).get());
                EXPECT_EQ(seen.end(), std::find(seen.begin(), seen.end(), first.get()));
                seen.push_back(first.get());
            }
        }
    }
    // Any value but TRUE counts as FALSE, as the flags of the slot say.
    EXPECT_EQ(seen[1], appearance(*event, 1, VARIANT_TRUE, 1).get());
    EXPECT_EQ(seen[3], appearance(*event, 1, 1, 0).get());
}

TEST(FaceDrawingTest, ChangedFaceOrElementIsDrawnAgain)
{
    auto event = CEventParams::create();
    auto face = faceOf(*event, 1);
    ASSERT_HR(S_OK, face->put_FormWidth(80));
    ASSERT_HR(S_OK, face->put_FormHeight(80));
    ComPtr<ITargetElement> element;
    ASSERT_HR(S_OK, face->AddElement(elementRectangle, 0, 0, 5, 5, element.put()));
    auto other = faceOf(*event, 2);

    auto picture = appearance(*event, 1, VARIANT_TRUE, VARIANT_TRUE);
    float ignored = 0;
    ASSERT_HR(S_OK, face->get_FormWidth(&ignored));
    ASSERT_HR(S_OK, other->put_BackgroundColor(0x123456)); // Another face.
    EXPECT_EQ(picture.get(), appearance(*event, 1, VARIANT_TRUE, VARIANT_TRUE).get());

    ASSERT_HR(S_OK, face->put_BackgroundColor(0x123456));
    auto recoloured = appearance(*event, 1, VARIANT_TRUE, VARIANT_TRUE);
    EXPECT_NE(picture.get(), recoloured.get());
    EXPECT_EQ(recoloured.get(), appearance(*event, 1, VARIANT_TRUE, VARIANT_TRUE).get());

    ASSERT_HR(S_OK, element->put_BodyColor(0x00FF00));
    EXPECT_NE(recoloured.get(), appearance(*event, 1, VARIANT_TRUE, VARIANT_TRUE).get());
}

TEST(FaceDrawingTest, AppearanceRefusesBadArguments)
{
    auto event = CEventParams::create();
    EXPECT_HR(E_POINTER, event->GetTargetAppearance(1, VARIANT_TRUE, VARIANT_TRUE, nullptr));
    for (LONG subTarget : {0, 2, -1}) {
        SCOPED_TRACE(subTarget);
        IDispatch* picture = nullptr;
        EXPECT_HR(E_INVALIDARG, event->GetTargetAppearance(subTarget, VARIANT_TRUE, VARIANT_TRUE, &picture));
        EXPECT_EQ(nullptr, picture);
    }
    const ComPtr<IPictureDisp> picture =
        appearance(*event, 1, VARIANT_TRUE, VARIANT_TRUE).queryInterface<IPictureDisp>();
    EXPECT_TRUE(picture);
}

} // namespace
} // namespace talvodata
