#include "talvolink/ChebyshevFilter.h"

#include "platform/testing/Matchers.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <limits>
#include <numbers>
#include <vector>

namespace talvolink {
namespace {

struct DesignCase {
    const char* name;
    double cutoff;
    FilterKind kind;
    double ripple;
    int poles;
};

// The filters the sensors use, plus other orders, a Butterworth and high-pass designs.
const DesignCase kDesigns[] = {
    {"scale, angle and smoothing", 0.05, FilterKind::LowPass, 0.5, 2},
    {"trigger", 0.05, FilterKind::LowPass, 0.05, 2},
    {"wired smoothing", 0.15, FilterKind::LowPass, 0.5, 2},
    {"wireless smoothing", 0.18, FilterKind::LowPass, 0.5, 2},
    {"image position", 0.25, FilterKind::LowPass, 0.5, 2},
    {"butterworth", 0.05, FilterKind::LowPass, 0.0, 2},
    {"four poles", 0.1, FilterKind::LowPass, 0.5, 4},
    {"high-pass", 0.1, FilterKind::HighPass, 0.5, 2},
    {"six-pole high-pass", 0.2, FilterKind::HighPass, 1.0, 6},
    {"highest order", 0.25, FilterKind::LowPass, 0.5, 20},
};

// An independent design: the textbook Chebyshev poles of the analog prototype, each mapped by the bilinear transform
// pre-warped to the cut-off, the sections multiplied out as polynomials in 1/z and scaled to unit gain.
struct Coefficients {
    std::vector<double> numerator;   // a0 .. an
    std::vector<double> denominator; // 1, d1 .. dn, so that b(i) = -di
};

std::vector<double> multiply(const std::vector<double>& p, const std::vector<double>& q)
{
    std::vector<double> product(p.size() + q.size() - 1, 0.0);
    for (size_t i = 0; i < p.size(); ++i) {
        for (size_t j = 0; j < q.size(); ++j) {
            product[i + j] += p[i] * q[j];
        }
    }
    return product;
}

std::complex<double> prototypePole(double ripple, int poles, int k)
{
    const double theta = std::numbers::pi * (2 * k - 1) / (2.0 * poles);
    if (ripple == 0.0) {
        return {-std::sin(theta), std::cos(theta)};
    }
    const double ratio = 100.0 / (100.0 - ripple);
    const double epsilon = std::sqrt(ratio * ratio - 1.0);
    const double v = std::asinh(1.0 / epsilon) / poles;
    // Scaled so the response leaves the ripple band at the cut-off.
    const double scale = std::cosh(std::acosh(1.0 / epsilon) / poles);
    return std::complex<double>(-std::sinh(v) * std::sin(theta), std::cosh(v) * std::cos(theta)) / scale;
}

Coefficients referenceDesign(const DesignCase& c)
{
    const bool highPass = c.kind == FilterKind::HighPass;
    const double warp = std::tan(std::numbers::pi * c.cutoff);
    Coefficients result{{1.0}, {1.0}};
    for (int k = 1; k <= c.poles / 2; ++k) {
        const std::complex<double> analog =
            highPass ? 1.0 / prototypePole(c.ripple, c.poles, k) : prototypePole(c.ripple, c.poles, k);
        const std::complex<double> z = (1.0 + analog * warp) / (1.0 - analog * warp);
        result.denominator = multiply(result.denominator, {1.0, -2.0 * z.real(), std::norm(z)});
        result.numerator = multiply(result.numerator, {1.0, highPass ? -2.0 : 2.0, 1.0});
    }
    // Gain 1 at z = 1 (low-pass) or z = -1 (high-pass).
    double numeratorGain = 0.0;
    double denominatorGain = 0.0;
    for (size_t i = 0; i < result.numerator.size(); ++i) {
        const double sign = highPass && i % 2 != 0 ? -1.0 : 1.0;
        numeratorGain += sign * result.numerator[i];
        denominatorGain += sign * result.denominator[i];
    }
    for (double& a : result.numerator) {
        a *= denominatorGain / numeratorGain;
    }
    return result;
}

ChebyshevFilter designed(const DesignCase& c)
{
    ChebyshevFilter filter;
    EXPECT_THAT(filter.Design(c.cutoff, c.kind, c.ripple, c.poles), IsOk());
    return filter;
}

TEST(ChebyshevFilterTest, CoefficientsMatchAnIndependentBilinearDesign)
{
    for (const DesignCase& c : kDesigns) {
        SCOPED_TRACE(c.name);
        const ChebyshevFilter filter = designed(c);
        const Coefficients reference = referenceDesign(c);
        double largest = 0.0;
        for (double d : reference.denominator) {
            largest = std::max(largest, std::abs(d));
        }
        // The design rounds pi to ten decimals; high orders add cancellation in the cascade.
        const double tolerance = 1e-9 * largest;
        EXPECT_EQ(c.poles, filter.poles());
        for (int i = 0; i <= c.poles; ++i) {
            SCOPED_TRACE(i);
            EXPECT_NEAR(reference.numerator[i], filter.a(i), tolerance);
            if (i > 0) {
                EXPECT_NEAR(-reference.denominator[i], filter.b(i), tolerance);
            }
        }
        EXPECT_EQ(0.0, filter.b(0));
        if (c.poles < ChebyshevFilter::kMaxPoles) {
            EXPECT_EQ(0.0, filter.a(c.poles + 1));
            EXPECT_EQ(0.0, filter.b(c.poles + 1));
        }
    }
}

TEST(ChebyshevFilterTest, CoefficientsMatchReferenceValues)
{
    struct Case {
        DesignCase design;
        std::vector<double> a;
        std::vector<double> b; // from b(1)
    };
    // Reference values to about six significant digits.
    const Case cases[] = {
        {{"0.05 low-pass, 0.5 %, 2 poles", 0.05, FilterKind::LowPass, 0.5, 2},
         {1.868823e-02, 3.737647e-02, 1.868823e-02},
         {1.593937, -6.686903e-01}},
        {{"0.1 low-pass, 0.5 %, 4 poles", 0.1, FilterKind::LowPass, 0.5, 4},
         {2.780755e-03, 1.112302e-02, 1.668453e-02, 1.112302e-02, 2.780755e-03},
         {2.764031, -3.122854, 1.664554, -3.502232e-01}},
        {{"0.1 high-pass, 0.5 %, 2 poles", 0.1, FilterKind::HighPass, 0.5, 2},
         {6.362308e-01, -1.272462, 6.362308e-01},
         {1.125379, -4.195441e-01}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.design.name);
        const ChebyshevFilter filter = designed(c.design);
        for (size_t i = 0; i < c.a.size(); ++i) {
            EXPECT_NEAR(c.a[i], filter.a(static_cast<int>(i)), 1e-6 * std::abs(c.a[i]));
        }
        for (size_t i = 0; i < c.b.size(); ++i) {
            EXPECT_NEAR(c.b[i], filter.b(static_cast<int>(i) + 1), 1e-6 * std::abs(c.b[i]));
        }
    }
}

TEST(ChebyshevFilterTest, ImpulseResponseOfTwoPolesMatchesTheClosedForm)
{
    for (const DesignCase& c : kDesigns) {
        if (c.poles != 2 || c.kind != FilterKind::LowPass) {
            continue;
        }
        SCOPED_TRACE(c.name);
        ChebyshevFilter filter = designed(c);
        // H(z) = g (1 + 1/z)^2 / ((1 - p/z)(1 - conj(p)/z)), so h[n] = g (s[n] + 2 s[n-1] + s[n-2]) with
        // s[n] = r^n sin((n + 1) theta) / sin(theta) for the pole p = r e^(i theta).
        const double b1 = filter.b(1);
        const double b2 = filter.b(2);
        const double r = std::sqrt(-b2);
        const double theta = std::acos(b1 / (2.0 * r));
        const double g = (1.0 - b1 - b2) / 4.0;
        const auto s = [&](int n) {
            return n < 0 ? 0.0 : std::pow(r, n) * std::sin((n + 1) * theta) / std::sin(theta);
        };

        EXPECT_EQ(0.0, filter.Step(0.0)); // Starts the filter at rest.
        for (int n = 0; n < 60; ++n) {
            SCOPED_TRACE(n);
            const double expected = g * (s(n) + 2.0 * s(n - 1) + s(n - 2));
            EXPECT_NEAR(expected, filter.Step(n == 0 ? 1.0 : 0.0), 1e-12);
        }
    }
}

TEST(ChebyshevFilterTest, FirstStepReturnsItsInputAndAConstantStaysConstant)
{
    for (const DesignCase& c : kDesigns) {
        if (c.kind != FilterKind::LowPass) {
            continue;
        }
        SCOPED_TRACE(c.name);
        for (const double level : {0.0, 1234.5, -3.25}) {
            SCOPED_TRACE(level);
            ChebyshevFilter filter = designed(c);
            EXPECT_EQ(level, filter.Step(level));
            EXPECT_EQ(level, filter.lastOutput());
            for (int n = 0; n < 200; ++n) {
                EXPECT_NEAR(level, filter.Step(level), 1e-9 * (1.0 + std::abs(level)));
            }
        }
    }
}

TEST(ChebyshevFilterTest, HighPassBlocksAConstantAndPassesHalfTheSampleRate)
{
    for (const DesignCase& c : kDesigns) {
        if (c.kind != FilterKind::HighPass) {
            continue;
        }
        SCOPED_TRACE(c.name);
        ChebyshevFilter constant = designed(c);
        ChebyshevFilter alternating = designed(c);
        double lastConstant = 0.0;
        double lastAlternating = 0.0;
        for (int n = 0; n < 1000; ++n) {
            lastConstant = constant.Step(5.0);
            lastAlternating = alternating.Step(n % 2 == 0 ? 2.0 : -2.0);
        }
        EXPECT_NEAR(0.0, lastConstant, 1e-9);
        EXPECT_NEAR(-2.0, lastAlternating, 1e-9);
    }
}

TEST(ChebyshevFilterTest, RestartAndRedesignStartFromTheNextInput)
{
    const DesignCase& c = kDesigns[0];
    ChebyshevFilter filter = designed(c);
    for (int n = 0; n < 10; ++n) {
        (void)filter.Step(n * 10.0);
    }
    EXPECT_NE(7.5, filter.Step(7.5));

    filter.restart();
    EXPECT_EQ(7.5, filter.Step(7.5));
    EXPECT_NEAR(7.5, filter.Step(7.5), 1e-12);

    (void)filter.Step(100.0);
    ASSERT_THAT(filter.Design(0.15, FilterKind::LowPass, 0.5, 2), IsOk());
    EXPECT_EQ(-4.0, filter.Step(-4.0));
}

TEST(ChebyshevFilterTest, ShiftedHistoryContinuesAsIfTheWholeSignalWereShifted)
{
    // An angle that wraps from +pi to -pi: the filter of the wrapped signal, with its history shifted at the wrap,
    // must carry on exactly like a filter that saw the unwrapped signal from the start.
    const double turn = 2.0 * std::numbers::pi;
    ChebyshevFilter shifted = designed(kDesigns[0]);
    ChebyshevFilter unwrapped = designed(kDesigns[0]);
    double angle = 2.0;
    for (int n = 0; n < 30; ++n, angle += 0.05) {
        (void)shifted.Step(angle - turn);
        (void)unwrapped.Step(angle);
    }
    shifted.shiftHistory(turn);
    EXPECT_NEAR(unwrapped.lastOutput(), shifted.lastOutput(), 1e-12);
    for (int n = 0; n < 30; ++n, angle += 0.05) {
        SCOPED_TRACE(n);
        EXPECT_NEAR(unwrapped.Step(angle), shifted.Step(angle), 1e-12);
    }
}

TEST(ChebyshevFilterTest, InvalidDesignIsRefusedAndLeavesTheFilterSilent)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const DesignCase cases[] = {
        {"cut-off 0", 0.0, FilterKind::LowPass, 0.5, 2},
        {"cut-off half the rate", 0.5, FilterKind::LowPass, 0.5, 2},
        {"negative cut-off", -0.1, FilterKind::LowPass, 0.5, 2},
        {"cut-off NaN", nan, FilterKind::LowPass, 0.5, 2},
        {"negative ripple", 0.05, FilterKind::LowPass, -0.1, 2},
        {"ripple past the ellipse", 0.05, FilterKind::LowPass, 29.5, 2},
        {"ripple 100", 0.05, FilterKind::LowPass, 100.0, 2},
        {"ripple NaN", 0.05, FilterKind::LowPass, nan, 2},
        {"no poles", 0.05, FilterKind::LowPass, 0.5, 0},
        {"odd poles", 0.05, FilterKind::LowPass, 0.5, 3},
        {"negative poles", 0.05, FilterKind::LowPass, 0.5, -2},
        {"more poles than the arrays hold", 0.05, FilterKind::LowPass, 0.5, 22},
    };
    EXPECT_EQ(0.0, ChebyshevFilter().Step(42.0));
    for (const DesignCase& c : cases) {
        SCOPED_TRACE(c.name);
        ChebyshevFilter filter = designed(kDesigns[0]);
        (void)filter.Step(3.0);
        EXPECT_THAT(filter.Design(c.cutoff, c.kind, c.ripple, c.poles), FailsWith(E_INVALIDARG));
        EXPECT_FALSE(filter.isDesigned());
        EXPECT_EQ(0.0, filter.Step(3.0));
        EXPECT_EQ(0.0, filter.lastOutput());
    }
}

TEST(ChebyshevFilterTest, DesignLimitsAreAccepted)
{
    const DesignCase cases[] = {
        {"low cut-off", 0.001, FilterKind::LowPass, 0.5, 2},
        {"high cut-off", 0.499, FilterKind::LowPass, 0.5, 2},
        {"largest ripple", 0.05, FilterKind::LowPass, ChebyshevFilter::kMaxRipple, 2},
        {"most poles", 0.25, FilterKind::HighPass, 0.0, ChebyshevFilter::kMaxPoles},
    };
    for (const DesignCase& c : cases) {
        SCOPED_TRACE(c.name);
        ChebyshevFilter filter;
        EXPECT_THAT(filter.Design(c.cutoff, c.kind, c.ripple, c.poles), IsOk());
        EXPECT_TRUE(filter.isDesigned());
        for (int i = 0; i <= c.poles; ++i) {
            EXPECT_TRUE(std::isfinite(filter.a(i)) && std::isfinite(filter.b(i))) << i;
        }
    }
}

} // namespace
} // namespace talvolink
