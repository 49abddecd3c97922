#pragma once

#include <cstdint>

// The scalar vocabulary of the designed interfaces.
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = std::uint32_t;
using ULONG = std::uint32_t;
using SHORT = std::int16_t;
using USHORT = std::uint16_t;
using LONG = std::int32_t;
using BOOL = std::int32_t;
using LONGLONG = std::int64_t;
using ULONGLONG = std::uint64_t;
using LCID = std::uint32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using UINT_PTR = std::uintptr_t;
using DISPID = std::int32_t;
using SCODE = std::int32_t;
using DATE = double;
using OLE_COLOR = std::uint32_t;
using COLORREF = std::uint32_t;
using OLECHAR = char16_t;
using VARIANT_BOOL = std::int16_t;

inline constexpr BOOL TRUE = 1;
inline constexpr BOOL FALSE = 0;
inline constexpr VARIANT_BOOL VARIANT_TRUE = -1;
inline constexpr VARIANT_BOOL VARIANT_FALSE = 0;

inline constexpr LCID LOCALE_USER_DEFAULT = 0x0400;
inline constexpr LCID LOCALE_SYSTEM_DEFAULT = 0x0800;

/// Currency: a 64-bit integer scaled by 10,000.
struct CY {
    std::int64_t int64;
};
