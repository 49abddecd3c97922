#include "platform/gfx/CoverageCache.h"

#include "platform/gfx/Color.h"
#include "platform/gfx/DrawContextQt.h"
#include "platform/gfx/internal/FastStroke.h"
#include "platform/gfx/tests/support/StrokedByQt.h"
#include "platform/kernel/WorkerPool.h"

#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <random>
#include <thread>
#include <vector>

namespace platform::gfx {
namespace {

constexpr int kSize = 120;
constexpr COLORREF kRed = 0x0000FF;
constexpr COLORREF kGreen = 0x00FF00;

/// A held rifle's trace in pixels: one-pixel wander with repeated points, sharp reversals and now and then a jump,
/// from a fixed seed; it leaves the image on purpose.
std::vector<Point> jitteredTrace(unsigned seed, int count)
{
    unsigned state = seed;
    const auto next = [&state](unsigned range) {
        state = state * 1103515245u + 12345u;
        return static_cast<LONG>((state >> 16) % range);
    };
    std::vector<Point> points{{60, 60}};
    for (int i = 1; i < count; ++i) {
        Point point = points.back();
        switch (next(8)) {
        case 0: // The sensor reports the same place again.
            break;
        case 1: // A jump, as a flinch gives.
            point = {point.x + next(25) - 12, point.y + next(25) - 12};
            break;
        case 2: // Straight back where it came from.
            point = points.size() > 1 ? points[points.size() - 2] : point;
            break;
        default:
            point = {point.x + next(3) - 1, point.y + next(3) - 1};
            break;
        }
        points.push_back(point);
    }
    return points;
}

/// A long trace wrapped round within the image's middle, so that any zoom shows much of it.
std::vector<Point> heldTrace(unsigned seed, int count)
{
    std::vector<Point> points = jitteredTrace(seed, count);
    for (Point& point : points) {
        point = {30 + (point.x % 60 + 60) % 60, 30 + (point.y % 60 + 60) % 60};
    }
    return points;
}

using Scene = std::function<void(DrawContext&)>;

QImage drawn(const Scene& scene, CoverageCache* cache, QImage::Format format = QImage::Format_RGB32,
             qreal pixelRatio = 1.0, DrawContextQt::NewLines newLines = DrawContextQt::NewLines::Exact)
{
    QImage image(kSize, kSize, format);
    image.setDevicePixelRatio(pixelRatio);
    image.fill(Qt::white);
    DrawContextQt context(image);
    context.setCoverageCache(cache, newLines);
    scene(context);
    return image;
}

TEST(CoverageCacheTest, CopiedStrokesOfJitteredTracesAreWhatQtStrokes)
{
    // Measured strokes are painted with the pen, not filled as Qt's stroked path: many traces, from a single
    // repeated point to long ones, show the two cover the same pixels.
    for (unsigned seed = 1; seed <= 24; ++seed) {
        const std::vector<Point> trace = jitteredTrace(seed, seed % 8 == 0 ? 2 : seed % 8 == 1 ? 3 : 400);
        for (LONG width : {2, 3, 4, 5, 6, 9, 12}) {
            SCOPED_TRACE(::testing::Message() << "seed " << seed << ", width " << width);
            const Scene scene = [&](DrawContext& context) {
                context.setPen({PenStyle::Solid, width, kRed});
                context.polyline(trace);
            };
            CoverageCache cache;
            const QImage measured = drawn(scene, &cache);
            // One outline per stretch of the trace near the image.
            const std::size_t outlines = cache.size();
            EXPECT_LE(1u, outlines);
            cache.beginPass();
            const QImage copied = drawn(scene, &cache);
            EXPECT_EQ(outlines, cache.size()); // All copied, none measured again.
            const QImage expected = testing::strokedByQt(trace, width, kSize, QColor(255, 0, 0));
            EXPECT_EQ(expected, drawn(scene, nullptr));
            EXPECT_EQ(expected, measured);
            EXPECT_EQ(expected, copied);
        }
    }
}

TEST(CoverageCacheTest, CopiedFiguresPolygonsAndMovedLinesAreWhatQtFills)
{
    const std::vector<Point> zigzag = {{10, 10}, {30, 12}, {11, 14}, {31, 16}, {12, 18}, {12, 18}, {40, 60}};
    const std::vector<Rect> rectangles = {{20, 20, 60, 50}, {70, 70, 76, 77}, {5, 90, 7, 92}, {50, 5, 40, 30}};
    // Pens through every way a figure is outlined; brushes solid and hollow.
    const std::vector<Pen> pens = {{PenStyle::Null, 0, kRed},        {PenStyle::Solid, 1, kRed},
                                   {PenStyle::InsideFrame, 3, kRed}, {PenStyle::Solid, 5, kRed},
                                   {PenStyle::Dot, 1, kRed},         {PenStyle::InsideFrame, 2, kRed}};
    for (const Pen& pen : pens) {
        for (const BrushStyle brush : {BrushStyle::Solid, BrushStyle::Hollow}) {
            SCOPED_TRACE(::testing::Message() << "pen " << static_cast<int>(pen.style) << " " << pen.width << ", brush "
                                              << static_cast<int>(brush));
            const Scene scene = [&](DrawContext& context) {
                context.setPen(pen);
                context.setBrush({brush, kGreen});
                for (const Rect& rect : rectangles) {
                    context.ellipse(rect);
                    context.rectangle(rect.translated({3, 2}));
                }
                context.polygon(zigzag);
                context.setViewportOrigin({-7, 25});
                context.polyline(zigzag);
            };
            CoverageCache cache;
            const QImage expected = drawn(scene, nullptr);
            EXPECT_EQ(expected, drawn(scene, &cache));
            cache.beginPass();
            EXPECT_EQ(expected, drawn(scene, &cache));
            for (const QImage::Format format : {QImage::Format_ARGB32_Premultiplied, QImage::Format_ARGB32}) {
                EXPECT_EQ(drawn(scene, nullptr, format), drawn(scene, &cache, format));
            }
        }
    }
}

TEST(CoverageCacheTest, FiguresMeasuredOnceAreWhatQtFillsWhereverTheyStand)
{
    // Random figures through every way one is outlined, each drawn at places inside the image, across each of its
    // edges and corners and wholly beyond them, some larger than the image: the first place measures, the others
    // copy, and every picture is what Qt fills at that place.
    std::mt19937 random(45);
    const auto between = [&random](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    for (int shape = 0; shape < 64; ++shape) {
        const bool ellipse = shape % 2 == 0;
        const std::vector<Pen> pens = {{PenStyle::Null, 0, kRed},
                                       {PenStyle::Solid, 1, kRed},
                                       {PenStyle::InsideFrame, between(2, 13), kRed},
                                       {PenStyle::Solid, between(2, 13), kRed}};
        const Pen pen = pens[static_cast<std::size_t>(shape / 2 % 4)];
        const int most = shape % 8 < 2 ? 3 * kSize : kSize / 2;
        const int width = between(1, most);
        const int height = between(1, most);
        const auto placesAlong = [&](int extent) {
            // A figure one pixel wide crosses no edge: it stands just beyond.
            return std::vector<int>{between(0, std::max(0, kSize - extent)), between(std::min(1 - extent, -1), -1),
                                    between(kSize - extent + 1, std::max(kSize - extent + 1, kSize - 1)),
                                    between(-extent - 40, -extent), between(kSize, kSize + 40)};
        };
        CoverageCache cache;
        for (const int x : placesAlong(width)) {
            for (const int y : placesAlong(height)) {
                SCOPED_TRACE(::testing::Message()
                             << (ellipse ? "ellipse " : "rectangle ") << width << "x" << height << " at " << x << ", "
                             << y << ", pen " << static_cast<int>(pen.style) << " " << pen.width);
                const Scene scene = [&](DrawContext& context) {
                    context.setPen(pen);
                    context.setBrush({BrushStyle::Solid, kGreen});
                    const Rect rect{x, y, x + width, y + height};
                    ellipse ? context.ellipse(rect) : context.rectangle(rect);
                };
                EXPECT_EQ(drawn(scene, nullptr), drawn(scene, &cache));
            }
        }
        if (width + 2 * (pen.width + 1) <= kSize && height + 2 * (pen.width + 1) <= kSize) {
            EXPECT_LE(cache.size(), 2u) << "measured again elsewhere"; // Its fill and its pen.
        }
    }
}

TEST(CoverageCacheTest, EqualFiguresAtAThousandPlacesAreMeasuredOnce)
{
    std::mt19937 random(5000);
    std::uniform_int_distribution<LONG> place(-10, kSize);
    std::vector<Rect> holes;
    for (int i = 0; i < 1000; ++i) {
        const Point at{place(random), place(random)};
        holes.push_back(Rect{0, 0, 9, 9}.translated(at));
    }
    const Scene scene = [&holes](DrawContext& context) {
        context.setPen({PenStyle::Null, 0, kRed});
        context.setBrush({BrushStyle::Solid, kGreen});
        for (const Rect& hole : holes) {
            context.ellipse(hole);
        }
    };
    CoverageCache cache;
    EXPECT_EQ(drawn(scene, nullptr), drawn(scene, &cache));
    EXPECT_EQ(1u, cache.size());
}

TEST(CoverageCacheTest, ClippedInvertingAndScaledDrawingIsFilledAfresh)
{
    const std::vector<Point> trace = jitteredTrace(5, 200);
    const std::vector<Scene> scenes = {
        [&](DrawContext& context) {
            context.setClipRect({30, 30, 80, 90});
            context.setPen({PenStyle::Solid, 3, kRed});
            context.polyline(trace);
        },
        [&](DrawContext& context) {
            // Inverting twice restores what lay below, where copied pixels would stay.
            context.setRasterOp(RasterOp::NotXorPen);
            context.setPen({PenStyle::Solid, 4, kRed});
            context.polyline(trace);
            context.ellipse({40, 40, 70, 60});
            context.polyline(std::span(trace).first(120));
        },
    };
    for (std::size_t i = 0; i < scenes.size(); ++i) {
        SCOPED_TRACE(i);
        CoverageCache cache;
        EXPECT_EQ(drawn(scenes[i], nullptr), drawn(scenes[i], &cache));
        EXPECT_EQ(0u, cache.size());
    }
    // A painter on an image of two device pixels a pixel scales every outline.
    const Scene wide = [&](DrawContext& context) {
        context.setPen({PenStyle::Solid, 3, kRed});
        context.polyline(trace);
    };
    CoverageCache cache;
    EXPECT_EQ(drawn(wide, nullptr, QImage::Format_RGB32, 2.0), drawn(wide, &cache, QImage::Format_RGB32, 2.0));
    EXPECT_EQ(0u, cache.size());
}

TEST(CoverageCacheTest, APassForgetsWhatTheLastPassesKeptLeftUnused)
{
    static_assert(CoverageCache::kPassesKept == 4);
    const std::vector<Point> first = jitteredTrace(6, 50);
    const std::vector<Point> second = jitteredTrace(7, 50);
    CoverageCache cache;
    const auto draw = [&cache](const std::vector<Point>& trace) {
        (void)drawn(
            [&trace](DrawContext& context) {
                context.setPen({PenStyle::Solid, 2, kRed});
                context.polyline(trace);
            },
            &cache);
    };
    draw(first);
    draw(second);
    EXPECT_EQ(2u, cache.size());
    cache.beginPass();
    draw(first);
    cache.beginPass();
    cache.beginPass(); // The second was last drawn three passes ago: a zoom in and back again may still want it.
    EXPECT_EQ(2u, cache.size());
    cache.beginPass();
    EXPECT_EQ(1u, cache.size());
    cache.beginPass();
    EXPECT_EQ(0u, cache.size());
}

TEST(CoverageCacheTest, ZoomedTracesArePaintedAsQtStrokesThemOnEveryPath)
{
    // Several traces in their own colours, drawn over each other and scaled about the image's centre as a zoom
    // scales them, so most cross its edges: the culled drawing without a cache, the cache measuring on this thread
    // and on a pool, and the copies after zooming elsewhere and back all give what Qt strokes one after another.
    const std::vector<QColor> colours = {QColor(255, 0, 0), QColor(0, 0, 255), QColor(0, 160, 0), QColor(0, 0, 0)};
    kernel::WorkerPool pool(4);
    for (unsigned seed = 1; seed <= 4; ++seed) {
        for (LONG width = 2; width <= 13; ++width) {
            std::vector<std::vector<Point>> traces;
            for (std::size_t i = 0; i < colours.size(); ++i) {
                traces.push_back(jitteredTrace(seed * 31 + static_cast<unsigned>(i), 300));
            }
            const auto zoomed = [&traces](LONG scale) {
                std::vector<std::vector<Point>> scaled;
                for (const std::vector<Point>& trace : traces) {
                    std::vector<Point>& points = scaled.emplace_back();
                    for (const Point& point : trace) {
                        points.push_back({(point.x - 55) * scale + 60, (point.y - 58) * scale + 60});
                    }
                }
                return scaled;
            };
            const auto sceneOf = [&](const std::vector<std::vector<Point>>& shown) -> Scene {
                return [&colours, shown, width](DrawContext& context) {
                    for (std::size_t i = 0; i < shown.size(); ++i) {
                        const QColor& colour = colours[i];
                        context.setPen({PenStyle::Solid, width,
                                        rgb(static_cast<BYTE>(colour.red()), static_cast<BYTE>(colour.green()),
                                            static_cast<BYTE>(colour.blue()))});
                        context.polyline(shown[i]);
                    }
                };
            };
            CoverageCache alone(nullptr);
            CoverageCache pooled(&pool);
            for (const LONG scale : {1, 3, 9}) {
                SCOPED_TRACE(::testing::Message() << "seed " << seed << ", width " << width << ", zoom " << scale);
                const std::vector<std::vector<Point>> shown = zoomed(scale);
                QImage expected(kSize, kSize, QImage::Format_RGB32);
                expected.fill(Qt::white);
                for (std::size_t i = 0; i < shown.size(); ++i) {
                    testing::strokeByQt(expected, shown[i], width, colours[i]);
                }
                const Scene scene = sceneOf(shown);
                EXPECT_EQ(expected, drawn(scene, nullptr));
                alone.beginPass();
                EXPECT_EQ(expected, drawn(scene, &alone));
                pooled.beginPass();
                EXPECT_EQ(expected, drawn(scene, &pooled));
            }
            // Back to the level before the last: copied whole, nothing measured again.
            const std::size_t held = pooled.size();
            pooled.beginPass();
            const QImage back = drawn(sceneOf(zoomed(3)), &pooled);
            EXPECT_EQ(held, pooled.size());
            EXPECT_EQ(drawn(sceneOf(zoomed(3)), nullptr), back);
        }
    }
}

/// Draws with new lines drawn fast first, as the target window does, and the pool's end signalled.
class FastFirst {
public:
    explicit FastFirst(kernel::WorkerPool* pool) : m_cache(pool, [this] { ++m_signalled; }) {}

    QImage pass(const Scene& scene)
    {
        m_cache.beginPass();
        return drawn(scene, &m_cache, QImage::Format_RGB32, 1.0, DrawContextQt::NewLines::FastFirst);
    }
    /// Waits for the background as the window's message loop would, and collects what it measured.
    bool collected()
    {
        bool any = false;
        while (m_cache.measuring()) {
            while (m_signalled == 0) {
                std::this_thread::yield();
            }
            --m_signalled;
            any = m_cache.collect() || any;
        }
        return any;
    }
    CoverageCache& cache() { return m_cache; }

private:
    std::atomic<int> m_signalled = 0;
    CoverageCache m_cache;
};

TEST(CoverageCacheTest, TracesDrawnFastFirstAreReplacedByWhatQtStrokes)
{
    // Long traces in their own colours, zoomed so that most cross the image's edges, more than the pool measures
    // within a frame: the first pass draws them fast and leaves them to the background; once it is done, the next
    // pass gives every pixel Qt strokes. A zoom back is copied whole.
    const std::vector<QColor> colours = {QColor(255, 0, 0), QColor(0, 0, 255), QColor(0, 160, 0), QColor(0, 0, 0)};
    kernel::WorkerPool pool(2);
    for (unsigned seed = 1; seed <= 2; ++seed) {
        for (LONG width = 2; width <= 13; ++width) {
            FastFirst fastFirst(&pool);
            std::vector<QImage> expected;
            std::vector<Scene> scenes;
            for (const LONG scale : {1, 4, 2}) {
                SCOPED_TRACE(::testing::Message() << "seed " << seed << ", width " << width << ", zoom " << scale);
                auto shown = std::make_shared<std::vector<std::vector<Point>>>();
                QImage& exact = expected.emplace_back(kSize, kSize, QImage::Format_RGB32);
                exact.fill(Qt::white);
                for (std::size_t i = 0; i < colours.size(); ++i) {
                    std::vector<Point>& points = shown->emplace_back();
                    for (const Point& point : heldTrace(seed * 17 + static_cast<unsigned>(i), 2000)) {
                        points.push_back({(point.x - 57) * scale + 60, (point.y - 62) * scale + 60});
                    }
                    testing::strokeByQt(exact, points, width, colours[i]);
                }
                const Scene& scene = scenes.emplace_back([&colours, shown, width](DrawContext& context) {
                    for (std::size_t i = 0; i < shown->size(); ++i) {
                        const QColor& colour = colours[i];
                        context.setPen({PenStyle::Solid, width,
                                        rgb(static_cast<BYTE>(colour.red()), static_cast<BYTE>(colour.green()),
                                            static_cast<BYTE>(colour.blue()))});
                        context.polyline((*shown)[i]);
                    }
                });
                (void)fastFirst.pass(scene);
                EXPECT_TRUE(fastFirst.cache().measuring()) << "nothing was left to the background";
                EXPECT_TRUE(fastFirst.collected());
                EXPECT_EQ(exact, fastFirst.pass(scene));
                EXPECT_FALSE(fastFirst.cache().measuring());
            }
            // Back to zoom 4: copied at once.
            const std::size_t held = fastFirst.cache().size();
            EXPECT_EQ(expected[1], fastFirst.pass(scenes[1]));
            EXPECT_FALSE(fastFirst.cache().measuring());
            EXPECT_EQ(held, fastFirst.cache().size());
        }
    }
}

TEST(CoverageCacheTest, AFastFirstPassDrawsWhatWaitsWithTheFastStrokeAndWhatIsQuickExactly)
{
    // Within the image, nothing is culled: the first pass shows the fast stroke of the whole trace. A trace the
    // pool measures within a frame is drawn exactly at once, and no second pass is wanted.
    kernel::WorkerPool pool(2);
    const QRgb red = qRgb(255, 0, 0);
    for (const int count : {20, 4000}) {
        SCOPED_TRACE(count);
        const std::vector<Point> trace = heldTrace(9, count);
        const Scene scene = [&trace](DrawContext& context) {
            context.setPen({PenStyle::Solid, 5, kRed});
            context.polyline(trace);
        };
        const QImage exact = testing::strokedByQt(trace, 5, kSize, QColor(red));
        QImage fast(kSize, kSize, QImage::Format_RGB32);
        fast.fill(Qt::white);
        std::vector<LONG> numbers;
        for (const Point& point : trace) {
            numbers.insert(numbers.end(), {point.x, point.y});
        }
        fastStroke({reinterpret_cast<std::uint32_t*>(fast.bits()), kSize, kSize, kSize}, numbers, 5, red);
        FastFirst fastFirst(&pool);
        const bool quick = count == 20;
        EXPECT_EQ(quick ? exact : fast, fastFirst.pass(scene));
        EXPECT_EQ(!quick, fastFirst.collected());
        EXPECT_EQ(exact, fastFirst.pass(scene));
    }
}

} // namespace
} // namespace platform::gfx
