#include "platform/gfx/internal/FastStroke.h"

#include "platform/gfx/tests/support/StrokedByQt.h"

#include <gtest/gtest.h>

#include <QImage>

#include <cstdint>
#include <random>
#include <vector>

namespace platform::gfx {
namespace {

constexpr int kSide = 90;
constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kInk = 0xFFFF0000;

QImage fastStroked(const std::vector<Point>& points, LONG width)
{
    QImage image(kSide, kSide, QImage::Format_RGB32);
    image.fill(kWhite);
    std::vector<LONG> numbers;
    for (const Point& point : points) {
        numbers.push_back(point.x);
        numbers.push_back(point.y);
    }
    const PixelRows pixels{reinterpret_cast<std::uint32_t*>(image.bits()), image.bytesPerLine() / 4, kSide, kSide};
    fastStroke(pixels, numbers, width, kInk);
    return image;
}

/// The inked pixels of `image` that no inked pixel of `other` touches, corners included.
int strays(const QImage& image, const QImage& other)
{
    int count = 0;
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            if (image.pixel(x, y) != kInk) {
                continue;
            }
            bool touched = false;
            for (int dy = -1; dy <= 1 && !touched; ++dy) {
                for (int dx = -1; dx <= 1 && !touched; ++dx) {
                    touched = other.valid(x + dx, y + dy) && other.pixel(x + dx, y + dy) == kInk;
                }
            }
            count += touched ? 0 : 1;
        }
    }
    return count;
}

std::vector<Point> randomLine(unsigned seed, int count, int spread)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> step(-spread, spread);
    std::vector<Point> points{{kSide / 2, kSide / 2}};
    for (int i = 1; i < count; ++i) {
        points.push_back({points.back().x + step(random), points.back().y + step(random)});
    }
    return points;
}

TEST(FastStrokeTest, DiffersFromQtsStrokeOnlyAtItsEdges)
{
    // Whatever the pen and wherever the line runs, in the pixels, across their edges or far beyond them, each
    // inked pixel touches one Qt inks, and the other way round.
    const LONG far = 1'000'000'000;
    const std::vector<std::vector<Point>> lines = {
        {{10, 10}, {11, 10}},
        {{5, 80}, {85, 3}},
        {{-30, 45}, {120, 47}, {45, -200}, {44, 300}},
        {{-far, -far}, {far, far}},
        {{-far, 20}, {far, 21}, {-far, 70}},
        {{200, 200}, {300, 250}, {far, 250}},
        {{20, 20}, {20, 20}, {60, 25}, {20, 20}},
        randomLine(1, 200, 2),
        randomLine(2, 60, 30),
        randomLine(3, 30, 200),
    };
    for (std::size_t i = 0; i < lines.size(); ++i) {
        for (LONG width = 2; width <= 13; ++width) {
            SCOPED_TRACE(::testing::Message() << "line " << i << ", width " << width);
            const QImage fast = fastStroked(lines[i], width);
            const QImage exact = testing::strokedByQt(lines[i], width, kSide, QColor(255, 0, 0));
            EXPECT_EQ(0, strays(fast, exact));
            EXPECT_EQ(0, strays(exact, fast));
        }
    }
}

TEST(FastStrokeTest, StaysWithinTheTopAndLeftEdgesOfItsPixels)
{
    // A round tip wider than the image, at each corner: rows and columns beyond it must not be written.
    for (const Point corner : {Point{0, 0}, Point{kSide - 1, 0}, Point{0, kSide - 1}, Point{kSide - 1, kSide - 1}}) {
        SCOPED_TRACE(::testing::Message() << corner.x << ", " << corner.y);
        std::vector<std::uint32_t> guarded((kSide + 2) * (kSide + 2), kWhite);
        const PixelRows pixels{guarded.data() + kSide + 3, kSide + 2, kSide, kSide};
        fastStroke(pixels, std::vector<LONG>{corner.x, corner.y, kSide / 2, kSide / 2}, kFastStrokeWidest, kInk);
        for (int i = 0; i < kSide + 2; ++i) {
            EXPECT_EQ(kWhite, guarded[static_cast<std::size_t>(i)]);                             // above
            EXPECT_EQ(kWhite, guarded[static_cast<std::size_t>((kSide + 1) * (kSide + 2) + i)]); // below
            EXPECT_EQ(kWhite, guarded[static_cast<std::size_t>(i * (kSide + 2))]);               // left of the row
            EXPECT_EQ(kWhite, guarded[static_cast<std::size_t>(i * (kSide + 2) + kSide + 1)]);   // right of it
        }
    }
}

} // namespace
} // namespace platform::gfx
