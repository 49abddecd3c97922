#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform::com {

/// Writes `count` bytes at `position` of a stream's buffer, as IStream::Write does: a gap before `position` reads as
/// zeros, and the bytes past the end are appended, so the buffer grows geometrically and each byte is copied once
/// (no zero fill before the copy). The caller checks `position + count` against its size limit.
inline void writeAt(std::vector<std::uint8_t>& data, std::uint64_t position, const void* bytes, std::size_t count)
{
    if (position > data.size()) {
        data.resize(static_cast<std::size_t>(position));
    }
    const auto* source = static_cast<const std::uint8_t*>(bytes);
    const std::size_t overwritten = std::min(count, data.size() - static_cast<std::size_t>(position));
    std::copy_n(source, overwritten, data.begin() + static_cast<std::ptrdiff_t>(position));
    data.insert(data.end(), source + overwritten, source + count);
}

} // namespace platform::com
