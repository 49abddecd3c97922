#pragma once

#include "platform/com/Result.h"

#include <array>
#include <cassert>

namespace talvolink {

enum class FilterKind {
    LowPass = 0,
    HighPass = 1,
};

/// A recursive Chebyshev (type I) filter, designed by the bilinear transform as a cascade of two-pole sections and
/// run sample by sample. It smooths the sensors' scale, angle, position and trigger signals.
/// Thread rule: owner thread only (the model thread that feeds it); no locks.
class ChebyshevFilter {
public:
    static constexpr int kMaxPoles = 20;
    /// In percent; beyond about 29 % the pole ellipse of the design no longer exists.
    static constexpr double kMaxRipple = 29.0;

    /// Computes the coefficients and clears the state, so the next Step starts from its input. The cut-off is a
    /// fraction of the sample rate; a ripple of 0 gives a Butterworth response. E_INVALIDARG, leaving the filter
    /// undesigned, when the cut-off is outside (0, 0.5), the ripple outside 0..kMaxRipple or the pole count not an
    /// even number from 2 to kMaxPoles.
    platform::Status Design(double cutoff, FilterKind kind, double ripple, int poles);

    /// The next output: 0 while undesigned, the input itself for the first sample after Design or restart().
    double Step(double x);

    /// The next Step starts afresh from its input (after an invalid sample, for instance).
    void restart() { m_firstSample = true; }
    /// Adds offset to every kept input and output, so that a signal that wraps (an angle crossing +-pi) stays
    /// continuous through the filter.
    void shiftHistory(double offset);

    double lastOutput() const { return m_lastOutput; }
    bool isDesigned() const { return m_designed; }
    int poles() const { return m_poles; }
    /// The recursion y[n] = sum of a(i) x[n-i] for i = 0..poles plus the sum of b(i) y[n-i] for i = 1..poles.
    double a(int i) const
    {
        assert(i >= 0 && i <= kMaxPoles && "coefficient index past the highest order");
        return m_a[i];
    }
    double b(int i) const
    {
        assert(i >= 0 && i <= kMaxPoles && "coefficient index past the highest order");
        return m_b[i];
    }

private:
    // Two slots beyond the highest order: the cascade works on indexes shifted by two.
    static constexpr int kCoefficientCount = kMaxPoles + 3;

    std::array<double, kCoefficientCount> m_a{};
    std::array<double, kCoefficientCount> m_b{};
    // Index 0 holds the previous sample, index 1 the one before, and so on.
    std::array<double, kMaxPoles> m_inputs{};
    std::array<double, kMaxPoles> m_outputs{};
    double m_lastOutput = 0.0;
    int m_poles = 0;
    bool m_firstSample = false;
    bool m_designed = false;
};

} // namespace talvolink
