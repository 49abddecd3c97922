#pragma once

#include "interfaces/talvodata/Enums.h"
#include "interfaces/talvodata/Guids.h"

#include "platform/com/Dispatch.h"

/// An extra shape on a target face: drawn before or after the rings, clipping the face, or scoring on its own.
/// Lengths are millimetres in face coordinates (origin at the face centre); flags are VARIANT_BOOLs.
/// Pictures cross the interface as their dispatch interface.
struct ITargetElement : IDispatch {
    using Base = IDispatch;
    static constexpr IID kIid = talvodata::IID_ITargetElement;

    virtual HRESULT get_Value(BSTR bstrValue, VARIANT* pVal) = 0;
    virtual HRESULT put_Value(BSTR bstrValue, VARIANT newVal) = 0;
    virtual HRESULT putref_Value(BSTR bstrValue, VARIANT newVal) = 0;
    /// E_FAIL when the element has no picture.
    virtual HRESULT get_Picture(IDispatch** pVal) = 0;
    virtual HRESULT put_Picture(IDispatch* newVal) = 0;
    virtual HRESULT get_Result(float* pVal) = 0;
    virtual HRESULT put_Result(float newVal) = 0;
    virtual HRESULT get_Left(float* pVal) = 0;
    virtual HRESULT put_Left(float newVal) = 0;
    virtual HRESULT get_Top(float* pVal) = 0;
    virtual HRESULT put_Top(float newVal) = 0;
    virtual HRESULT get_Width(float* pVal) = 0;
    virtual HRESULT put_Width(float newVal) = 0;
    virtual HRESULT get_Height(float* pVal) = 0;
    virtual HRESULT put_Height(float newVal) = 0;
    virtual HRESULT get_Type(enumTargetElementType* pVal) = 0;
    virtual HRESULT put_Type(enumTargetElementType newVal) = 0;
    virtual HRESULT get_Clip(VARIANT_BOOL* pVal) = 0;
    virtual HRESULT put_Clip(VARIANT_BOOL newVal) = 0;
    virtual HRESULT AddPoint(float x, float y) = 0;
    virtual HRESULT get_PointCount(LONG* pVal) = 0;
    /// Vertices count from 1; E_INVALIDARG outside 1..PointCount.
    virtual HRESULT get_x(LONG index, float* pVal) = 0;
    virtual HRESULT get_y(LONG index, float* pVal) = 0;
    virtual HRESULT get_BorderWidth(float* pVal) = 0;
    virtual HRESULT put_BorderWidth(float newVal) = 0;
    virtual HRESULT get_Fill(VARIANT_BOOL* pVal) = 0;
    virtual HRESULT put_Fill(VARIANT_BOOL newVal) = 0;
    virtual HRESULT get_BodyColor(OLE_COLOR* pVal) = 0;
    virtual HRESULT put_BodyColor(OLE_COLOR newVal) = 0;
    virtual HRESULT get_BorderColor(OLE_COLOR* pVal) = 0;
    virtual HRESULT put_BorderColor(OLE_COLOR newVal) = 0;
    virtual HRESULT get_DrawBeforeRings(VARIANT_BOOL* pVal) = 0;
    virtual HRESULT put_DrawBeforeRings(VARIANT_BOOL newVal) = 0;
    virtual HRESULT get_Visible(VARIANT_BOOL* pVal) = 0;
    virtual HRESULT put_Visible(VARIANT_BOOL newVal) = 0;
    /// Caliber widens rectangles and polygon edges; ellipses ignore it; pictures and texts hold no point.
    virtual HRESULT IsPointInside(float x, float y, float Caliber, VARIANT_BOOL* pVal) = 0;
    virtual HRESULT get_IgnoreResult(VARIANT_BOOL* pVal) = 0;
    virtual HRESULT put_IgnoreResult(VARIANT_BOOL newVal) = 0;
    virtual HRESULT get_AreaIndex(LONG* pVal) = 0;
    virtual HRESULT put_AreaIndex(LONG newVal) = 0;
    virtual HRESULT get_ValuesCount(LONG* pVal) = 0;
    /// The index-th (from 0) named value in key order; E_INVALIDARG with a null key and VT_EMPTY outside.
    virtual HRESULT KeyValue(LONG index, BSTR* key, VARIANT* value) = 0;
    virtual HRESULT get_CalcAfterRings(VARIANT_BOOL* pVal) = 0;
    virtual HRESULT put_CalcAfterRings(VARIANT_BOOL newVal) = 0;

protected:
    ~ITargetElement() = default;
};
