#pragma once

#include <array>
#include <cstddef>

namespace talvolink {

/// Raises a signal's sample rate by a whole ratio, laying a parabola through the last three inputs. At ratio 1 each
/// input passes unchanged; above it nothing comes out before the third input.
/// Thread rule: one thread at a time.
class Resampler {
public:
    static constexpr std::size_t kMaxOutputs = 5;

    struct Outputs {
        std::array<double, kMaxOutputs> values{};
        std::size_t count = 0;
    };

    explicit Resampler(int ratio = 1) : m_ratio(ratio) {}

    /// Also forgets the inputs so far.
    void setRatio(int ratio);
    void reset();
    Outputs push(double value);

private:
    int m_ratio;
    std::array<double, 3> m_window{};
    std::size_t m_inputs = 0;
    long long m_first = 0; // n: the index of the window's oldest input
    long long m_next = 0;  // k: the next output's index
};

} // namespace talvolink
