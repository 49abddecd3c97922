#pragma once

#include "interfaces/talvodata/IAiming.h"
#include "interfaces/talvodata/IShot.h"
#include "platform/com/ComPtr.h"
#include "platform/com/ObjectIdentity.h"

namespace talvoboard {

/// True when both point to one object. Unlike platform::com::isSameObject, a null equals nothing, not even a null: the
/// control never takes "no shot hit" for "the selected shot" when none is selected.
inline bool sameObject(IUnknown* a, IUnknown* b)
{
    return a && b && platform::com::isSameObject(a, b);
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
