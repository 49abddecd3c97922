#pragma once

#include "interfaces/talvodata/Guids.h"
#include "interfaces/talvodata/ITargetParams.h"

#include "platform/com/Dispatch.h"

/// A shooting event: names, calibre, distance, shot limits, its target faces (sub-targets from 1), named values,
/// the scoring of points and breaches and the scoring areas. Coordinates are single-precision millimetres from
/// the face centre. Only `Value` puts mark the event dirty.
struct IEventParams : IDispatch {
    using Base = IDispatch;
    static constexpr IID kIid = talvodata::IID_IEventParams;

    virtual HRESULT get_Value(BSTR bstrValue, VARIANT* pVal) = 0;
    virtual HRESULT put_Value(BSTR bstrValue, VARIANT newVal) = 0;
    virtual HRESULT putref_Value(BSTR bstrValue, VARIANT newVal) = 0;
    virtual HRESULT get_ShortName(BSTR* pVal) = 0;
    virtual HRESULT put_ShortName(BSTR newVal) = 0;
    /// *pVal must hold null. SubTarget TargetCount + 1 appends a new face; outside 1..TargetCount + 1:
    /// E_INVALIDARG.
    virtual HRESULT get_Target(LONG SubTarget, ITargetParams** pVal) = 0;
    /// The face drawn as a picture (an IPictureDisp), cached per sub-target and flag pair; drawn again when the
    /// face changes.
    virtual HRESULT GetTargetAppearance(LONG SubTarget, VARIANT_BOOL Background, VARIANT_BOOL ScoreRings,
                                        IDispatch** Picture) = 0;
    virtual HRESULT get_Name(BSTR* pVal) = 0;
    virtual HRESULT put_Name(BSTR newVal) = 0;
    virtual HRESULT get_Caliber(float* pVal) = 0;
    /// Below 0.1: E_INVALIDARG.
    virtual HRESULT put_Caliber(float newVal) = 0;
    virtual HRESULT get_Distance(float* pVal) = 0;
    /// Outside 2..1000: E_INVALIDARG.
    virtual HRESULT put_Distance(float newVal) = 0;
    virtual HRESULT get_MinShotsPerAiming(LONG* pVal) = 0;
    virtual HRESULT put_MinShotsPerAiming(LONG newVal) = 0;
    virtual HRESULT get_MaxShotsPerAiming(LONG* pVal) = 0;
    virtual HRESULT put_MaxShotsPerAiming(LONG newVal) = 0;
    /// Score of a point (calibre 0), 0.0 to 10.9 in tenths. A sub-target with no face: E_INVALIDARG.
    virtual HRESULT GetPointScore(float x, float y, LONG SubTarget, float* pScore) = 0;
    /// Score of a breach, every ring widened by half the event's Caliber.
    virtual HRESULT GetBreachScore(float x, float y, LONG SubTarget, float* pScore) = 0;
    /// Writes the event-definition file "<ShortName>.evl"; E_UNEXPECTED without a ShortName.
    virtual HRESULT Save() = 0;
    virtual HRESULT Update() = 0;
    virtual HRESULT get_DisplayCaliber(float* pVal) = 0;
    /// Below 0.1: E_INVALIDARG.
    virtual HRESULT put_DisplayCaliber(float newVal) = 0;
    virtual HRESULT get_TargetCount(LONG* pVal) = 0;
    /// AreaIndex -1 outside the form, 0 in no area, else the area of the element holding the point and that
    /// element's centre.
    virtual HRESULT GetPointArea(float x, float y, LONG SubTarget, LONG* AreaIndex, float* cx, float* cy) = 0;
    /// The area element whose centre is nearest the point; -1 outside the form.
    virtual HRESULT GetNearestArea(float x, float y, LONG SubTarget, LONG* AreaIndex, float* cx, float* cy) = 0;
    virtual HRESULT get_MaxShotsPerSerie(LONG* pVal) = 0;
    virtual HRESULT put_MaxShotsPerSerie(LONG newVal) = 0;
    virtual HRESULT get_ValuesCount(LONG* pVal) = 0;
    /// The index-th (from 0) named value in key order; E_INVALIDARG with a null key and VT_EMPTY outside.
    virtual HRESULT KeyValue(LONG index, BSTR* key, VARIANT* value) = 0;

protected:
    ~IEventParams() = default;
};
