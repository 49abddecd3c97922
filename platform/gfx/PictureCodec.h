#pragma once

#include "platform/com/Result.h"
#include "platform/gfx/Picture.h"

#include <cstdint>
#include <span>
#include <vector>

namespace platform::gfx {

// The stored byte form of a picture, kept in event files and documents, so it never changes meaning:
// little-endian, no padding. A picture is a kind byte (0 empty, 1 recording, 2 bitmap); a recording follows with
// its HIMETRIC frame (4 x int32), the reference resolution whose pixels give its bounds (2 x int32), an operation
// count (uint32) and the operations, each a tag byte and its fields; a bitmap with its resolution, its width and
// height (2 x int32) and width x height COLORREFs. Nested pictures take the same form.

/// Fails (E_FAIL) for a recording whose bounds do not follow from its frame at any resolution.
Result<std::vector<std::uint8_t>> encodePicture(const Picture& picture);
/// Every count and size is checked against the bytes left; anything malformed or left over is E_FAIL.
Result<Picture> decodePicture(std::span<const std::uint8_t> bytes);

} // namespace platform::gfx
