#pragma once

#include "interfaces/talvodata/Guids.h"
#include "interfaces/talvodata/IAimingAttr.h"

#include "platform/com/Bstr.h"
#include "platform/com/Dispatch.h"

/// The samples of one aiming: x and y in hundredths of a millimetre (2147483647 marks an invalid sample),
/// plus named 32-bit user channels. Indexes count from the start of the aiming: `First` .. `Last`.
struct IAimingTrace : IDispatch {
    using Base = IDispatch;
    static constexpr IID kIid = talvodata::IID_IAimingTrace;

    virtual HRESULT get_Valid(VARIANT_BOOL* pVal) = 0;
    virtual HRESULT get_Count(LONG* pVal) = 0;
    virtual HRESULT get_First(LONG* pVal) = 0;
    virtual HRESULT get_Last(LONG* pVal) = 0;
    virtual HRESULT get_Attr(IAimingAttr** pVal) = 0;
    /// Millimetres; E_INVALIDARG outside First .. Last.
    virtual HRESULT get_x(LONG nIndex, float* pVal) = 0;
    virtual HRESULT get_y(LONG nIndex, float* pVal) = 0;
    virtual HRESULT get_MaxTimeBeforeShot(float* pVal) = 0;
    /// E_INVALIDARG below 0.5 seconds.
    virtual HRESULT put_MaxTimeBeforeShot(float newVal) = 0;
    /// Millimetres, rounded to hundredths half to even.
    virtual HRESULT Add(float x, float y) = 0;
    virtual HRESULT Index2Sec(LONG nIndex, float* pVal) = 0;
    virtual HRESULT Sec2Index(float Seconds, LONG* pVal) = 0;
    virtual HRESULT get_ReadOnly(VARIANT_BOOL* pVal) = 0;
    /// Only switches on; doing so trims and narrows the storage. VARIANT_FALSE on a read-only trace: E_INVALIDARG.
    virtual HRESULT put_ReadOnly(VARIANT_BOOL newVal) = 0;
    /// Only switches sliding off; E_INVALIDARG with VARIANT_TRUE or on a read-only trace.
    virtual HRESULT put_WrapEnabled(VARIANT_BOOL newVal) = 0;
    virtual HRESULT get_ValidCoordinate(LONG index, VARIANT_BOOL* pVal) = 0;
    virtual HRESULT AddInvalid() = 0;
    /// The 1-based index of the channel of that name, appended when absent.
    virtual HRESULT AddUserData(BSTR Name, LONG* index) = 0;
    /// The 1-based index of the channel of exactly that name, or -1.
    virtual HRESULT GetUserData(BSTR Name, LONG* index) = 0;
    virtual HRESULT get_UserData(LONG DataIndex, LONG index, LONG* pVal) = 0;
    virtual HRESULT put_UserData(LONG DataIndex, LONG index, LONG newVal) = 0;
    /// Hundredths of a millimetre. E_UNEXPECTED on a read-only trace.
    virtual HRESULT _Add(LONG x, LONG y) = 0;
    virtual HRESULT _GetPoint(LONG nIndex, LONG* pX, LONG* pY) = 0;
    virtual HRESULT RemoveUserData(BSTR Name) = 0;

protected:
    ~IAimingTrace() = default;
};
