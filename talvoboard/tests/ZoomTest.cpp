#include "talvoboard/tests/support/Pixels.h"
#include "talvoboard/tests/support/Targets.h"
#include "talvoboard/tests/support/TestEvent.h"

#include "platform/com/Variant.h"
#include "platform/testing/Matchers.h"
#include "talvodata/tests/support/AimingBuilder.h"

#include <gtest/gtest.h>

#include <limits>

namespace talvoboard {
namespace {

using platform::com::Bstr;
using platform::com::ComPtr;
using platform::com::Variant;
using talvodata::testsupport::AimingBuilder;
using testsupport::faceOf;
using testsupport::kRings;
using testsupport::makeEvent;
using testsupport::makeTarget;

struct View {
    float left = 0.0f;
    float top = 0.0f;
    float width = 0.0f;
    float height = 0.0f;
};

View viewOf(ITarget* target)
{
    View view;
    EXPECT_HR(S_OK, target->get_VisibleLeft(&view.left));
    EXPECT_HR(S_OK, target->get_VisibleTop(&view.top));
    EXPECT_HR(S_OK, target->get_VisibleWidth(&view.width));
    EXPECT_HR(S_OK, target->get_VisibleHeight(&view.height));
    return view;
}

float zoomOf(ITarget* target)
{
    float zoom = -1.0f;
    EXPECT_HR(S_OK, target->get_Zoom(&zoom));
    return zoom;
}

ComPtr<ITarget> targetWith(IEventParams* event)
{
    auto target = makeTarget();
    EXPECT_HR(S_OK, target->put_Event(event));
    return target;
}

TEST(ZoomTest, EventShowsItsWholeFaceCentredOnTheOrigin)
{
    const auto target = targetWith(makeEvent(171.0f).get());
    const View view = viewOf(target.get());
    EXPECT_FLOAT_EQ(-85.5f, view.left);
    EXPECT_FLOAT_EQ(-85.5f, view.top);
    EXPECT_FLOAT_EQ(171.0f, view.width);
    EXPECT_FLOAT_EQ(171.0f, view.height);
}

TEST(ZoomTest, LevelsFrameTheirRings)
{
    const struct {
        const char* name;
        float level;
        float stored;
        float side;
    } cases[] = {
        {"below 1 shows the face", 0.5f, 0.0f, 170.0f}, {"0 shows the face", 0.0f, 0.0f, 170.0f},
        {"1 frames ring 1", 1.0f, 1.0f, kRings[0]},     {"a fraction lies between rings", 2.5f, 2.5f, 131.5f},
        {"above 9 is 9", 9.5f, 9.0f, kRings[8]},        {"10 is 9", 10.0f, 9.0f, kRings[8]},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        const auto target = targetWith(makeEvent().get());
        ASSERT_HR(S_OK, target->put_Zoom(test.level));
        EXPECT_FLOAT_EQ(test.stored, zoomOf(target.get()));
        const View view = viewOf(target.get());
        EXPECT_FLOAT_EQ(test.side, view.width);
        EXPECT_FLOAT_EQ(test.side, view.height);
        EXPECT_FLOAT_EQ(-test.side / 2.0f, view.left);
    }
}

TEST(ZoomTest, MissingRingsMoveTheLevelUp)
{
    const auto event = makeEvent();
    const auto face = faceOf(event.get());
    ASSERT_HR(S_OK, face->put_Ring(5, 0.0f));
    const auto target = targetWith(event.get());
    ASSERT_HR(S_OK, target->put_Zoom(5.0f));
    EXPECT_FLOAT_EQ(6.0f, zoomOf(target.get()));
    EXPECT_FLOAT_EQ(kRings[5], viewOf(target.get()).width);

    // Level 9 without rings 9 and 10 ends at 10 and keeps the view.
    ASSERT_HR(S_OK, face->put_Ring(9, 0.0f));
    ASSERT_HR(S_OK, face->put_Ring(10, 0.0f));
    ASSERT_HR(S_OK, target->put_Zoom(9.0f));
    EXPECT_FLOAT_EQ(10.0f, zoomOf(target.get()));
    EXPECT_FLOAT_EQ(kRings[5], viewOf(target.get()).width);
}

TEST(ZoomTest, EventValuesOverrideLevels)
{
    const auto event = makeEvent();
    ASSERT_HR(S_OK, event->put_Value(Bstr("_zoom_3").get(), Variant::fromFloat(40.0f).get()));
    ASSERT_HR(S_OK, event->put_Value(Bstr("_zoom_2.5").get(), Variant::fromString(Bstr("50")).get()));
    ASSERT_HR(S_OK, event->put_Value(Bstr("_zoom_4").get(), Variant::fromFloat(-1.0f).get()));
    const auto target = targetWith(event.get());
    const struct {
        float level;
        float side;
    } cases[] = {
        {3.0f, 40.0f},     // "_zoom_3.0" is missing, "_zoom_3" holds.
        {3.5f, 40.0f},     // "_zoom_3" serves every level from 3 to below 4.
        {2.5f, 50.0f},     // Texts convert.
        {4.0f, kRings[3]}, // A side that is not above 0 is no override.
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.level);
        ASSERT_HR(S_OK, target->put_Zoom(test.level));
        EXPECT_FLOAT_EQ(test.side, viewOf(target.get()).width);
    }
}

TEST(ZoomTest, ZoomWithoutAnEventOnlyStoresTheLevel)
{
    const auto target = makeTarget();
    ASSERT_HR(S_OK, target->put_Zoom(4.0f));
    EXPECT_FLOAT_EQ(4.0f, zoomOf(target.get()));
    EXPECT_FLOAT_EQ(0.0f, viewOf(target.get()).width);
    EXPECT_HR(S_OK, target->ZoomToFit(VARIANT_TRUE));
    EXPECT_HR(E_UNEXPECTED, target->ZoomTo(-50.0f, -50.0f, 100.0f, 100.0f));
}

TEST(ZoomTest, ZoomToRefusesRectanglesBelowTheSmallestRing)
{
    const struct {
        const char* name;
        float form;
        float width;
        float height;
        HRESULT expected;
    } cases[] = {
        {"a tenth of the form", 170.0f, 17.0f, 17.0f, S_OK},
        {"narrower than a tenth of the form", 170.0f, 16.9f, 40.0f, E_INVALIDARG},
        {"lower than a tenth of the form", 170.0f, 40.0f, 16.9f, E_INVALIDARG},
        {"ring 9 is smaller than a tenth", 400.0f, 27.5f, 27.5f, S_OK},
        {"below ring 9", 400.0f, 27.4f, 30.0f, E_INVALIDARG},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        const auto target = targetWith(makeEvent(test.form).get());
        const View before = viewOf(target.get());
        EXPECT_HR(test.expected, target->ZoomTo(-10.0f, -5.0f, test.width, test.height));
        const View after = viewOf(target.get());
        if (test.expected == S_OK) {
            EXPECT_FLOAT_EQ(-10.0f, after.left);
            EXPECT_FLOAT_EQ(-5.0f, after.top);
            EXPECT_FLOAT_EQ(test.width, after.width);
            EXPECT_FLOAT_EQ(test.height, after.height);
        } else {
            EXPECT_FLOAT_EQ(before.width, after.width);
        }
    }
}

TEST(ZoomTest, ZoomToFitFramesBreachesWithHalfACalibreInTheSmallestRingThatHoldsThem)
{
    // One breach at (10, 2): half-extents 12.25 and 4.25 with calibre 4.5, both held by ring 9 (27.5 mm).
    const auto aiming = AimingBuilder().at(1000, 200).samples(20).shot().build();
    const auto target = targetWith(makeEvent().get());
    ASSERT_HR(S_OK, target->put_DisplayTrace(VARIANT_FALSE));
    ASSERT_HR(S_OK, target->Add(aiming.get()));
    ASSERT_HR(S_OK, target->ZoomToFit(VARIANT_TRUE));
    View view = viewOf(target.get());
    EXPECT_FLOAT_EQ(-13.75f, view.left);
    EXPECT_FLOAT_EQ(-13.75f, view.top);
    EXPECT_FLOAT_EQ(27.5f, view.width);
    EXPECT_FLOAT_EQ(27.5f, view.height);

    // Without rings that large the half-extents themselves frame it.
    const auto small = makeEvent();
    for (LONG score = 1; score <= 10; ++score) {
        ASSERT_HR(S_OK, faceOf(small.get())->put_Ring(score, 20.0f - static_cast<float>(score)));
    }
    ASSERT_HR(S_OK, target->put_Event(small.get()));
    ASSERT_HR(S_OK, target->ZoomToFit(VARIANT_TRUE));
    view = viewOf(target.get());
    EXPECT_FLOAT_EQ(24.5f, view.width);
    EXPECT_FLOAT_EQ(24.5f, view.height);
    ASSERT_HR(S_OK, target->ZoomToFit(VARIANT_FALSE));
    view = viewOf(target.get());
    EXPECT_FLOAT_EQ(24.5f, view.width);
    EXPECT_FLOAT_EQ(11.0f, view.height); // 4.25 lies within ring 9 (11 mm).
}

TEST(ZoomTest, ZoomToFitTakesTracesOnlyWhenTheyAreShown)
{
    const auto aiming = AimingBuilder().stopSliding().at(5000, 0).samples(20).at(1000, 200).samples(20).shot().build();
    const auto target = targetWith(makeEvent().get());
    ASSERT_HR(S_OK, target->Add(aiming.get()));
    ASSERT_HR(S_OK, target->ZoomToFit(VARIANT_FALSE));
    View view = viewOf(target.get());
    EXPECT_FLOAT_EQ(kRings[3], view.width); // 52.25 mm half-width: ring 4 (107.5 mm).
    EXPECT_FLOAT_EQ(kRings[8], view.height);

    ASSERT_HR(S_OK, target->put_DisplayTrace(VARIANT_FALSE));
    ASSERT_HR(S_OK, target->ZoomToFit(VARIANT_FALSE));
    view = viewOf(target.get());
    EXPECT_FLOAT_EQ(kRings[8], view.width);
}

TEST(ZoomTest, AutoZoomFitsOnAdd)
{
    const auto target = targetWith(makeEvent().get());
    ASSERT_HR(S_OK, target->put_AutoZoom(VARIANT_TRUE));
    EXPECT_FLOAT_EQ(kRings[8], viewOf(target.get()).width); // Nothing added: a calibre around the centre.
    ASSERT_HR(S_OK, target->Add(AimingBuilder().at(3000, 0).samples(20).shot().build().get()));
    EXPECT_FLOAT_EQ(kRings[5], viewOf(target.get()).width); // 32.25 mm half-width: ring 6 (75.5 mm).
}

TEST(ZoomTest, AutoZoomOverHostileAimingsStaysInTheControlsRange)
{
    constexpr LONG kFar = 2'000'000'000; // 20 km in hundredths of a millimetre
    struct Case {
        const char* name;
        LONG x;
        LONG step;
        LONG fCoefficient;
    };
    const Case cases[] = {
        {"trace at the edge of the plane", kFar, 0, 12},
        {"trace at the other edge", -kFar, 0, 12},
        {"F coefficient of the largest", 0, 1000, std::numeric_limits<LONG>::max()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto aiming = AimingBuilder().at(c.x, c.x).samples(20, c.step, -c.step).shot().build();
        ComPtr<IAimingAttr> attributes;
        ASSERT_HR(S_OK, aiming->get_Attr(attributes.put()));
        ASSERT_HR(S_OK, attributes->put_FCoefficient(c.fCoefficient));
        const auto target = targetWith(makeEvent().get());
        ASSERT_HR(S_OK, target->put_AutoZoom(VARIANT_TRUE));
        ASSERT_HR(S_OK, target->Add(aiming.get()));
        const View view = viewOf(target.get());
        EXPECT_GT(view.width, 0.0f);
        EXPECT_GT(view.height, 0.0f);
        EXPECT_FALSE(testsupport::imageOf(target.get()).isNull());
    }
}

} // namespace
} // namespace talvoboard
