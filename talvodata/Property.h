#pragma once

#include "platform/com/HResult.h"

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

} // namespace talvodata
