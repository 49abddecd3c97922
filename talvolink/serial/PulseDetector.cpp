#include "talvolink/serial/PulseDetector.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numeric>

namespace talvolink {
namespace {

// A second-order Butterworth low pass at about 2.3 % of the sample rate: the pulse wave without its noise.
constexpr double kB0 = 0.00333421775144416;
constexpr double kB1 = 0.00666843550288831;
constexpr double kB2 = 0.00333421775144416;
constexpr double kA1 = 1.83785702925343;
constexpr double kA2 = -0.851193900259204;

constexpr int kMinRise = 64;
constexpr double kRiseOfSwing = 0.7;
constexpr LONG kMaxRate = 256;

} // namespace

void PulseDetector::Step(int value, LONG sampleRate, DATE now, const Events& events)
{
    const double x = value;
    const double y = kB0 * x + kB1 * m_inputs[0] + kB2 * m_inputs[1] + kA1 * m_outputs[0] + kA2 * m_outputs[1];
    m_inputs = {x, m_inputs[0]};
    m_outputs = {y, m_outputs[0]};
    detect(static_cast<int>(std::lround(y)), sampleRate, now, events);
}

void PulseDetector::detect(int a, LONG sampleRate, DATE now, const Events& events)
{
    ++m_samples;
    m_runningMax = std::max(m_runningMax, a);
    m_runningMin = std::min(m_runningMin, a);
    if (m_refractory > 0 && --m_refractory == 0) {
        m_mark = a;
    }
    const int slope = a - m_previous;
    const int rise = a - m_mark;
    if (m_previousSlope > 0 && slope < 1) {
        if (rise > kRiseOfSwing * (m_lastMax - m_lastMin) && std::abs(rise) > kMinRise && m_refractory == 0) {
            if (m_samples >= sampleRate / 5 && m_troughTime != 0.0) {
                m_beatTime = now;
                if (events.heartBeat) {
                    events.heartBeat(m_troughTime, m_beatTime);
                }
            }
            m_lastMin = m_runningMin = m_mark;
            m_lastMax = m_mark = m_runningMax = a;
            const int span = std::accumulate(m_intervals.begin(), m_intervals.end(), m_samples);
            LONG rate = span > 0 ? sampleRate * 300 / span : 0;
            if (rate > kMaxRate) {
                rate = 0;
            }
            std::rotate(m_intervals.begin(), m_intervals.begin() + 1, m_intervals.end());
            m_intervals.back() = m_samples;
            m_samples = 0;
            if (rate != m_lastReported && rate == m_lastComputed) {
                m_lastReported = rate;
                if (events.pulseChanged) {
                    events.pulseChanged(rate);
                }
            }
            m_lastComputed = rate;
            m_refractory = std::min(static_cast<int>(m_intervals.back() / 2.3), static_cast<int>(sampleRate / 2));
        }
    } else if (m_previousSlope < 0 && slope >= 0 && m_refractory == 0) {
        m_mark = a;
        m_troughTime = now;
    }
    if (m_samples > 3 * sampleRate) {
        // A long pause: forget the old swing so a weaker pulse can be found again.
        m_lastMax = m_runningMax;
        m_runningMax = 0;
        m_lastMin = m_runningMin;
        m_runningMin = 1023;
    }
    m_previousSlope = slope;
    m_previous = a;
}

} // namespace talvolink
