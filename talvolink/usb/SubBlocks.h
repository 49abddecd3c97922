#pragma once

#include <cstdint>
#include <span>

namespace talvolink {

/// Walks the [length byte][tag byte][data] sub-blocks of a wireless receiver's read, the length counting the
/// whole sub-block. A length of 0, one below `headerLength` or one that runs past the read ends the walk, so no
/// sub-block reaches beyond the bytes received. `visit`(tag, sub-block) sees each whole sub-block and answers
/// false to end the walk.
template <typename Visit>
void ForEachSubBlock(std::span<const std::uint8_t> bytes, std::size_t headerLength, Visit visit)
{
    while (bytes.size() >= 2) {
        const std::size_t length = bytes[0];
        if (length == 0 || length < headerLength || length > bytes.size()) {
            return;
        }
        if (!visit(bytes[1], bytes.first(length))) {
            return;
        }
        bytes = bytes.subspan(length);
    }
}

} // namespace talvolink
