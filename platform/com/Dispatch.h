#pragma once

#include "platform/com/Types.h"
#include "platform/com/Unknown.h"
#include "platform/com/Variant.h"

inline constexpr WORD DISPATCH_METHOD = 1;
inline constexpr WORD DISPATCH_PROPERTYGET = 2;
inline constexpr WORD DISPATCH_PROPERTYPUT = 4;
inline constexpr WORD DISPATCH_PROPERTYPUTREF = 8;
inline constexpr DISPID DISPID_UNKNOWN = -1;
inline constexpr DISPID DISPID_VALUE = 0;
inline constexpr DISPID DISPID_PROPERTYPUT = -3;
inline constexpr DISPID DISPID_NEWENUM = -4;

/// Arguments of an Invoke, in reverse order as automation passes them.
struct DISPPARAMS {
    VARIANTARG* rgvarg = nullptr;
    DISPID* rgdispidNamedArgs = nullptr;
    UINT cArgs = 0;
    UINT cNamedArgs = 0;
};

struct EXCEPINFO {
    WORD wCode = 0;
    platform::com::Bstr source;
    platform::com::Bstr description;
    SCODE scode = 0;
};

/// Late-bound calls by DISPID. There are no type libraries: DISPIDs are constants of each interface.
struct IDispatch : IUnknown {
    using Base = IUnknown;
    static constexpr IID kIid = platform::com::makeGuid("00020400-0000-0000-C000-000000000046");

    /// Objects called only through their vtable keep this default: late-bound calls find no member.
    virtual HRESULT Invoke(DISPID /*dispIdMember*/, REFIID /*riid*/, LCID /*lcid*/, WORD /*flags*/,
                           DISPPARAMS* /*params*/, VARIANT* /*result*/, EXCEPINFO* /*exceptionInfo*/,
                           UINT* /*argumentError*/)
    {
        return DISP_E_MEMBERNOTFOUND;
    }

protected:
    ~IDispatch() = default;
};
