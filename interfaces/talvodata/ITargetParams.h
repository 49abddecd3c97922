#pragma once

#include "interfaces/talvodata/Enums.h"
#include "interfaces/talvodata/Guids.h"
#include "interfaces/talvodata/ITargetElement.h"

#include "platform/com/Dispatch.h"

/// One face of a shooting event: form size, ring diameters, the black, drawing parameters, colours and the
/// extra elements. Lengths are millimetres, colours OLE colours. No setter marks the face dirty.
struct ITargetParams : IDispatch {
    using Base = IDispatch;
    static constexpr IID kIid = talvodata::IID_ITargetParams;

    virtual HRESULT get_FormWidth(float* pVal) = 0;
    virtual HRESULT put_FormWidth(float newVal) = 0;
    virtual HRESULT get_FormHeight(float* pVal) = 0;
    virtual HRESULT put_FormHeight(float newVal) = 0;
    /// Diameter of the ring that scores Score (1..10, else E_INVALIDARG); 0 when the ring is absent.
    virtual HRESULT get_Ring(LONG Score, float* pVal) = 0;
    virtual HRESULT put_Ring(LONG Score, float newVal) = 0;
    virtual HRESULT get_InnerTen(float* pVal) = 0;
    virtual HRESULT put_InnerTen(float newVal) = 0;
    virtual HRESULT get_RingThickness(float* pVal) = 0;
    virtual HRESULT put_RingThickness(float newVal) = 0;
    virtual HRESULT get_Black(float* pVal) = 0;
    virtual HRESULT put_Black(float newVal) = 0;
    virtual HRESULT get_TextHeight(float* pVal) = 0;
    virtual HRESULT put_TextHeight(float newVal) = 0;
    virtual HRESULT get_LastNumberedRing(LONG* pVal) = 0;
    virtual HRESULT put_LastNumberedRing(LONG newVal) = 0;
    virtual HRESULT get_TextOrientation(LONG* pVal) = 0;
    virtual HRESULT put_TextOrientation(LONG newVal) = 0;
    virtual HRESULT get_FillCenter(enumTargetFillCenter* pVal) = 0;
    virtual HRESULT put_FillCenter(enumTargetFillCenter newVal) = 0;
    virtual HRESULT get_BackgroundColor(OLE_COLOR* pVal) = 0;
    virtual HRESULT put_BackgroundColor(OLE_COLOR newVal) = 0;
    virtual HRESULT get_BlackColor(OLE_COLOR* pVal) = 0;
    virtual HRESULT put_BlackColor(OLE_COLOR newVal) = 0;
    virtual HRESULT get_RingColor(OLE_COLOR* pVal) = 0;
    virtual HRESULT put_RingColor(OLE_COLOR newVal) = 0;
    virtual HRESULT get_TraceThickness(float* pVal) = 0;
    virtual HRESULT put_TraceThickness(float newVal) = 0;
    virtual HRESULT get_InnerRingColor(OLE_COLOR* pVal) = 0;
    virtual HRESULT put_InnerRingColor(OLE_COLOR newVal) = 0;
    virtual HRESULT get_BreachColor(OLE_COLOR* pVal) = 0;
    virtual HRESULT put_BreachColor(OLE_COLOR newVal) = 0;
    virtual HRESULT get_SelectedBreachColor(OLE_COLOR* pVal) = 0;
    virtual HRESULT put_SelectedBreachColor(OLE_COLOR newVal) = 0;
    /// E_FAIL when the face has no picture.
    virtual HRESULT get_Picture(IDispatch** pVal) = 0;
    virtual HRESULT put_Picture(IDispatch* newVal) = 0;
    virtual HRESULT AddElement(enumTargetElementType Type, float Left, float Top, float Width, float Height,
                               ITargetElement** ppElement) = 0;
    /// Elements count from 1; E_INVALIDARG outside 1..ElementCount.
    virtual HRESULT get_Elements(LONG index, ITargetElement** pVal) = 0;
    virtual HRESULT get_ElementCount(LONG* pVal) = 0;
    /// The first element whose AreaIndex is nArea; when none has it, S_OK and *pVal untouched.
    virtual HRESULT get_Areas(LONG nArea, ITargetElement** pVal) = 0;
    /// An IEnumVARIANT of VT_DISPATCH elements over a copy of the list.
    virtual HRESULT get__NewEnum(IUnknown** pVal) = 0;

protected:
    ~ITargetParams() = default;
};
