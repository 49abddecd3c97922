#pragma once

#include "interfaces/talvodata/Guids.h"
#include "interfaces/talvodata/IRangeCollection.h"
#include "interfaces/talvodata/IShot.h"

#include "platform/com/Dispatch.h"

struct IEventParams;

/// An ordered selection of shots of one event with results, series, sighting and match subsets.
struct IShotCollection : IDispatch {
    using Base = IDispatch;
    static constexpr IID kIid = talvodata::IID_IShotCollection;

    /// The out-pointer must hold null.
    virtual HRESULT get_Item(LONG nShot, IShot** pVal) = 0;
    virtual HRESULT get_Count(LONG* pVal) = 0;
    virtual HRESULT get_Result(float* pVal) = 0;
    virtual HRESULT get_AverageResult(float* pVal) = 0;
    virtual HRESULT get_SerieCount(LONG* pVal) = 0;
    virtual HRESULT get_Serie(LONG nSerie, IShotCollection** pVal) = 0;
    /// E_INVALIDARG for a shot of another event; a shot already held is not added again.
    virtual HRESULT Add(IShot* Shot) = 0;
    virtual HRESULT get_Sighting(IShotCollection** pVal) = 0;
    virtual HRESULT get_Match(IShotCollection** pVal) = 0;
    virtual HRESULT Range(float First, float Last, IRangeCollection** pVal) = 0;
    virtual HRESULT get_Event(IEventParams** pVal) = 0;
    virtual HRESULT get__NewEnum(IUnknown** pVal) = 0;

protected:
    ~IShotCollection() = default;
};
