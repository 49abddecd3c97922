#pragma once

#include "platform/com/Bstr.h"
#include "platform/com/Types.h"

inline constexpr HRESULT VARCMP_LT = makeHresult(0);
inline constexpr HRESULT VARCMP_EQ = makeHresult(1);
inline constexpr HRESULT VARCMP_GT = makeHresult(2);
inline constexpr HRESULT VARCMP_NULL = makeHresult(3);

/// Locale-aware, case-sensitive order of two strings for the user's default locale (the locale and flags
/// are accepted for the designed signature; only the user's own locale is served). A null string sorts as
/// the empty string, and distinct strings never compare equal.
HRESULT VarBstrCmp(BSTR left, BSTR right, LCID locale, ULONG flags);
