#pragma once

#include "tools/sensorsim/AimSample.h"

#include <cstdint>
#include <vector>

namespace sensorsim {

/// The packets the sensors send, built as the sensors build them (the inverse of the program's decoders).
/// Values are clamped to their fields.
std::vector<std::uint8_t> encodePavane(const AimSample& sample, std::uint8_t sequence);
std::vector<std::uint8_t> encode306(const AimSample& sample, std::uint8_t sequence);
/// Places the plate's five light spots so that the aim point is `sample`'s x and y on the target under the axis,
/// seen unrotated at scale 1.
std::vector<std::uint8_t> encodeBiathlon(const AimSample& sample, std::uint8_t sequence);

} // namespace sensorsim
