#include "talvodesk/core/analysis/Drawing.h"

#include "interfaces/talvoboard/ITarget.h"
#include "platform/com/Bstr.h"
#include "platform/com/Variant.h"
#include "platform/testing/Matchers.h"
#include "talvoboard/tests/support/Targets.h"
#include "talvoboard/tests/support/TestEvent.h"

#include <gtest/gtest.h>

#include <optional>

namespace talvodesk {
namespace {

using platform::com::Bstr;
using platform::com::ComPtr;
using platform::com::Variant;

struct Line {
    float left, top, width, height;
    float x1, y1, x2, y2;
    OLE_COLOR color;
};

Line lineOf(ITarget& target, LONG index)
{
    ComPtr<ITargetElement> element;
    EXPECT_HR(S_OK, target.get_Elements(index, element.put()));
    Line line{};
    enumTargetElementType type{};
    LONG points = 0;
    EXPECT_HR(S_OK, element->get_Type(&type));
    EXPECT_EQ(elementPolyline, type);
    EXPECT_HR(S_OK, element->get_PointCount(&points));
    EXPECT_EQ(2, points);
    EXPECT_HR(S_OK, element->get_Left(&line.left));
    EXPECT_HR(S_OK, element->get_Top(&line.top));
    EXPECT_HR(S_OK, element->get_Width(&line.width));
    EXPECT_HR(S_OK, element->get_Height(&line.height));
    EXPECT_HR(S_OK, element->get_x(1, &line.x1));
    EXPECT_HR(S_OK, element->get_y(1, &line.y1));
    EXPECT_HR(S_OK, element->get_x(2, &line.x2));
    EXPECT_HR(S_OK, element->get_y(2, &line.y2));
    EXPECT_HR(S_OK, element->get_BorderColor(&line.color));
    return line;
}

TEST(CrossMarkTest, SizedByMarkSizeThenDisplayCalibreThenCalibre)
{
    struct Case {
        const char* name;
        std::optional<float> markSize;
        std::optional<float> displayCalibre;
        float expectedSize;
    };
    // The test event's calibre is 4.5 mm.
    const Case cases[] = {
        {"mark size wins", 8.0F, 6.0F, 8.0F},
        {"negative mark size counts as none", -3.0F, 6.0F, 6.0F},
        {"display calibre", std::nullopt, 6.0F, 6.0F},
        {"calibre last", std::nullopt, std::nullopt, 4.5F},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto target = talvoboard::testsupport::makeTarget();
        auto event = talvoboard::testsupport::makeEvent();
        if (c.markSize) {
            ASSERT_HR(S_OK, event->put_Value(Bstr("_mark_size").get(), Variant::fromFloat(*c.markSize).get()));
        }
        if (c.displayCalibre) {
            ASSERT_HR(S_OK, event->put_DisplayCaliber(*c.displayCalibre));
        }
        ASSERT_HR(S_OK, target->put_Event(event.get()));

        ASSERT_TRUE(AddCrossMark(target.get(), 10.0F, -20.0F));

        LONG count = 0;
        ASSERT_HR(S_OK, target->get_ElementCount(&count));
        ASSERT_EQ(2, count);
        const float s = c.expectedSize;
        const Line horizontal = lineOf(*target, 1);
        const Line vertical = lineOf(*target, 2);
        for (const Line& line : {horizontal, vertical}) {
            EXPECT_FLOAT_EQ(10.0F - s / 2, line.left);
            EXPECT_FLOAT_EQ(-20.0F - s / 2, line.top);
            EXPECT_FLOAT_EQ(s, line.width);
            EXPECT_FLOAT_EQ(s, line.height);
            EXPECT_EQ(0x20B7CCu, line.color);
        }
        EXPECT_FLOAT_EQ(10.0F - s / 2, horizontal.x1);
        EXPECT_FLOAT_EQ(10.0F + s / 2, horizontal.x2);
        EXPECT_FLOAT_EQ(-20.0F, horizontal.y1);
        EXPECT_FLOAT_EQ(-20.0F, horizontal.y2);
        EXPECT_FLOAT_EQ(10.0F, vertical.x1);
        EXPECT_FLOAT_EQ(10.0F, vertical.x2);
        EXPECT_FLOAT_EQ(-20.0F - s / 2, vertical.y1);
        EXPECT_FLOAT_EQ(-20.0F + s / 2, vertical.y2);
    }
}

TEST(CrossMarkTest, NothingWithoutAControlOrAnEvent)
{
    EXPECT_FALSE(AddCrossMark(nullptr, 0, 0));
    auto target = talvoboard::testsupport::makeTarget();
    EXPECT_FALSE(AddCrossMark(target.get(), 0, 0));
    LONG count = -1;
    ASSERT_HR(S_OK, target->get_ElementCount(&count));
    EXPECT_EQ(0, count);
}

TEST(CrossMarkTest, AGroupGetsItsCrossOnlyWithAHit)
{
    struct Case {
        long hits;
        LONG elements;
    };
    // A serie of missed shots, an empty side, one hit, a group.
    for (const Case c : {Case{0, 0}, Case{-1, 0}, Case{1, 2}, Case{10, 2}}) {
        SCOPED_TRACE(c.hits);
        auto target = talvoboard::testsupport::makeTarget();
        auto event = talvoboard::testsupport::makeEvent();
        ASSERT_HR(S_OK, target->put_Event(event.get()));
        EXPECT_EQ(c.elements > 0, AddGroupCross(target.get(), c.hits, 1.0F, 2.0F));
        LONG count = -1;
        ASSERT_HR(S_OK, target->get_ElementCount(&count));
        EXPECT_EQ(c.elements, count);
    }
}

} // namespace
} // namespace talvodesk
