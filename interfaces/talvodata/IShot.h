#pragma once

#include "interfaces/talvodata/Guids.h"
#include "interfaces/talvodata/IAimingAttr.h"
#include "interfaces/talvodata/IAimingTrace.h"
#include "interfaces/talvodata/IRange.h"

#include "platform/com/Dispatch.h"

/// One shot of an aiming. Its breach and result are computed on demand from the trace (or a real breach).
struct IShot : IDispatch {
    using Base = IDispatch;
    static constexpr IID kIid = talvodata::IID_IShot;

    virtual HRESULT get_Value(BSTR bstrValue, VARIANT* pVal) = 0;
    virtual HRESULT put_Value(BSTR bstrValue, VARIANT newVal) = 0;
    virtual HRESULT putref_Value(BSTR bstrValue, VARIANT newVal) = 0;
    virtual HRESULT get_Result(float* pVal) = 0;
    virtual HRESULT get_BreachX(float* pVal) = 0;
    virtual HRESULT get_BreachY(float* pVal) = 0;
    virtual HRESULT get_ShotTime(DATE* pVal) = 0;
    virtual HRESULT put_ShotTime(DATE newVal) = 0;
    virtual HRESULT get_Missed(VARIANT_BOOL* pVal) = 0;
    virtual HRESULT get_Attr(IAimingAttr** pVal) = 0;
    virtual HRESULT get_TraceIndex(LONG* pVal) = 0;
    virtual HRESULT Breach(float* x, float* y) = 0;
    /// E_UNEXPECTED for a missed shot.
    virtual HRESULT Range(float First, float Last, IRange** pVal) = 0;
    virtual HRESULT get_RealBreachX(float* pVal) = 0;
    virtual HRESULT put_RealBreachX(float newVal) = 0;
    virtual HRESULT get_RealBreachY(float* pVal) = 0;
    virtual HRESULT put_RealBreachY(float newVal) = 0;
    virtual HRESULT get_IsRealBreachValid(VARIANT_BOOL* pVal) = 0;
    virtual HRESULT get_OffsetX(float* pVal) = 0;
    virtual HRESULT put_OffsetX(float newVal) = 0;
    virtual HRESULT get_OffsetY(float* pVal) = 0;
    virtual HRESULT put_OffsetY(float newVal) = 0;
    virtual HRESULT get_Hidden(VARIANT_BOOL* pVal) = 0;
    virtual HRESULT put_Hidden(VARIANT_BOOL newVal) = 0;
    virtual HRESULT get_AreaIndex(LONG* pVal) = 0;
    virtual HRESULT get_Trace(IAimingTrace** pVal) = 0;
    /// The stored microphone phase, or a NaN (all bits set) when there is none.
    virtual HRESULT get_microphonePhase(double* pVal) = 0;

protected:
    ~IShot() = default;
};
