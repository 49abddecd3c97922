#include "platform/com/Variant.h"

#include "platform/com/Dispatch.h"
#include "platform/text/Ascii.h"
#include "platform/text/Number.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

void VariantInit(VARIANT* variant)
{
    std::memset(static_cast<void*>(variant), 0, sizeof(VARIANT));
    variant->vt = VT_EMPTY;
}

HRESULT VariantClear(VARIANT* variant)
{
    if (!variant) {
        return E_INVALIDARG;
    }
    switch (variant->vt) {
    case VT_BSTR:
        SysFreeString(variant->bstrVal);
        break;
    case VT_DISPATCH:
        if (variant->pdispVal) {
            variant->pdispVal->Release();
        }
        break;
    case VT_UNKNOWN:
        if (variant->punkVal) {
            variant->punkVal->Release();
        }
        break;
    default:
        break;
    }
    VariantInit(variant);
    return S_OK;
}

HRESULT VariantCopy(VARIANT* destination, const VARIANT* source)
{
    if (!destination || !source) {
        return E_INVALIDARG;
    }
    if (destination == source) {
        return S_OK;
    }
    VARIANT copy = *source;
    switch (source->vt) {
    case VT_BSTR:
        copy.bstrVal = platform::com::Bstr::copyOf(source->bstrVal).detach();
        if (source->bstrVal && !copy.bstrVal) {
            return E_OUTOFMEMORY;
        }
        break;
    case VT_DISPATCH:
    case VT_UNKNOWN:
        if (source->punkVal) {
            source->punkVal->AddRef();
        }
        break;
    default:
        break;
    }
    (void)VariantClear(destination); // Never fails on a valid variant.
    *destination = copy;
    return S_OK;
}

namespace {

// The plain value a by-reference variant points at; nullopt for a reference to something we do not hold.
std::optional<VARIANT> dereferenced(const VARIANT& source)
{
    if (!(source.vt & VT_BYREF)) {
        return source;
    }
    if (!source.byref) {
        return std::nullopt;
    }
    VARIANT value;
    VariantInit(&value);
    const VARTYPE type = source.vt & ~VT_BYREF;
    value.vt = type;
    switch (type) {
    case VT_I1:
    case VT_UI1:
        std::memcpy(&value.bVal, source.byref, 1);
        return value;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
        std::memcpy(&value.iVal, source.byref, 2);
        return value;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_R4:
    case VT_ERROR:
        std::memcpy(&value.lVal, source.byref, 4);
        return value;
    case VT_I8:
    case VT_UI8:
    case VT_R8:
    case VT_CY:
    case VT_DATE:
        std::memcpy(&value.llVal, source.byref, 8);
        return value;
    case VT_BSTR:
    case VT_DISPATCH:
    case VT_UNKNOWN:
        std::memcpy(&value.byref, source.byref, sizeof(void*));
        return value;
    case VT_VARIANT:
        return dereferenced(*static_cast<const VARIANT*>(source.byref));
    default:
        return std::nullopt;
    }
}

} // namespace

HRESULT VariantCopyInd(VARIANT* destination, const VARIANT* source)
{
    if (!destination || !source) {
        return E_INVALIDARG;
    }
    const std::optional<VARIANT> value = dereferenced(*source);
    if (!value) {
        return DISP_E_BADVARTYPE;
    }
    VARIANT copy;
    VariantInit(&copy);
    RETURN_IF_FAILED(VariantCopy(&copy, &*value));
    (void)VariantClear(destination); // Never fails on a valid variant.
    *destination = copy;
    return S_OK;
}

namespace {

using platform::com::Bstr;
using platform::text::equalsIgnoringAsciiCase;

// A number on its way from one variant type to another.
struct Number {
    enum class Kind { Signed, Unsigned, Real } kind = Kind::Signed;
    std::int64_t integer = 0;
    std::uint64_t unsignedInteger = 0;
    double real = 0;

    static Number fromSigned(std::int64_t value) { return {Kind::Signed, value, 0, 0}; }
    static Number fromUnsigned(std::uint64_t value) { return {Kind::Unsigned, 0, value, 0}; }
    static Number fromReal(double value) { return {Kind::Real, 0, 0, value}; }

    double asReal() const
    {
        switch (kind) {
        case Kind::Signed:
            return static_cast<double>(integer);
        case Kind::Unsigned:
            return static_cast<double>(unsignedInteger);
        case Kind::Real:
            return real;
        }
        return 0;
    }
};

bool isNumericType(VARTYPE type)
{
    switch (type) {
    case VT_I1:
    case VT_UI1:
    case VT_I2:
    case VT_UI2:
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_I8:
    case VT_UI8:
    case VT_R4:
    case VT_R8:
    case VT_CY:
    case VT_DATE:
    case VT_BOOL:
        return true;
    default:
        return false;
    }
}

std::optional<Number> numberOf(const VARIANT& value)
{
    switch (value.vt) {
    case VT_EMPTY:
        return Number::fromSigned(0);
    case VT_I1:
        return Number::fromSigned(value.cVal);
    case VT_UI1:
        return Number::fromSigned(value.bVal);
    case VT_I2:
        return Number::fromSigned(value.iVal);
    case VT_BOOL:
        return Number::fromSigned(value.boolVal ? -1 : 0);
    case VT_UI2:
        return Number::fromSigned(value.uiVal);
    case VT_I4:
    case VT_INT:
        return Number::fromSigned(value.lVal);
    case VT_UI4:
    case VT_UINT:
        return Number::fromSigned(value.ulVal);
    case VT_I8:
        return Number::fromSigned(value.llVal);
    case VT_UI8:
        return Number::fromUnsigned(value.ullVal);
    case VT_R4:
        return Number::fromReal(value.fltVal);
    case VT_R8:
    case VT_DATE:
        return Number::fromReal(value.dblVal);
    case VT_CY:
        return Number::fromReal(static_cast<double>(value.cyVal.int64) / 10000.0);
    default:
        return std::nullopt;
    }
}

HRESULT parseNumber(BSTR text, VARTYPE target, Number& number)
{
    const std::string utf8 = platform::com::utf16ToUtf8(platform::com::viewOf(text));
    if (target == VT_BOOL) {
        std::string_view trimmed = utf8;
        while (!trimmed.empty() && trimmed.front() == ' ') {
            trimmed.remove_prefix(1);
        }
        while (!trimmed.empty() && trimmed.back() == ' ') {
            trimmed.remove_suffix(1);
        }
        if (equalsIgnoringAsciiCase(trimmed, "true")) {
            number = Number::fromSigned(-1);
            return S_OK;
        }
        if (equalsIgnoringAsciiCase(trimmed, "false")) {
            number = Number::fromSigned(0);
            return S_OK;
        }
    }
    if (const auto integer = platform::text::parseInteger(utf8)) {
        number = Number::fromSigned(*integer);
        return S_OK;
    }
    if (const auto real = platform::text::parseReal(utf8)) {
        number = Number::fromReal(*real);
        return S_OK;
    }
    return DISP_E_TYPEMISMATCH;
}

// Automation rounds half to even when a real becomes an integer.
std::optional<std::int64_t> roundedSigned(const Number& number, std::int64_t low, std::int64_t high)
{
    if (number.kind == Number::Kind::Unsigned) {
        if (number.unsignedInteger > static_cast<std::uint64_t>(high)) {
            return std::nullopt;
        }
        return static_cast<std::int64_t>(number.unsignedInteger);
    }
    if (number.kind == Number::Kind::Signed) {
        if (number.integer < low || number.integer > high) {
            return std::nullopt;
        }
        return number.integer;
    }
    const double rounded = std::nearbyint(number.real); // The default rounding mode is to nearest, ties to even.
    // high + 1 is a power of two for every target type, so the bound is exact in double.
    if (!(rounded >= static_cast<double>(low) && rounded < static_cast<double>(high) + 1.0)) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(rounded);
}

std::optional<std::uint64_t> roundedUnsigned(const Number& number, std::uint64_t high)
{
    switch (number.kind) {
    case Number::Kind::Unsigned:
        return number.unsignedInteger <= high ? std::optional(number.unsignedInteger) : std::nullopt;
    case Number::Kind::Signed:
        if (number.integer < 0 || static_cast<std::uint64_t>(number.integer) > high) {
            return std::nullopt;
        }
        return static_cast<std::uint64_t>(number.integer);
    case Number::Kind::Real: {
        const double rounded = std::nearbyint(number.real);
        if (!(rounded >= 0 && rounded < 18446744073709551616.0 && rounded <= static_cast<double>(high))) {
            return std::nullopt;
        }
        return static_cast<std::uint64_t>(rounded);
    }
    }
    return std::nullopt;
}

HRESULT storeNumber(const Number& number, VARTYPE target, VARIANT& out)
{
    VariantInit(&out);
    out.vt = target;
    auto signedInto = [&](std::int64_t low, std::int64_t high, auto& field) {
        const auto value = roundedSigned(number, low, high);
        if (!value) {
            return DISP_E_OVERFLOW;
        }
        field = static_cast<std::remove_reference_t<decltype(field)>>(*value);
        return S_OK;
    };
    auto unsignedInto = [&](std::uint64_t high, auto& field) {
        const auto value = roundedUnsigned(number, high);
        if (!value) {
            return DISP_E_OVERFLOW;
        }
        field = static_cast<std::remove_reference_t<decltype(field)>>(*value);
        return S_OK;
    };
    switch (target) {
    case VT_I1:
        return signedInto(-128, 127, out.cVal);
    case VT_UI1:
        return unsignedInto(0xFF, out.bVal);
    case VT_I2:
        return signedInto(-32768, 32767, out.iVal);
    case VT_UI2:
        return unsignedInto(0xFFFF, out.uiVal);
    case VT_I4:
    case VT_INT:
        return signedInto(std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max(), out.lVal);
    case VT_UI4:
    case VT_UINT:
        return unsignedInto(0xFFFFFFFFu, out.ulVal);
    case VT_I8:
        return signedInto(std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max(),
                          out.llVal);
    case VT_UI8:
        return unsignedInto(std::numeric_limits<std::uint64_t>::max(), out.ullVal);
    case VT_BOOL:
        out.boolVal = number.asReal() != 0 ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    case VT_R4: {
        const double real = number.asReal();
        if (std::fabs(real) > std::numeric_limits<float>::max()) {
            return DISP_E_OVERFLOW;
        }
        out.fltVal = static_cast<float>(real);
        return S_OK;
    }
    case VT_R8:
    case VT_DATE:
        out.dblVal = number.asReal();
        return S_OK;
    case VT_CY: {
        const double scaled = std::nearbyint(number.asReal() * 10000.0);
        if (!(scaled >= -9.2233720368547758e18 && scaled < 9.2233720368547758e18)) {
            return DISP_E_OVERFLOW;
        }
        out.cyVal.int64 = static_cast<std::int64_t>(scaled);
        return S_OK;
    }
    default:
        return DISP_E_BADVARTYPE;
    }
}

std::string textOfNumber(const VARIANT& value)
{
    switch (value.vt) {
    case VT_BOOL:
        return value.boolVal ? "True" : "False";
    case VT_R4:
        return platform::text::formatReal(value.fltVal, 7);
    case VT_R8:
    case VT_DATE:
        return platform::text::formatReal(value.dblVal, 15);
    case VT_CY:
        return platform::text::formatReal(static_cast<double>(value.cyVal.int64) / 10000.0, 19);
    case VT_UI8:
        return platform::text::formatUnsigned(value.ullVal);
    default:
        return platform::text::formatInteger(numberOf(value)->integer);
    }
}

HRESULT convert(const VARIANT& source, VARTYPE target, VARIANT& out)
{
    VariantInit(&out);
    if (source.vt == target) {
        return VariantCopy(&out, &source);
    }
    if (target == VT_EMPTY) {
        return S_OK;
    }
    if (target == VT_NULL) {
        // Stored named values of type VT_NULL come back as an empty string under that type.
        if (source.vt == VT_BSTR || source.vt == VT_EMPTY) {
            out.vt = VT_NULL;
            return S_OK;
        }
        return DISP_E_TYPEMISMATCH;
    }
    if (source.vt == VT_NULL) {
        return DISP_E_TYPEMISMATCH;
    }
    if (target == VT_UNKNOWN || target == VT_DISPATCH) {
        if ((source.vt != VT_UNKNOWN && source.vt != VT_DISPATCH) || !source.punkVal) {
            return DISP_E_TYPEMISMATCH;
        }
        out.vt = target;
        return source.punkVal->QueryInterface(target == VT_DISPATCH ? IDispatch::kIid : IUnknown::kIid,
                                              reinterpret_cast<void**>(&out.punkVal));
    }
    if (target == VT_BSTR) {
        if (source.vt == VT_EMPTY) {
            out.vt = VT_BSTR;
            out.bstrVal = Bstr::empty().detach();
            return out.bstrVal ? S_OK : E_OUTOFMEMORY;
        }
        if (!isNumericType(source.vt)) {
            return source.vt == VT_DISPATCH || source.vt == VT_UNKNOWN || source.vt == VT_ERROR ? DISP_E_TYPEMISMATCH
                                                                                                : DISP_E_BADVARTYPE;
        }
        out.vt = VT_BSTR;
        out.bstrVal = Bstr(textOfNumber(source)).detach();
        return out.bstrVal ? S_OK : E_OUTOFMEMORY;
    }
    if (!isNumericType(target)) {
        return target == VT_ERROR ? DISP_E_TYPEMISMATCH : DISP_E_BADVARTYPE;
    }
    Number number;
    if (source.vt == VT_BSTR) {
        RETURN_IF_FAILED(parseNumber(source.bstrVal, target, number));
    } else if (const auto value = numberOf(source)) {
        number = *value;
    } else {
        return source.vt == VT_DISPATCH || source.vt == VT_UNKNOWN || source.vt == VT_ERROR ? DISP_E_TYPEMISMATCH
                                                                                            : DISP_E_BADVARTYPE;
    }
    return storeNumber(number, target, out);
}

} // namespace

HRESULT VariantChangeType(VARIANT* destination, const VARIANT* source, USHORT /*flags*/, VARTYPE type)
{
    if (!destination || !source) {
        return E_INVALIDARG;
    }
    const std::optional<VARIANT> value = dereferenced(*source);
    if (!value) {
        return DISP_E_BADVARTYPE;
    }
    VARIANT converted;
    RETURN_IF_FAILED(convert(*value, type, converted));
    (void)VariantClear(destination); // Never fails on a valid variant; may be the source, already read.
    *destination = converted;
    return S_OK;
}

namespace platform::com {

Variant::Variant(const Variant& other) : Variant()
{
    (void)VariantCopy(&m_value, &other.m_value); // Only a string copy can fail; the copy is then empty.
}

Variant Variant::copyOf(const VARIANT& value)
{
    Variant result;
    (void)VariantCopy(&result.m_value, &value); // As above.
    return result;
}

Variant Variant::adopt(VARIANT value)
{
    Variant result;
    result.m_value = value;
    return result;
}

namespace {

/// A VARIANT of type `type` whose member `Member` holds `value` as it is.
template <auto Member, typename T> VARIANT holding(VARTYPE type, T value)
{
    VARIANT variant{};
    variant.vt = type;
    variant.*Member = value;
    return variant;
}

} // namespace

Variant Variant::fromInt32(std::int32_t value)
{
    return adopt(holding<&VARIANT::lVal>(VT_I4, value));
}

Variant Variant::fromFloat(float value)
{
    return adopt(holding<&VARIANT::fltVal>(VT_R4, value));
}

Variant Variant::fromDouble(double value)
{
    return adopt(holding<&VARIANT::dblVal>(VT_R8, value));
}

Variant Variant::fromDate(DATE value)
{
    return adopt(holding<&VARIANT::date>(VT_DATE, value));
}

Variant Variant::fromBool(bool value)
{
    return adopt(holding<&VARIANT::boolVal>(VT_BOOL, value ? VARIANT_TRUE : VARIANT_FALSE));
}

Variant Variant::fromString(Bstr value)
{
    return adopt(holding<&VARIANT::bstrVal>(VT_BSTR, value.detach()));
}

Variant Variant::fromUnknown(IUnknown* value)
{
    Variant result;
    result.m_value.vt = VT_UNKNOWN;
    result.m_value.punkVal = value;
    if (value) {
        value->AddRef();
    }
    return result;
}

Variant Variant::fromDispatch(IDispatch* value)
{
    Variant result;
    result.m_value.vt = VT_DISPATCH;
    result.m_value.pdispVal = value;
    if (value) {
        value->AddRef();
    }
    return result;
}

Variant Variant::null()
{
    Variant result;
    result.m_value.vt = VT_NULL;
    return result;
}

VARIANT* Variant::put()
{
    (void)VariantClear(&m_value); // Never fails on a valid variant.
    return &m_value;
}

VARIANT Variant::detach()
{
    VARIANT value = m_value;
    VariantInit(&m_value);
    return value;
}

HRESULT Variant::copyTo(VARIANT* out) const
{
    if (!out) {
        return E_POINTER;
    }
    VariantInit(out);
    return VariantCopy(out, &m_value);
}

HRESULT Variant::changeType(VARTYPE type)
{
    return VariantChangeType(&m_value, &m_value, 0, type);
}

bool variantsEqual(const VARIANT& a, const VARIANT& b)
{
    if (a.vt != b.vt) {
        return false;
    }
    switch (a.vt) {
    case VT_EMPTY:
    case VT_NULL:
        return true;
    case VT_BSTR:
        return Bstr::copyOf(a.bstrVal) == Bstr::copyOf(b.bstrVal);
    case VT_I1:
    case VT_UI1:
        return a.bVal == b.bVal;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
        return a.iVal == b.iVal;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_ERROR:
    case VT_R4:
        return a.lVal == b.lVal;
    default:
        return a.llVal == b.llVal;
    }
}

} // namespace platform::com
