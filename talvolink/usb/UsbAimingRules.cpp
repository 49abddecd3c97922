#include "talvolink/usb/UsbAimingRules.h"

#include <algorithm>
#include <cmath>

namespace talvolink {

namespace {

constexpr double kMillisecondsPerDay = 86400000.0;
constexpr double kShortestBeat = 200.0;
constexpr double kLongestBeat = 2000.0;
constexpr double kMaxTrigger = 1023.0;

} // namespace

std::optional<LONG> PulseRate::onBeat(DATE beat)
{
    if (m_count == m_beats.size()) {
        std::rotate(m_beats.begin(), m_beats.begin() + 1, m_beats.end());
        m_beats.back() = beat;
    } else {
        m_beats[m_count++] = beat;
    }
    if (m_count < m_beats.size()) {
        return std::nullopt;
    }
    // Dates carry rounding far below a microsecond: whole microseconds make 800 ms beats exactly 75 a minute.
    const double mean = std::round((m_beats[3] - m_beats[0]) * kMillisecondsPerDay / 3.0 * 1000.0) / 1000.0;
    for (std::size_t i = 1; i < m_beats.size(); ++i) {
        const double interval = (m_beats[i] - m_beats[i - 1]) * kMillisecondsPerDay;
        if (interval < kShortestBeat || interval > kLongestBeat || std::fabs(interval - mean) > mean / 2.0) {
            return std::nullopt;
        }
    }
    const auto rate = static_cast<LONG>(60000.0 / mean);
    if (rate == m_lastRate) {
        return std::nullopt;
    }
    m_lastRate = rate;
    return rate;
}

std::int16_t TriggerValue(double sensorValue)
{
    if (!(sensorValue > 0.0)) {
        return 0;
    }
    return static_cast<std::int16_t>(std::min(sensorValue / 4.0, kMaxTrigger));
}

void TriggerBatch::begin(std::size_t records)
{
    m_values.clear();
    m_values.reserve(records);
    m_announced = false;
}

LONG TriggerBatch::takeCount()
{
    if (m_announced || m_values.empty()) {
        return 0;
    }
    m_announced = true;
    return static_cast<LONG>(m_values.size());
}

bool TriggerBatch::value(LONG index, LONG* value) const
{
    if (index < 0 || static_cast<std::size_t>(index) >= m_values.size()) {
        return false;
    }
    *value = m_values[static_cast<std::size_t>(index)];
    return true;
}

bool ActivityClock::mayStart(bool lastAimingHadShot, std::chrono::milliseconds now)
{
    if (!lastAimingHadShot || sinceActivity(now) >= kRestartPause) {
        return true;
    }
    renew(now);
    return false;
}

} // namespace talvolink
