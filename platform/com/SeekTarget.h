#pragma once

#include "platform/com/Stream.h"

#include <cstdint>
#include <limits>

namespace platform::com {

/// Where IStream::Seek lands: `move` bytes from the start, from `position` or from `end`. A target before the start
/// or past 2^63 - 1, or an unknown origin, is STG_E_INVALIDFUNCTION and leaves `target` as it was.
inline HRESULT seekTarget(LONGLONG move, DWORD origin, ULONGLONG position, ULONGLONG end, ULONGLONG& target)
{
    std::int64_t base = 0;
    switch (origin) {
    case STREAM_SEEK_SET:
        break;
    case STREAM_SEEK_CUR:
        base = static_cast<std::int64_t>(position);
        break;
    case STREAM_SEEK_END:
        base = static_cast<std::int64_t>(end);
        break;
    default:
        return STG_E_INVALIDFUNCTION;
    }
    if ((move < 0 && base + move < 0) || (move > 0 && base > std::numeric_limits<std::int64_t>::max() - move)) {
        return STG_E_INVALIDFUNCTION;
    }
    target = static_cast<ULONGLONG>(base + move);
    return S_OK;
}

} // namespace platform::com
