#pragma once

#include "interfaces/talvodata/Guids.h"

#include "platform/com/Bstr.h"
#include "platform/com/Dispatch.h"

struct IEventParams;

/// What is known of one aiming as a whole: event, match or sighting, sample rate, times, named values.
struct IAimingAttr : IDispatch {
    using Base = IDispatch;
    static constexpr IID kIid = talvodata::IID_IAimingAttr;

    virtual HRESULT get_Value(BSTR bstrValue, VARIANT* pVal) = 0;
    virtual HRESULT put_Value(BSTR bstrValue, VARIANT newVal) = 0;
    virtual HRESULT putref_Value(BSTR bstrValue, VARIANT newVal) = 0;
    virtual HRESULT get_FCoefficient(LONG* pVal) = 0;
    virtual HRESULT put_FCoefficient(LONG newVal) = 0;
    /// E_UNEXPECTED while no event is set.
    virtual HRESULT get_Event(IEventParams** pVal) = 0;
    virtual HRESULT put_Event(IEventParams* newVal) = 0;
    virtual HRESULT get_Match(VARIANT_BOOL* pVal) = 0;
    virtual HRESULT put_Match(VARIANT_BOOL newVal) = 0;
    /// Samples per second; 0 until set. It can be set once, to 20 .. 500.
    virtual HRESULT get_SampleRate(LONG* pVal) = 0;
    virtual HRESULT put_SampleRate(LONG newVal) = 0;
    virtual HRESULT get_EnterTime(DATE* pVal) = 0;
    virtual HRESULT put_EnterTime(DATE newVal) = 0;
    virtual HRESULT get_StartTime(DATE* pVal) = 0;
    virtual HRESULT put_StartTime(DATE newVal) = 0;
    virtual HRESULT get_UseRealBreaches(VARIANT_BOOL* pVal) = 0;
    virtual HRESULT put_UseRealBreaches(VARIANT_BOOL newVal) = 0;
    virtual HRESULT get_SubTarget(LONG* pVal) = 0;
    virtual HRESULT put_SubTarget(LONG newVal) = 0;

protected:
    ~IAimingAttr() = default;
};
