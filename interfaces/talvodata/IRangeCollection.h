#pragma once

#include "interfaces/talvodata/Guids.h"
#include "interfaces/talvodata/IRange.h"

#include "platform/com/Dispatch.h"

/// The windows of several shots of one event over the same span around each shot, and their combined
/// statistics and per-sample curves.
struct IRangeCollection : IDispatch {
    using Base = IDispatch;
    static constexpr IID kIid = talvodata::IID_IRangeCollection;

    /// The out-pointer must hold null.
    virtual HRESULT get_Item(LONG nIndex, IRange** pVal) = 0;
    virtual HRESULT get_Valid(VARIANT_BOOL* pVal) = 0;
    virtual HRESULT get_PointCount(LONG* pVal) = 0;
    virtual HRESULT get_RequestedFirst(LONG* pVal) = 0;
    virtual HRESULT get_RequestedLast(LONG* pVal) = 0;
    virtual HRESULT get_Count(LONG* pVal) = 0;
    virtual HRESULT get_First(LONG* pVal) = 0;
    virtual HRESULT get_Last(LONG* pVal) = 0;
    virtual HRESULT get_Length(float* pVal) = 0;
    virtual HRESULT get_LengthX(float* pVal) = 0;
    virtual HRESULT get_LengthY(float* pVal) = 0;
    virtual HRESULT get_AveragePointX(float* pVal) = 0;
    virtual HRESULT get_AveragePointY(float* pVal) = 0;
    /// Mean distance of the aim from the aimed-at area's centre; negative where not every window covers the index.
    virtual HRESULT get_CoordinationPoint(LONG nIndex, float* pVal) = 0;
    /// Mean speed of the aim in millimetres per second.
    virtual HRESULT get_SpeedPoint(LONG nIndex, float* pVal) = 0;
    virtual HRESULT Steadiness(float Radius, LONG nFCoefficient, float CenterX, float CenterY, float* pPercent) = 0;
    virtual HRESULT Add(IRange* pRange) = 0;
    virtual HRESULT get__NewEnum(IUnknown** pVal) = 0;

protected:
    ~IRangeCollection() = default;
};
