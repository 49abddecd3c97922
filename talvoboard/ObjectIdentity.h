#pragma once

#include "interfaces/talvodata/IAiming.h"
#include "interfaces/talvodata/IShot.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Unknown.h"

namespace talvoboard {

/// True when both point to one object, compared through their IUnknown. A null equals nothing, not even a null.
inline bool sameObject(IUnknown* a, IUnknown* b)
{
    if (!a || !b) {
        return false;
    }
    if (a == b) {
        return true;
    }
    const auto identityA = platform::com::ComPtr<IUnknown>(a).queryInterface<IUnknown>();
    const auto identityB = platform::com::ComPtr<IUnknown>(b).queryInterface<IUnknown>();
    return identityA && identityA == identityB;
}

/// True when one of the aiming's shots is `shot`. An aiming whose shots cannot be read holds none.
inline bool holdsShot(IAiming* aiming, IShot* shot)
{
    LONG count = 0;
    if (!aiming || !shot || FAILED(aiming->get_ShotCount(&count))) {
        return false;
    }
    for (LONG index = 1; index <= count; ++index) {
        platform::com::ComPtr<IShot> candidate;
        if (SUCCEEDED(aiming->get_Shot(index, candidate.put())) && sameObject(candidate.get(), shot)) {
            return true;
        }
    }
    return false;
}

} // namespace talvoboard
