#pragma once

#include <array>
#include <cstdint>
#include <functional>

namespace talvodesk {

/// Simulated bullet dispersion: offsets from a fixed table of 60 pairs (per cent of the dispersion), drawn at
/// random without repeating an entry until all 60 were used. Owner thread only.
class Dispersion {
public:
    /// A uniform source of 0..32767 seeded from the current time.
    Dispersion();
    /// Draws from `source`, which must give values in 0..32767.
    explicit Dispersion(std::function<int()> source);

    /// A value in 0..n-1 from a uniform source of 0..32767, as the offsets' arithmetic expects.
    int RandomIndex(int n);
    /// The next offset for `dispersion`: a random entry, or when it was used the nearest free one searching
    /// outwards (lower index first); when none is left all become free again.
    void GetDispersionOffset(float& dx, float& dy, float dispersion);

private:
    std::function<int()> m_source;
    std::array<bool, 60> m_taken{};
};

/// The program's one generator (the first call seeds it from the time).
void GetDispersionOffset(float& dx, float& dy, float dispersion);

} // namespace talvodesk
