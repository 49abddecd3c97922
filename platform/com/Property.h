#pragma once

#include "HResult.h"
#include "Types.h"

// The bodies of plain property getters, shared by every COM-lite class.
namespace platform::com {

inline VARIANT_BOOL toVariantBool(bool value)
{
    return value ? VARIANT_TRUE : VARIANT_FALSE;
}

/// Copies a field to an out-pointer; E_POINTER for a null one.
template <typename T> HRESULT copyProperty(const T& field, T* out)
{
    if (!out) {
        return E_POINTER;
    }
    *out = field;
    return S_OK;
}

/// VARIANT_TRUE or VARIANT_FALSE to an out-pointer; E_POINTER for a null one.
inline HRESULT copyFlag(bool field, VARIANT_BOOL* out)
{
    return copyProperty(toVariantBool(field), out);
}

} // namespace platform::com
