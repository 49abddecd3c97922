#include "talvolink/qv/TalvoQVPattern.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>

namespace talvolink {

namespace {

constexpr double kInnerFactor = 0.55;
constexpr double kOuterFactor = 1.9;
constexpr double kFewPixels = 1.2;
constexpr int kPointsPerCircle = 16;
constexpr std::array<int, 16> kOrder{0, 8, 4, 12, 2, 6, 10, 14, 1, 3, 5, 7, 9, 11, 13, 15};
constexpr int kMaxTrigger = 240;

struct Point {
    int x = 0;
    int y = 0;
};

bool isNumber(double value)
{
    return !std::isnan(value);
}

bool fitsByte(double value)
{
    return value >= -128.0 && value <= 127.0;
}

int roundHalfUp(double value)
{
    return static_cast<int>(std::floor(value + 0.5));
}

// Points of a circle, without the origin and repeats; empty when one would not fit a byte.
std::vector<Point> circle(double radius, bool rounded)
{
    std::vector<Point> points;
    for (int k = 0; k < kPointsPerCircle; ++k) {
        const double angle = 2.0 * std::numbers::pi * k / kPointsPerCircle;
        const double x = radius * std::cos(angle);
        const double y = radius * std::sin(angle);
        const Point point = rounded ? Point{roundHalfUp(x), roundHalfUp(y)}
                                    : Point{static_cast<int>(std::trunc(x)), static_cast<int>(std::trunc(y))};
        if (!fitsByte(point.x) || !fitsByte(point.y)) {
            return {};
        }
        const bool repeated = std::ranges::any_of(points, [&](Point p) { return p.x == point.x && p.y == point.y; });
        if ((point.x != 0 || point.y != 0) && !repeated) {
            points.push_back(point);
        }
    }
    return points;
}

double direction(Point point)
{
    const double angle = std::atan2(point.y, point.x);
    return angle < 0.0 ? angle + 2.0 * std::numbers::pi : angle;
}

// Takes the point nearest in direction to theta (plain difference; the earlier wins a tie).
std::optional<Point> takeNearest(std::vector<Point>& points, double theta)
{
    if (points.empty()) {
        return std::nullopt;
    }
    auto nearest = points.begin();
    for (auto it = points.begin(); it != points.end(); ++it) {
        if (std::abs(theta - direction(*it)) < std::abs(theta - direction(*nearest))) {
            nearest = it;
        }
    }
    const Point point = *nearest;
    points.erase(nearest);
    return point;
}

// (largest - smallest) + 1 over the coordinates of the points that pass, together with 0.
int extent(const std::vector<QVPatternEntry>& list, bool flaggedOnly)
{
    int low = 0;
    int high = 0;
    for (const QVPatternEntry& entry : list) {
        if (flaggedOnly && entry.flag == 0) {
            continue;
        }
        low = std::min({low, int{entry.x}, int{entry.y}});
        high = std::max({high, int{entry.x}, int{entry.y}});
    }
    return high - low + 1;
}

const std::vector<QVPatternEntry>& smallPattern()
{
    static const std::vector<QVPatternEntry> list = [] {
        std::vector<QVPatternEntry> built{{0, 0, 1}, {1, 0, 1}, {0, 1, 1}, {1, 1, 1}};
        const Point outer[] = {{0, 4},   {1, 4},  {2, 4},  {3, 3},  {4, 2},  {4, 1},   {4, 0},
                               {4, -1},  {3, -2}, {2, -3}, {1, -3}, {0, -3}, {-1, -3}, {-2, -2},
                               {-3, -1}, {-3, 0}, {-3, 1}, {-3, 2}, {-2, 3}, {-1, 4}};
        for (const Point p : outer) {
            built.push_back({static_cast<std::int8_t>(p.x), static_cast<std::int8_t>(p.y), 0});
        }
        return built;
    }();
    return list;
}

TalvoQVPattern::Scale ringPattern(double ri, double ro)
{
    TalvoQVPattern::Scale result;
    if (!fitsByte(std::trunc(ri)) || !fitsByte(std::trunc(ro)) || ri < 1.0) {
        return result;
    }
    if (ri < kFewPixels) {
        result.list = smallPattern();
        result.size = 2;
        result.radius = 8;
    } else {
        std::vector<Point> inner = circle(ri, /*rounded=*/false);
        std::vector<Point> outer = circle(ro, /*rounded=*/true);
        if (inner.empty() || outer.empty()) {
            return result;
        }
        result.list.push_back({0, 0, 1});
        const auto append = [&](std::optional<Point> point, std::uint8_t flag) {
            if (point) {
                result.list.push_back({static_cast<std::int8_t>(point->x), static_cast<std::int8_t>(point->y), flag});
            }
        };
        for (const int k : kOrder) {
            const double theta = std::numbers::pi * k / kPointsPerCircle;
            append(takeNearest(outer, theta), 0);
            append(takeNearest(inner, theta + std::numbers::pi), 1);
            append(takeNearest(outer, theta + std::numbers::pi), 0);
            append(takeNearest(inner, theta), 1);
        }
        result.size = extent(result.list, /*flaggedOnly=*/true);
        result.radius = extent(result.list, /*flaggedOnly=*/false);
    }
    result.succeeded = result.radius <= TalvoQVPattern::kMaxRadius;
    if (!result.succeeded) {
        result.list.clear();
    }
    return result;
}

} // namespace

bool TalvoQVPattern::compute()
{
    const TalvoQVPattern inputs = *this;
    *this = TalvoQVPattern{};
    choiceA = inputs.choiceA;
    choiceB = inputs.choiceB;
    focal = inputs.focal;
    distance = inputs.distance;
    diameter = inputs.diameter;
    innerFactor = inputs.innerFactor;
    outerFactor = inputs.outerFactor;
    triggerTime = inputs.triggerTime;

    if (!(distance > 0.0) || !(focal > 0.0) || !(diameter > 0.0)) {
        return false;
    }
    const double m = distance * 1000.0 / focal * kPixelPitch;
    const double inner = isNumber(innerFactor) ? innerFactor : kInnerFactor;
    const double outer = isNumber(outerFactor) ? outerFactor : kOuterFactor;
    for (std::size_t slot = 0; slot < scales.size(); ++slot) {
        const double s = kQVScales[slot];
        scales[slot] = ringPattern(inner * diameter * 0.5 / m / s, outer * diameter * 0.5 / m / s);
    }
    const auto ok = [&](std::size_t slot) { return scales[slot].succeeded; };

    std::optional<std::size_t> chosen;
    std::size_t second = 0;
    if (choiceA && choiceB) {
        chosen = 2;
        second = 2;
    } else if (choiceA) {
        for (const std::size_t slot : {2U, 1U, 0U}) {
            if (ok(slot) && (slot == 0 || scales[slot].size > 1)) {
                chosen = slot;
                break;
            }
        }
        second = ok(0) ? 0 : (ok(1) ? 1 : 2);
    } else {
        for (const std::size_t slot : {0U, 1U, 2U}) {
            if (ok(slot)) {
                chosen = slot;
                break;
            }
        }
        second = chosen.value_or(0);
        for (std::size_t slot = second + 1; chosen && slot < scales.size(); ++slot) {
            if (ok(slot)) {
                second = slot;
                break;
            }
        }
    }
    if (!chosen || !ok(*chosen)) {
        return false;
    }
    scale = kQVScales[*chosen];
    secondScale = kQVScales[second];
    changeFlag = choiceA && !choiceB && scale != secondScale;

    const double v = isNumber(triggerTime) ? triggerTime * 1000.0 : diameter;
    const int t = std::min(kMaxTrigger, roundHalfUp(v / m));
    parameter6 = static_cast<std::uint16_t>(t);
    window = scales[*chosen].radius + 2 * t / scale;
    window = std::max(window, kMinWindow);
    if (window > kWindow) {
        window = kWindow;
        changeFlag = scale != secondScale;
    }
    if (!changeFlag) {
        secondScale = scale;
    }
    millimetresPerPixel = m;
    return true;
}

} // namespace talvolink
