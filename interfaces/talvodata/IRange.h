#pragma once

#include "interfaces/talvodata/Guids.h"
#include "interfaces/talvodata/IAimingTrace.h"

#include "platform/com/Dispatch.h"

struct IEventParams;

/// A window of one aiming's trace in relative sample indexes around a reference sample (normally the shot),
/// with its statistics and the extrapolated breach.
struct IRange : IDispatch {
    using Base = IDispatch;
    static constexpr IID kIid = talvodata::IID_IRange;

    virtual HRESULT get_Valid(VARIANT_BOOL* pVal) = 0;
    virtual HRESULT get_RequestedFirst(LONG* pVal) = 0;
    virtual HRESULT get_RequestedLast(LONG* pVal) = 0;
    virtual HRESULT get_Count(LONG* pVal) = 0;
    virtual HRESULT get_First(LONG* pVal) = 0;
    virtual HRESULT get_Last(LONG* pVal) = 0;
    /// Millimetres at a relative index in First .. Last; E_INVALIDARG elsewhere.
    virtual HRESULT get_x(LONG nIndex, float* pVal) = 0;
    virtual HRESULT get_y(LONG nIndex, float* pVal) = 0;
    virtual HRESULT get_SampleRate(LONG* pVal) = 0;
    virtual HRESULT get_Length(float* pVal) = 0;
    virtual HRESULT get_LengthX(float* pVal) = 0;
    virtual HRESULT get_LengthY(float* pVal) = 0;
    virtual HRESULT get_AveragePointX(float* pVal) = 0;
    virtual HRESULT get_AveragePointY(float* pVal) = 0;
    virtual HRESULT Index2Sec(LONG nIndex, float* pVal) = 0;
    virtual HRESULT Sec2Index(float Seconds, LONG* pVal) = 0;
    /// The whole percentage of the requested window during which the extrapolated aim stayed in the circle.
    virtual HRESULT Steadiness(float Radius, LONG nFCoefficient, float CenterX, float CenterY, float* pPercent) = 0;
    virtual HRESULT Breaches(LONG nIndex, LONG nFCoefficient, float* pX, float* pY) = 0;
    virtual HRESULT get_Event(IEventParams** pVal) = 0;
    virtual HRESULT GetBounds(float* Left, float* Top, float* Right, float* Bottom) = 0;
    virtual HRESULT get_ValidCoordinate(LONG nIndex, VARIANT_BOOL* pVal) = 0;
    virtual HRESULT GetNearestArea(float x, float y, LONG* AreaIndex, float* cx, float* cy) = 0;
    virtual HRESULT get_Trace(IAimingTrace** pVal) = 0;
    virtual HRESULT get_IndexBase(LONG* pVal) = 0;
    virtual HRESULT get_UserData(LONG DataIndex, LONG index, LONG* pVal) = 0;
    /// The breach at a relative index, extrapolated along the aim by a lead time of nFCoefficient milliseconds;
    /// a NaN phase means the sample itself.
    virtual HRESULT Breaches2(LONG nIndex, LONG nFCoefficient, double microphonePhase, float* pX, float* pY) = 0;

protected:
    ~IRange() = default;
};
