#pragma once

#include "platform/com/HResult.h"
#include "platform/com/Types.h"

namespace talvodata {

/// The body of a plain property get: E_POINTER for a null out pointer.
template <typename T> HRESULT copyProperty(const T& field, T* out)
{
    if (!out) {
        return E_POINTER;
    }
    *out = field;
    return S_OK;
}

/// The body of a boolean property get: VARIANT_TRUE or VARIANT_FALSE, E_POINTER for a null out pointer.
inline HRESULT copyFlag(bool field, VARIANT_BOOL* out)
{
    if (!out) {
        return E_POINTER;
    }
    *out = field ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

} // namespace talvodata
