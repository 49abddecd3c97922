#include "talvodesk/core/analysis/ShotStatistics.h"

#include "interfaces/talvodata/IAiming.h"
#include "interfaces/talvodata/IAimingCollection.h"
#include "interfaces/talvodata/IShot.h"
#include "interfaces/talvodata/IShotCollection.h"
#include "platform/com/ComPtr.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace talvodesk {

using platform::com::ComPtr;

namespace {

/// The time and flag of a shot; nothing when it cannot be read.
std::optional<ShotTime> shotTime(IShot& shot, HRESULT (IShot::*flag)(VARIANT_BOOL*))
{
    ShotTime time;
    VARIANT_BOOL excluded = VARIANT_FALSE;
    if (FAILED(shot.get_ShotTime(&time.time)) || FAILED((shot.*flag)(&excluded))) {
        return std::nullopt;
    }
    time.excluded = excluded == VARIANT_TRUE;
    return time;
}

} // namespace

int ComputeSeriesShotIntervals(std::span<const std::vector<ShotTime>> aimings, bool includeExcluded)
{
    double scores = 0;
    int counted = 0;
    for (const std::vector<ShotTime>& shots : aimings) {
        int n = 0;
        DATE first = 0;
        DATE last = 0;
        for (const ShotTime& shot : shots) {
            if (shot.excluded && !includeExcluded) {
                continue;
            }
            ++n;
            if (first == 0) {
                first = shot.time;
            }
            last = n == 1 ? shot.time : std::max(last, shot.time);
        }
        const double span = last - first;
        // Shots that span no time have no rhythm, and would divide by zero.
        if (n < 2 || !(span > 0)) {
            continue;
        }
        const double mean = span / (n - 1);
        double sum = 0;
        DATE previous = 0;
        for (const ShotTime& shot : shots) {
            if (shot.excluded && !includeExcluded) {
                continue;
            }
            if (previous != 0) {
                sum += std::fabs(shot.time - previous - mean);
            }
            previous = shot.time;
        }
        scores += 100 - sum * 100 / span;
        ++counted;
    }
    return counted == 0 ? 0 : static_cast<int>(std::lround(scores / counted));
}

int ComputeSeriesShotIntervals(IAimingCollection& aimings, bool includeHidden)
{
    LONG count = 0;
    (void)aimings.get_Count(&count); // An unreadable collection counts as empty.
    std::vector<std::vector<ShotTime>> times;
    for (LONG index = 1; index <= count; ++index) {
        ComPtr<IAiming> aiming;
        LONG shots = 0;
        if (FAILED(aimings.get_Item(index, aiming.put())) || !aiming || FAILED(aiming->get_ShotCount(&shots))) {
            continue;
        }
        std::vector<ShotTime>& aimingTimes = times.emplace_back();
        for (LONG number = 1; number <= shots; ++number) {
            ComPtr<IShot> shot;
            if (SUCCEEDED(aiming->get_Shot(number, shot.put())) && shot) {
                if (const auto time = shotTime(*shot, &IShot::get_Hidden)) {
                    aimingTimes.push_back(*time);
                }
            }
        }
    }
    return ComputeSeriesShotIntervals(times, includeHidden);
}

int ComputeCollectionValueStatistics(std::span<const ShotTime> shots)
{
    if (shots.size() < 2) {
        return 0;
    }
    std::vector<DATE> times;
    for (const ShotTime& shot : shots) {
        if (!shot.excluded) {
            times.push_back(shot.time);
        }
    }
    if (times.size() < 2) {
        return 0;
    }
    const double mean = (times.back() - times.front()) / static_cast<double>(times.size() - 1);
    double sum = 0;
    for (std::size_t i = 1; i < times.size(); ++i) {
        sum += std::fabs(mean - (times[i] - times[i - 1]));
    }
    const double first = times.front();
    const double last = times.back();
    const double result = first != last ? 100 - sum / (last - first) * 100 : sum;
    return result < 0 ? 0 : static_cast<int>(std::min(result, 2147483647.0));
}

int ComputeCollectionValueStatistics(IShotCollection& shots)
{
    LONG count = 0;
    (void)shots.get_Count(&count); // An unreadable collection counts as empty.
    std::vector<ShotTime> times;
    for (LONG index = 1; index <= count; ++index) {
        ComPtr<IShot> shot;
        if (SUCCEEDED(shots.get_Item(index, shot.put())) && shot) {
            if (const auto time = shotTime(*shot, &IShot::get_Missed)) {
                times.push_back(*time);
            }
        }
    }
    return ComputeCollectionValueStatistics(times);
}

int BearingDegrees(double x, double y)
{
    const double v = y == 0 ? 1.0 : y;
    const double theta = std::atan2(x, std::fabs(v));
    if (std::isnan(theta)) {
        return 0;
    }
    int degrees = static_cast<int>(std::trunc((theta - 0.0087266462) / 0.0174532924));
    if (y < 0) {
        degrees = 180 - degrees;
    }
    if (degrees < 0) {
        degrees += 360;
    }
    return degrees;
}

namespace {

float squaredDistance(const PlanePoint& a, const PlanePoint& b)
{
    const float dx = a.x - b.x;
    const float dy = a.y - b.y;
    return dx * dx + dy * dy;
}

float largestOverPairs(std::span<const PlanePoint> points)
{
    float largest = 0;
    for (std::size_t k = 0; k < points.size(); ++k) {
        for (std::size_t j = k + 1; j < points.size(); ++j) {
            largest = std::max(largest, squaredDistance(points[k], points[j]));
        }
    }
    return largest;
}

double cross(const PlanePoint& o, const PlanePoint& a, const PlanePoint& b)
{
    return (double{a.x} - o.x) * (double{b.y} - o.y) - (double{a.y} - o.y) * (double{b.x} - o.x);
}

/// The convex hull, counter-clockwise, without collinear points (Andrew's monotone chain).
std::vector<PlanePoint> convexHull(std::vector<PlanePoint> points)
{
    std::sort(points.begin(), points.end(),
              [](const PlanePoint& a, const PlanePoint& b) { return a.x < b.x || (a.x == b.x && a.y < b.y); });
    std::vector<PlanePoint> hull(2 * points.size());
    std::size_t k = 0;
    for (const PlanePoint& p : points) {
        while (k >= 2 && cross(hull[k - 2], hull[k - 1], p) <= 0) {
            --k;
        }
        hull[k++] = p;
    }
    for (std::size_t i = points.size() - 1, lower = k + 1; i > 0; --i) {
        while (k >= lower && cross(hull[k - 2], hull[k - 1], points[i - 1]) <= 0) {
            --k;
        }
        hull[k++] = points[i - 1];
    }
    hull.resize(k > 1 ? k - 1 : k);
    return hull;
}

} // namespace

float LargestSquaredDistance(std::span<const PlanePoint> points)
{
    constexpr std::size_t kFewPoints = 64;
    if (points.size() <= kFewPoints) {
        return largestOverPairs(points);
    }
    const std::vector<PlanePoint> hull = convexHull({points.begin(), points.end()});
    if (hull.size() < 3) {
        return largestOverPairs(points); // All on one line: no inside to leave out.
    }
    const double diameter = std::sqrt(double{largestOverPairs(hull)});
    // A point inside the hull by d pairs at most diameter - d away; float sums err by about 2^-23 of the
    // diameter, so a point deeper than this margin can never give or tie the largest.
    const double margin = diameter * 1e-5;
    // Each edge as the line n . p = c with a unit normal pointing inside: a point's depth behind it is n . p - c.
    struct Edge {
        double nx, ny, c;
    };
    std::vector<Edge> edges;
    for (std::size_t i = 0; i < hull.size(); ++i) {
        const PlanePoint& a = hull[i];
        const PlanePoint& b = hull[(i + 1) % hull.size()];
        const double length = std::hypot(double{b.x} - a.x, double{b.y} - a.y);
        const double nx = -(double{b.y} - a.y) / length;
        const double ny = (double{b.x} - a.x) / length;
        edges.push_back({nx, ny, nx * a.x + ny * a.y});
    }
    std::vector<PlanePoint> near;
    for (const PlanePoint& p : points) {
        const bool deep = std::all_of(edges.begin(), edges.end(),
                                      [&](const Edge& e) { return e.nx * p.x + e.ny * p.y - e.c > margin; });
        if (!deep) {
            near.push_back(p);
        }
    }
    return largestOverPairs(near);
}

} // namespace talvodesk
