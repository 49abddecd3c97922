#pragma once

#include "talvodata/Allocation.h"

#include "platform/com/ComPtr.h"
#include "platform/com/EnumVariant.h"
#include "platform/com/Variant.h"

#include <vector>

namespace talvodata {

/// An enumerator over a snapshot of the objects, each as a VT_DISPATCH variant. E_POINTER for a null out
/// pointer, E_OUTOFMEMORY when the snapshot cannot be made.
template <typename I> HRESULT enumerateObjects(const std::vector<platform::com::ComPtr<I>>& objects, IUnknown** pVal)
{
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = nullptr;
    std::vector<platform::com::Variant> items;
    RETURN_IF_FAILED(assignDefaults(items, objects.size()));
    for (std::size_t i = 0; i < objects.size(); ++i) {
        items[i] = platform::com::Variant::fromDispatch(objects[i].get());
    }
    return platform::com::makeComObject<platform::com::EnumVariant>(std::move(items)).copyTo(pVal);
}

} // namespace talvodata
