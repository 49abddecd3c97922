#include "talvodesk/core/frame/BandLayout.h"

#include "platform/registry/Key.h"

#include <algorithm>
#include <string>

namespace talvodesk {

namespace {

std::u16string valueName(std::uint32_t id)
{
    const std::string digits = std::to_string(id);
    return std::u16string(digits.begin(), digits.end());
}

constexpr std::uint32_t kBreakBit = 1U << 16;

} // namespace

std::uint32_t EncodeBand(std::uint32_t index, const Band& band)
{
    return ((index & 0xFF) << 24) | (band.breakBefore ? kBreakBit : 0) | band.width;
}

void SaveBandLayout(const platform::registry::Key& key, const std::vector<Band>& bands)
{
    for (std::uint32_t i = 0; i < bands.size(); ++i) {
        (void)key.setDword(valueName(bands[i].id), EncodeBand(i, bands[i])); // A lost value keeps the default.
    }
}

void RestoreBandLayout(const platform::registry::Key& key, std::vector<Band>& bands)
{
    for (std::uint32_t i = 0; i < bands.size(); ++i) {
        const std::uint32_t id = kFirstBandId + i;
        const auto value = key.dword(valueName(id));
        if (!value) {
            continue;
        }
        const auto band = std::find_if(bands.begin(), bands.end(), [id](const Band& b) { return b.id == id; });
        if (band == bands.end()) {
            continue;
        }
        Band moved = *band;
        moved.breakBefore = (*value & kBreakBit) != 0;
        moved.width = *value & 0xFFFF;
        const std::size_t target = std::min<std::size_t>(*value >> 24, bands.size() - 1);
        bands.erase(band);
        bands.insert(bands.begin() + static_cast<std::ptrdiff_t>(target), moved);
    }
}

} // namespace talvodesk
