#include "talvoboard/internal/TargetGeometry.h"

#include <gtest/gtest.h>

namespace talvoboard {
namespace {

using platform::gfx::Point;
using platform::gfx::Rect;

constexpr Rect kSquare{-500, -500, 500, 500};

TEST(TargetGeometryTest, FitsTheVisibleRectangleCentredKeepingItsAspect)
{
    const struct {
        const char* name;
        Rect bounds;
        Rect visible;
        Rect viewport;
        LONG pixelsOf1000Units;
    } cases[] = {
        {"wide window, square view", {0, 0, 200, 100}, kSquare, {50, 0, 150, 100}, 100},
        {"tall window, square view", {0, 0, 100, 201}, kSquare, {0, 51, 100, 150}, 99},
        {"square window, wide view", {0, 0, 300, 300}, {-1500, -500, 1500, 500}, {0, 100, 300, 200}, 100},
        {"odd leftover pixel", {0, 0, 101, 100}, kSquare, {1, 0, 100, 100}, 100},
        {"empty view takes the bounds", {0, 0, 200, 100}, {}, {0, 0, 200, 100}, 0},
        {"empty window", {0, 0, 0, 0}, kSquare, {0, 0, 0, 0}, 0},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        const TargetDrawSurface surface(test.bounds, test.visible);
        EXPECT_EQ(test.viewport, surface.viewport());
        EXPECT_EQ(test.pixelsOf1000Units, surface.toPixels(1000));
    }
}

TEST(TargetGeometryTest, MapsThePlaneWithoutFlippingAnAxis)
{
    const TargetDrawSurface surface({0, 0, 200, 100}, kSquare);
    const struct {
        Point plane;
        Point device;
    } cases[] = {
        {{-500, -500}, {50, 0}},  {{0, 0}, {100, 50}}, {{500, 500}, {150, 100}},
        {{250, -250}, {125, 25}}, // Positive y is below the centre on the screen as in the plane.
        {{-1, -1}, {99, 49}},     // 49.9 pixels truncate to 49.
        {{-501, -501}, {50, 0}},  // -0.1 truncates towards zero, not down.
        {{-520, 0}, {48, 50}},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(testing::Message() << test.plane.x << ", " << test.plane.y);
        EXPECT_EQ(test.device, surface.toDevice(test.plane));
    }
    EXPECT_EQ((Point{0, 0}), surface.toPlane({100, 50}));
    EXPECT_EQ((Point{-500, -500}), surface.toPlane({50, 0}));
    EXPECT_EQ((Point{-990, -510}), surface.toPlane({1, -1}));
}

TEST(TargetGeometryTest, DoubleBufferedDrawingMovesByTheBitmapOrigin)
{
    const TargetDrawSurface surface({0, 0, 200, 100}, kSquare, {10, 20});
    EXPECT_EQ((Point{90, 30}), surface.toDevice({0, 0}));
}

TEST(TargetGeometryTest, AnEmptyViewMapsEverythingToTheViewportCorner)
{
    const TargetDrawSurface surface({5, 6, 200, 100}, {});
    EXPECT_EQ((Point{5, 6}), surface.toDevice({1234, -99}));
    EXPECT_EQ((Point{0, 0}), surface.toPlane({50, 50}));
    EXPECT_EQ(0, surface.visibleWidth());
}

TEST(TargetGeometryTest, VisibleSizeIsTheViewsAsTheViewportShowsIt)
{
    const TargetDrawSurface surface({0, 0, 192, 192}, {-8500, -8500, 8500, 8500});
    EXPECT_EQ(17000, surface.visibleWidth());
    EXPECT_EQ(17000, surface.visibleHeight());
}

TEST(TargetGeometryTest, ConvertsMillimetresToTheNearestUnit)
{
    EXPECT_EQ(1225, toUnits(12.25));
    EXPECT_EQ(-1225, toUnits(-12.25));
    EXPECT_EQ(450, toUnits(4.5f));
    EXPECT_EQ(1, toUnits(0.006));
    EXPECT_EQ((Rect{-1375, -1375, 1375, 1375}), centredSquare(27.5f));
    EXPECT_FLOAT_EQ(-12.25f, toMillimetres(-1225));
}

} // namespace
} // namespace talvoboard

namespace talvoboard {
namespace {

TEST(TargetGeometryTest, ScaleTruncatesAsIntegerDivisionDoes)
{
    constexpr std::int64_t kLarge = std::int64_t{1} << 50; // Where the estimate gives way to division.
    const struct {
        std::int64_t numerator;
        std::int64_t denominator;
    } ratios[] = {{800, 17000}, {557, 4553}, {3, 3}, {-7, 3}, {7, -3}, {1, 1}, {2147483647, 3}, {1, 2147483647}};
    const std::int64_t values[] = {0,          1,           -1,         16999,          17000,          -17000,
                                   2147483647, -2147483648, kLarge / 3, -kLarge / 557,  kLarge / 800,   kLarge / 7,
                                   kLarge - 1, -kLarge + 1, kLarge,     kLarge * 8 + 5, -kLarge * 8 - 5};
    for (const auto& ratio : ratios) {
        const Scale scale(ratio.numerator, ratio.denominator);
        for (std::int64_t value : values) {
            std::int64_t product = 0;
            if (__builtin_mul_overflow(value, ratio.numerator, &product) || product / ratio.denominator > 2147483647 ||
                product / ratio.denominator < -2147483647 - 1) {
                continue; // Beyond 64 bits, or beyond a LONG.
            }
            SCOPED_TRACE(testing::Message() << value << " x " << ratio.numerator << " / " << ratio.denominator);
            EXPECT_EQ(static_cast<LONG>(product / ratio.denominator), scale(value));
        }
        // Every remainder near a whole quotient, on both sides of zero.
        for (std::int64_t quotient : {-1000003, -5, 0, 5, 1000003}) {
            for (std::int64_t offset = -3; offset <= 3; ++offset) {
                const std::int64_t value = (quotient * ratio.denominator + offset) / ratio.numerator;
                EXPECT_EQ(static_cast<LONG>(value * ratio.numerator / ratio.denominator), scale(value));
            }
        }
    }
    EXPECT_EQ(0, Scale(5, 0)(12345));
}

} // namespace
} // namespace talvoboard
