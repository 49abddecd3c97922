#pragma once

#include "talvolink/qv/QVFrameAssembler.h"

#include <cstdint>
#include <vector>

namespace talvolink::testsupport {

/// Header fields of a synthetic frame.
struct QVFrameFields {
    std::uint8_t kind = 2;
    std::uint8_t width = 0;
    std::uint8_t height = 0;
    bool valid = true;
    float x = 376.0F; ///< Pixels.
    float y = 240.0F;
    std::uint16_t exposure = 100;
    std::uint16_t level = 0;
    std::uint32_t counter = 0;
    std::uint16_t axisX = 2048; ///< Raw roll axes; 2048 + (0, 100) is upright.
    std::uint16_t axisY = 1948;
    std::uint16_t axisZ = 2048;
    std::uint8_t gain = 64;
    std::uint8_t event = 0; ///< 4: a shot.
};

/// The 55-byte header of a frame with `payload` bytes.
std::vector<std::uint8_t> qvHeader(const QVFrameFields& fields, std::size_t payload);

/// A header and the continuations that carry `pixels`, `chunk` payload bytes each, numbered from 1.
std::vector<std::vector<std::uint8_t>> qvFramePackets(const QVFrameFields& fields,
                                                      const std::vector<std::uint8_t>& pixels, std::size_t chunk);

} // namespace talvolink::testsupport
