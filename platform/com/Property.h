#pragma once

#include "platform/com/Bstr.h"
#include "platform/com/ComPtr.h"
#include "platform/com/HResult.h"
#include "platform/com/Types.h"

#include <type_traits>
#include <utility>

// The bodies of plain properties, shared by every COM-lite class. ComObject runs them under the object's lock.
namespace platform::com {

inline VARIANT_BOOL toVariantBool(bool value)
{
    return value ? VARIANT_TRUE : VARIANT_FALSE;
}

/// Only VARIANT_TRUE is true: a put of any other value stores false.
inline bool fromVariantBool(VARIANT_BOOL value)
{
    return value == VARIANT_TRUE;
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

/// A copy of the text the caller owns; E_POINTER for a null out-pointer.
inline HRESULT copyProperty(const Bstr& field, BSTR* out)
{
    return field.copyTo(out);
}

/// An object that must be set first: E_POINTER for a null out-pointer, E_UNEXPECTED (and null) while none is.
template <typename I> HRESULT copyRequired(const ComPtr<I>& field, I** out)
{
    if (!out) {
        return E_POINTER;
    }
    *out = nullptr;
    if (!field) {
        return E_UNEXPECTED;
    }
    return field.copyTo(out);
}

/// VARIANT_TRUE or VARIANT_FALSE to an out-pointer; E_POINTER for a null one.
inline HRESULT copyFlag(bool field, VARIANT_BOOL* out)
{
    return copyProperty(toVariantBool(field), out);
}

/// When a put tells its owner (to repaint, to mark itself dirty) once the value is stored.
enum class Notify { Never, Always, OnChange };

/// Stores `value` in `field`; true when the owner is to be told, as `when` says. A NaN counts as a change.
template <typename T> [[nodiscard]] bool storeProperty(T& field, T value, Notify when)
{
    const bool changed = !(field == value);
    field = std::move(value);
    return when == Notify::Always || (when == Notify::OnChange && changed);
}

/// `low <= value <= high`; a NaN is outside every range.
template <typename T> bool inRange(T value, std::type_identity_t<T> low, std::type_identity_t<T> high)
{
    return value >= low && value <= high;
}

} // namespace platform::com
