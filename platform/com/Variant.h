#pragma once

#include "platform/com/Bstr.h"
#include "platform/com/Types.h"
#include "platform/com/Unknown.h"

#include <cstdint>
#include <utility>

struct IDispatch;

using VARTYPE = std::uint16_t;

enum VARENUM : VARTYPE {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R4 = 4,
    VT_R8 = 5,
    VT_CY = 6,
    VT_DATE = 7,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_UNKNOWN = 13,
    VT_DECIMAL = 14,
    VT_I1 = 16,
    VT_UI1 = 17,
    VT_UI2 = 18,
    VT_UI4 = 19,
    VT_I8 = 20,
    VT_UI8 = 21,
    VT_INT = 22,
    VT_UINT = 23,
    VT_ARRAY = 0x2000,
    VT_BYREF = 0x4000,
    VT_TYPEMASK = 0x0FFF,
};

/// A tagged value as automation passes it. `vt` is kept exactly as set; VT_BOOL true is -1.
/// VT_BYREF values point at storage the variant does not own.
struct VARIANT {
    VARTYPE vt;
    union {
        std::int64_t llVal;
        std::uint64_t ullVal;
        std::int32_t lVal;
        std::uint32_t ulVal;
        std::int32_t intVal;
        std::uint32_t uintVal;
        std::int16_t iVal;
        std::uint16_t uiVal;
        std::int8_t cVal;
        std::uint8_t bVal;
        float fltVal;
        double dblVal;
        VARIANT_BOOL boolVal;
        SCODE scode;
        CY cyVal;
        DATE date;
        BSTR bstrVal;
        IUnknown* punkVal;
        IDispatch* pdispVal;
        VARIANT* pvarVal;
        void* byref;
    };
};
using VARIANTARG = VARIANT;

void VariantInit(VARIANT* variant);
/// Releases what the variant owns and makes it VT_EMPTY.
HRESULT VariantClear(VARIANT* variant);
HRESULT VariantCopy(VARIANT* destination, const VARIANT* source);
/// Copies, following a by-reference source to the value it points at.
HRESULT VariantCopyInd(VARIANT* destination, const VARIANT* source);

/// The automation conversions, with numbers in the C locale. Integers round half to even and overflow gives
/// DISP_E_OVERFLOW; text that does not parse gives DISP_E_TYPEMISMATCH; objects have no default property here.
/// `destination` may equal `source`.
HRESULT VariantChangeType(VARIANT* destination, const VARIANT* source, USHORT flags, VARTYPE type);

namespace platform::com {

/// Owns one VARIANT. Thread rule: a value type, not shared.
class Variant {
public:
    Variant() { VariantInit(&m_value); }
    Variant(const Variant& other);
    Variant(Variant&& other) noexcept : m_value(other.m_value) { other.m_value.vt = VT_EMPTY; }
    Variant& operator=(Variant other) noexcept
    {
        std::swap(m_value, other.m_value);
        return *this;
    }
    ~Variant() { (void)VariantClear(&m_value); } // Clearing an owned value cannot fail.

    static Variant copyOf(const VARIANT& value);
    static Variant adopt(VARIANT value);

    static Variant fromInt32(std::int32_t value);
    static Variant fromFloat(float value);
    static Variant fromDouble(double value);
    static Variant fromDate(DATE value);
    static Variant fromBool(bool value);
    static Variant fromString(Bstr value);
    static Variant fromUnknown(IUnknown* value);
    static Variant fromDispatch(IDispatch* value);
    static Variant null();

    VARTYPE type() const { return m_value.vt; }
    const VARIANT& get() const { return m_value; }
    VARIANT* put();
    VARIANT detach();
    HRESULT copyTo(VARIANT* out) const;
    /// Converts in place.
    HRESULT changeType(VARTYPE type);

private:
    VARIANT m_value;
};

/// True when both have the same `vt` and equal values (strings by content, objects by identity).
bool variantsEqual(const VARIANT& a, const VARIANT& b);

} // namespace platform::com
