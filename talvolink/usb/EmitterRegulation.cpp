#include "talvolink/usb/EmitterRegulation.h"

#include <algorithm>
#include <cmath>

namespace talvolink {

namespace {

constexpr double kCloseEnough = 100.0;
constexpr int kLevelTarget = 35;
constexpr int kLevelLow = 33;
constexpr int kLevelHigh = 37;

int scaled(int current, double target, double measured, int low, int high)
{
    if (measured <= 1.0) {
        return high;
    }
    return static_cast<int>(std::clamp(std::round(current * target / measured), double(low), double(high)));
}

} // namespace

Currents RegulateSpots(const RegulationRule& rule, Currents currents, std::array<double, 2> sums, double target,
                       bool saturated)
{
    Currents next = currents;
    const int halved = std::clamp(std::max(currents[0], currents[1]) / 2, rule.low, rule.high);
    for (std::size_t i = 0; i < 2; ++i) {
        if (saturated && rule.followsSaturation) {
            next[i] = halved;
        } else if (std::fabs(sums[i] - target) > kCloseEnough) {
            next[i] = scaled(currents[i], target, sums[i], rule.low, rule.high);
        }
    }
    return next;
}

Currents RegulateLevels(Currents currents, std::array<int, 2> levels, bool saturated, bool eightBit)
{
    const int low = eightBit ? 20 : 2000;
    const int high = eightBit ? 215 : 55000;
    Currents next = currents;
    for (std::size_t i = 0; i < 2; ++i) {
        if (saturated) {
            next[i] = std::max(std::max(currents[0], currents[1]) / 2, low);
        } else if (levels[i] < kLevelLow || levels[i] > kLevelHigh) {
            next[i] = scaled(currents[i], kLevelTarget, levels[i], low, high);
        }
    }
    return next;
}

Currents EmitterRegulator::currents() const
{
    platform::kernel::LockGuard lock(m_mutex);
    return m_currents;
}

void EmitterRegulator::setCurrents(Currents currents)
{
    platform::kernel::LockGuard lock(m_mutex);
    m_currents = currents;
}

void EmitterRegulator::restart()
{
    platform::kernel::LockGuard lock(m_mutex);
    m_countdown = -1;
}

int EmitterRegulator::countdown() const
{
    platform::kernel::LockGuard lock(m_mutex);
    return m_countdown;
}

std::optional<Currents> EmitterRegulator::onSpots(const RegulationRule& rule, std::span<const double> quadrants,
                                                  std::array<double, 2> sums, double target, bool saturated)
{
    platform::kernel::LockGuard lock(m_mutex);
    if (m_countdown < 0) {
        const bool bright = std::ranges::all_of(quadrants, [&](double q) { return q >= rule.minIntensity; }) ||
                            (saturated && rule.followsSaturation);
        const bool off =
            std::fabs(sums[0] - target) > rule.startDifference || std::fabs(sums[1] - target) > rule.startDifference;
        if (!bright || !off) {
            return std::nullopt;
        }
        m_countdown = 0;
    }
    if (m_countdown > 0) {
        --m_countdown;
        return std::nullopt;
    }
    const Currents next = RegulateSpots(rule, m_currents, sums, target, saturated);
    if (next == m_currents) {
        m_countdown = -1;
        return std::nullopt;
    }
    m_countdown = rule.countdown;
    return next;
}

} // namespace talvolink
