#pragma once

#include <cstdint>
#include <vector>

namespace platform::registry {
class Key;
}

namespace talvodesk {

/// One band of the frame's bar area: its identifier (0xEB00 command bar, 0xEB01 main tool bar, 0xEB02 preview
/// tool bar), whether it starts a new row, and its width in pixels.
struct Band {
    std::uint32_t id = 0;
    bool breakBefore = false;
    std::uint32_t width = 0;
    friend bool operator==(const Band&, const Band&) = default;
};

inline constexpr std::uint32_t kFirstBandId = 0xEB00;

/// The stored value of the band at `index`: the index's low byte in bits 24-31, the break in bit 16 and the
/// width in the low 16 bits (a wider band overlaps the break bit, as it always has).
std::uint32_t EncodeBand(std::uint32_t index, const Band& band);

/// Writes one REG_DWORD per band, named by the band's identifier in decimal, into the key.
void SaveBandLayout(const platform::registry::Key& key, const std::vector<Band>& bands);
/// Walks the indices 0 to count - 1: the value of band 0xEB00 + i moves that band to its stored index, and sets its
/// break and width. Missing values and indices past the end change nothing.
void RestoreBandLayout(const platform::registry::Key& key, std::vector<Band>& bands);

} // namespace talvodesk
