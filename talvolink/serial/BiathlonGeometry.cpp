#include "talvolink/serial/BiathlonGeometry.h"

#include "talvolink/Angle.h"

#include <cmath>
#include <cstdlib>
#include <optional>
#include <vector>

namespace talvolink {
namespace {

constexpr double kTwoPiStep = 6.2831855;

constexpr int kMinSpotSize = 32;       // smaller spots are reflections, not a target's light
constexpr double kTargetSpacing = 250; // millimetres between the plate's target centres
constexpr double kMaxX = 750;
constexpr double kMaxY = 250;

struct Spots {
    std::array<double, kBiathlonTargets> a{};
    std::array<double, kBiathlonTargets> b{};
    std::array<double, kBiathlonTargets> r{};
    std::array<double, kBiathlonTargets> distance{};
    std::array<int, kBiathlonTargets> size{};
};

Spots measure(const BiathlonPacket& packet)
{
    Spots spots;
    for (std::size_t k = 0; k < kBiathlonTargets; ++k) {
        const BiathlonSpot& spot = packet.spots[k];
        const double p = spot.p - 512;
        const double q = spot.q - 512;
        spots.a[k] = q + p;
        spots.b[k] = q - p;
        spots.r[k] = 1024.0 / (0.5 * spot.size + 100.0);
        spots.size[k] = spot.size;
        const double ra = spots.r[k] * spots.a[k];
        const double rb = spots.r[k] * spots.b[k];
        spots.distance[k] = ra * ra + rb * rb;
    }
    return spots;
}

// The spots by nearness to the axis; a spot of usable size always comes before a small one.
std::array<int, 4> order(const Spots& spots)
{
    std::array<bool, kBiathlonTargets> taken{};
    std::array<int, 4> ordered{};
    for (int& slot : ordered) {
        int best = -1;
        for (int k = 0; k < kBiathlonTargets; ++k) {
            if (taken[static_cast<std::size_t>(k)]) {
                continue;
            }
            if (best < 0) {
                best = k;
                continue;
            }
            const bool bigK = spots.size[static_cast<std::size_t>(k)] >= kMinSpotSize;
            const bool bigBest = spots.size[static_cast<std::size_t>(best)] >= kMinSpotSize;
            if (bigK != bigBest
                    ? bigK
                    : spots.distance[static_cast<std::size_t>(k)] < spots.distance[static_cast<std::size_t>(best)]) {
                best = k;
            }
        }
        taken[static_cast<std::size_t>(best)] = true;
        slot = best;
    }
    return ordered;
}

bool plausible(const std::array<int, 4>& ordered, const Spots& spots)
{
    const int j = ordered[0];
    if (j == 0) {
        return ordered[1] == 1;
    }
    if (j == kBiathlonTargets - 1) {
        return ordered[1] == kBiathlonTargets - 2;
    }
    if (std::abs(ordered[1] - j) > 1) {
        return false;
    }
    const int second = std::abs(ordered[2] - j);
    if (second < 2) {
        return true;
    }
    // The far neighbour came third: accepted when the near one, fourth, is not much farther.
    return second == 2 && std::abs(ordered[3] - j) == 1 &&
           1.3 * spots.distance[static_cast<std::size_t>(ordered[3])] >
               spots.distance[static_cast<std::size_t>(ordered[2])];
}

std::vector<int> neighbours(int j)
{
    if (j == 0) {
        return {1};
    }
    if (j == kBiathlonTargets - 1) {
        return {kBiathlonTargets - 2};
    }
    return {j - 1, j + 1};
}

} // namespace

void BiathlonGeometry::forget()
{
    m_last = Geometry();
    m_havePrevious = false;
}

void BiathlonGeometry::Compute(const BiathlonPacket& packet, int piezoThreshold, DeviceRecord& record)
{
    record.aimValid = 0;
    const Spots spots = measure(packet);
    const std::array<int, 4> ordered = order(spots);
    const int j = ordered[0];
    const auto js = static_cast<std::size_t>(j);
    if (spots.size[js] < kMinSpotSize || !plausible(ordered, spots)) {
        return;
    }

    std::array<double, kBiathlonTargets> a2{};
    std::array<double, kBiathlonTargets> b2{};
    for (std::size_t k = 0; k < kBiathlonTargets; ++k) {
        double a = spots.a[k];
        double b = spots.b[k];
        if (m_smoothing && m_havePrevious) {
            a -= 0.5 * (a - m_previousA[k]) / (std::fabs(a - m_previousA[k]) / 10.0 + 1.0);
            b -= 0.5 * (b - m_previousB[k]) / (std::fabs(b - m_previousB[k]) / 10.0 + 1.0);
        }
        m_previousA[k] = spots.a[k];
        m_previousB[k] = spots.b[k];
        a2[k] = spots.r[k] * a;
        b2[k] = spots.r[k] * b;
    }
    m_havePrevious = true;

    // The shot jolts the sensor: hold the geometry it had just before.
    if (packet.piezo <= piezoThreshold || m_last.scale < 0.0) {
        double scaleSum = 0.0;
        std::vector<double> angles;
        for (int n : neighbours(j)) {
            const auto ns = static_cast<std::size_t>(n);
            const double da = a2[ns] - a2[js];
            const double db = b2[ns] - b2[js];
            if (std::fabs(da) < 4.0 && std::fabs(db) < 4.0) {
                continue;
            }
            scaleSum += kTargetSpacing / std::hypot(da, db);
            angles.push_back(AngleBetween(direction(da, db), direction((n - j) * kTargetSpacing, 0.0)));
        }
        if (angles.empty()) {
            return;
        }
        double angle = angles[0];
        if (angles.size() == 2) {
            double first = angles[0];
            double second = angles[1];
            if (second - first > kThreeHalfPi) {
                first += kTwoPiStep;
            } else if (first - second > kThreeHalfPi) {
                second += kTwoPiStep;
            }
            angle = AngleBetween((first + second) / 2.0, 0.0);
        }
        const double scale = scaleSum / static_cast<double>(angles.size());
        Geometry geometry;
        geometry.scale = scale;
        geometry.angle = angle;
        geometry.x = (j - 2) * kTargetSpacing - scale * (a2[js] * std::cos(angle) + b2[js] * std::sin(angle));
        geometry.y = scale * (b2[js] * std::cos(angle) - a2[js] * std::sin(angle));
        geometry.level = spots.size[js];
        m_last = geometry;
    }
    if (std::fabs(m_last.x) > kMaxX || std::fabs(m_last.y) > kMaxY) {
        return;
    }
    record.x = static_cast<std::int32_t>(std::lround(m_last.x * 10.0));
    record.y = -static_cast<std::int32_t>(std::lround(m_last.y * 10.0));
    record.level = static_cast<std::int16_t>(m_last.level);
    record.scale = m_last.scale;
    record.angle = m_last.angle;
    record.aimValid = 1;
}

} // namespace talvolink
