#include "talvolink/usb/Resampler.h"

namespace talvolink {

void Resampler::setRatio(int ratio)
{
    m_ratio = ratio;
    reset();
}

void Resampler::reset()
{
    m_inputs = 0;
    m_first = 0;
    m_next = 0;
}

Resampler::Outputs Resampler::push(double value)
{
    Outputs out;
    if (m_ratio <= 1) {
        out.values[0] = value;
        out.count = 1;
        return out;
    }
    m_window = {m_window[1], m_window[2], value};
    if (++m_inputs < 3) {
        return out;
    }
    const double y0 = m_window[0];
    const double y1 = m_window[1];
    const double y2 = m_window[2];
    const double slope = 2.0 * y1 - 1.5 * y0 - 0.5 * y2;
    const double bend = 0.5 * y0 + 0.5 * y2 - y1;
    const long long last = (m_first + 2) * m_ratio;
    for (; m_next <= last && out.count < kMaxOutputs; ++m_next) {
        const double t = static_cast<double>(m_next) / m_ratio - static_cast<double>(m_first);
        out.values[out.count++] = y0 + t * slope + t * t * bend;
    }
    ++m_first;
    return out;
}

} // namespace talvolink
