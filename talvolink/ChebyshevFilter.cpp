#include "talvolink/ChebyshevFilter.h"

#include <cmath>
#include <string>

namespace talvolink {
namespace {

// The design's own value of pi, kept so the coefficients come out exactly as the sensors were tuned with.
constexpr double kPi = 3.1415926535;

struct Section {
    double a0, a1, a2, b1, b2;
};

// One two-pole section (pole pair p of poles) by the bilinear transform of the analog prototype at 1 rad/s,
// moved to the cut-off by a low-pass to low-pass (or high-pass) mapping in the z domain.
Section designSection(double cutoff, FilterKind kind, double ripple, int poles, int p)
{
    const double angle = kPi / (2.0 * poles) + (p - 1) * kPi / poles;
    double rp = -std::cos(angle);
    double ip = std::sin(angle);
    if (ripple != 0.0) {
        // Warp the unit circle to the Chebyshev ellipse.
        const double ratio = 100.0 / (100.0 - ripple);
        const double es = std::sqrt(ratio * ratio - 1.0);
        const double vx = std::log(1.0 / es + std::sqrt(1.0 / (es * es) + 1.0)) / poles;
        const double kx = std::cosh(std::log(1.0 / es + std::sqrt(1.0 / (es * es) - 1.0)) / poles);
        rp = rp * std::sinh(vx) / kx;
        ip = ip * std::cosh(vx) / kx;
    }

    const double t = 2.0 * std::tan(0.5);
    const double w = 2.0 * kPi * cutoff;
    const double m = rp * rp + ip * ip;
    double d = 4.0 - 4.0 * rp * t + m * t * t;
    const double x0 = t * t / d;
    const double x1 = 2.0 * t * t / d;
    const double x2 = t * t / d;
    const double y1 = (8.0 - 2.0 * m * t * t) / d;
    const double y2 = (-4.0 - 4.0 * rp * t - m * t * t) / d;

    const double k = kind == FilterKind::LowPass ? std::sin(0.5 - w / 2.0) / std::sin(0.5 + w / 2.0)
                                                 : -std::cos(w / 2.0 + 0.5) / std::cos(w / 2.0 - 0.5);
    d = 1.0 + y1 * k - y2 * k * k;
    Section section{
        (x0 - x1 * k + x2 * k * k) / d, (-2.0 * x0 * k + x1 + x1 * k * k - 2.0 * x2 * k) / d,
        (x0 * k * k - x1 * k + x2) / d, (2.0 * k + y1 + y1 * k * k - 2.0 * y2 * k) / d,
        (-k * k - y1 * k + y2) / d,
    };
    if (kind == FilterKind::HighPass) {
        section.a1 = -section.a1;
        section.b1 = -section.b1;
    }
    return section;
}

} // namespace

platform::Status ChebyshevFilter::Design(double cutoff, FilterKind kind, double ripple, int poles)
{
    *this = ChebyshevFilter();
    // Written so that NaN fails every test.
    if (!(cutoff > 0.0 && cutoff < 0.5)) {
        return platform::Error{E_INVALIDARG, "filter cut-off " + std::to_string(cutoff) + " is outside (0, 0.5)"};
    }
    if (!(ripple >= 0.0 && ripple <= kMaxRipple)) {
        return platform::Error{E_INVALIDARG, "filter ripple " + std::to_string(ripple) + " % is outside 0..29"};
    }
    if (poles < 2 || poles > kMaxPoles || poles % 2 != 0) {
        return platform::Error{E_INVALIDARG, "filter pole count " + std::to_string(poles) + " is not even in 2..20"};
    }

    m_a[2] = 1.0;
    m_b[2] = 1.0;
    for (int p = 1; p <= poles / 2; ++p) {
        const Section s = designSection(cutoff, kind, ripple, poles, p);
        const auto ta = m_a;
        const auto tb = m_b;
        for (int i = 2; i < kCoefficientCount; ++i) {
            m_a[i] = s.a0 * ta[i] + s.a1 * ta[i - 1] + s.a2 * ta[i - 2];
            m_b[i] = tb[i] - s.b1 * tb[i - 1] - s.b2 * tb[i - 2];
        }
    }
    m_b[2] = 0.0;
    for (int i = 0; i < kCoefficientCount - 2; ++i) {
        m_a[i] = m_a[i + 2];
        m_b[i] = -m_b[i + 2];
    }
    m_a[kCoefficientCount - 2] = m_a[kCoefficientCount - 1] = 0.0;
    m_b[kCoefficientCount - 2] = m_b[kCoefficientCount - 1] = 0.0;

    // Unit gain at zero frequency (low-pass) or at half the sample rate (high-pass).
    double sumA = 0.0;
    double sumB = 0.0;
    for (int i = 0; i < kCoefficientCount - 2; ++i) {
        const double sign = kind == FilterKind::HighPass && i % 2 != 0 ? -1.0 : 1.0;
        sumA += m_a[i] * sign;
        sumB += m_b[i] * sign;
    }
    const double gain = sumA / (1.0 - sumB);
    for (int i = 0; i < kCoefficientCount - 2; ++i) {
        m_a[i] /= gain;
    }

    m_poles = poles;
    m_designed = true;
    m_firstSample = true;
    return {};
}

double ChebyshevFilter::Step(double x)
{
    if (!m_designed) {
        m_lastOutput = 0.0;
        return m_lastOutput;
    }
    if (m_firstSample) {
        m_firstSample = false;
        m_inputs.fill(x);
        m_outputs.fill(x);
        m_lastOutput = x;
        return x;
    }
    // Input terms first, then output terms: the two-pole sum keeps the order A0 x + A1 x1 + A2 x2 + B1 y1 + B2 y2.
    double y = m_a[0] * x;
    for (int i = 1; i <= m_poles; ++i) {
        y += m_a[i] * m_inputs[i - 1];
    }
    for (int i = 1; i <= m_poles; ++i) {
        y += m_b[i] * m_outputs[i - 1];
    }
    for (int i = m_poles - 1; i > 0; --i) {
        m_inputs[i] = m_inputs[i - 1];
        m_outputs[i] = m_outputs[i - 1];
    }
    m_inputs[0] = x;
    m_outputs[0] = y;
    m_lastOutput = y;
    return y;
}

void ChebyshevFilter::shiftHistory(double offset)
{
    for (int i = 0; i < m_poles; ++i) {
        m_inputs[i] += offset;
        m_outputs[i] += offset;
    }
    m_lastOutput += offset;
}

} // namespace talvolink
