#pragma once

#include "platform/com/Result.h"
#include "platform/storage/Storage.h"

namespace platform::storage::internal {

struct AccessMode {
    bool read = true;
    bool write = false;
};

/// The access part of a STGM mode. STG_E_INVALIDFLAG for the undefined access value 3.
inline Result<AccessMode> accessMode(DWORD mode)
{
    switch (mode & 3) {
    case STGM_READ:
        return AccessMode{true, false};
    case STGM_WRITE:
        return AccessMode{false, true};
    case STGM_READWRITE:
        return AccessMode{true, true};
    default:
        return Error{STG_E_INVALIDFLAG, "undefined access mode"};
    }
}

inline DWORD stgmOf(AccessMode access)
{
    if (access.read && access.write) {
        return STGM_READWRITE;
    }
    return access.write ? STGM_WRITE : STGM_READ;
}

} // namespace platform::storage::internal
