#pragma once

#include "talvodata/FaceDrawing.h"
#include "talvodata/PersistentObject.h"
#include "talvodata/PictureSlot.h"
#include "talvodata/Scoring.h"
#include "talvodata/TargetElement.h"

#include "interfaces/talvodata/ITargetParams.h"
#include "platform/com/ClassInfo.h"
#include "platform/com/ComPtr.h"

#include <array>
#include <vector>

namespace talvodata {

/// One face of a shooting event: form, rings, the black, drawing parameters, colours and extra elements.
/// Thread rule: any thread; every method holds the face's lock.
class CTargetParams final : public PersistentObject<ITargetParams, ISupportErrorInfo> {
public:
    static platform::com::ComPtr<CTargetParams> create();

    HRESULT get_FormWidth(float* pVal) override;
    HRESULT put_FormWidth(float newVal) override;
    HRESULT get_FormHeight(float* pVal) override;
    HRESULT put_FormHeight(float newVal) override;
    HRESULT get_Ring(LONG Score, float* pVal) override;
    HRESULT put_Ring(LONG Score, float newVal) override;
    HRESULT get_InnerTen(float* pVal) override;
    HRESULT put_InnerTen(float newVal) override;
    HRESULT get_RingThickness(float* pVal) override;
    HRESULT put_RingThickness(float newVal) override;
    HRESULT get_Black(float* pVal) override;
    HRESULT put_Black(float newVal) override;
    HRESULT get_TextHeight(float* pVal) override;
    HRESULT put_TextHeight(float newVal) override;
    HRESULT get_LastNumberedRing(LONG* pVal) override;
    HRESULT put_LastNumberedRing(LONG newVal) override;
    HRESULT get_TextOrientation(LONG* pVal) override;
    HRESULT put_TextOrientation(LONG newVal) override;
    HRESULT get_FillCenter(enumTargetFillCenter* pVal) override;
    HRESULT put_FillCenter(enumTargetFillCenter newVal) override;
    HRESULT get_BackgroundColor(OLE_COLOR* pVal) override;
    HRESULT put_BackgroundColor(OLE_COLOR newVal) override;
    HRESULT get_BlackColor(OLE_COLOR* pVal) override;
    HRESULT put_BlackColor(OLE_COLOR newVal) override;
    HRESULT get_RingColor(OLE_COLOR* pVal) override;
    HRESULT put_RingColor(OLE_COLOR newVal) override;
    HRESULT get_TraceThickness(float* pVal) override;
    HRESULT put_TraceThickness(float newVal) override;
    HRESULT get_InnerRingColor(OLE_COLOR* pVal) override;
    HRESULT put_InnerRingColor(OLE_COLOR newVal) override;
    HRESULT get_BreachColor(OLE_COLOR* pVal) override;
    HRESULT put_BreachColor(OLE_COLOR newVal) override;
    HRESULT get_SelectedBreachColor(OLE_COLOR* pVal) override;
    HRESULT put_SelectedBreachColor(OLE_COLOR newVal) override;
    HRESULT get_Picture(IDispatch** pVal) override;
    HRESULT put_Picture(IDispatch* newVal) override;
    HRESULT AddElement(enumTargetElementType Type, float Left, float Top, float Width, float Height,
                       ITargetElement** ppElement) override;
    HRESULT get_Elements(LONG index, ITargetElement** pVal) override;
    HRESULT get_ElementCount(LONG* pVal) override;
    HRESULT get_Areas(LONG nArea, ITargetElement** pVal) override;
    HRESULT get__NewEnum(IUnknown** pVal) override;

    HRESULT InterfaceSupportsErrorInfo(REFIID riid) override;

    /// Scoring on this face under its lock (see Scoring.h).
    float score(float x, float y, float caliber) const;
    AreaHit pointArea(float x, float y) const;
    AreaHit nearestArea(float x, float y) const;
    /// What drawing reads of the face and its elements, copied under the face's lock.
    FaceLook look() const;

private:
    CTargetParams() = default;
    ~CTargetParams() override = default;

    const CLSID& persistentClassId() const override;
    HRESULT saveRecord(IStream* stream) override;
    HRESULT loadRecord(IStream* stream) override;
    FaceGeometry geometry() const;

    float m_formWidth = 0.0F;
    float m_formHeight = 0.0F;
    float m_black = 0.0F;
    float m_innerTen = 0.0F;
    float m_ringThickness = 0.0F;
    float m_traceThickness = 0.0F;
    std::array<float, 10> m_rings{};
    float m_textHeight = 0.0F;
    LONG m_lastNumberedRing = 0;
    LONG m_textOrientation = 0;
    enumTargetFillCenter m_fillCenter = NoFill;
    OLE_COLOR m_backgroundColor = 0xC0C0C0;
    OLE_COLOR m_blackColor = 0x000000;
    OLE_COLOR m_ringColor = 0x000000;
    OLE_COLOR m_innerRingColor = 0xFFFFFF;
    OLE_COLOR m_breachColor = 0xFFFFFF;
    OLE_COLOR m_selectedBreachColor = 0xFF00FF;
    PictureSlot m_picture;
    std::vector<platform::com::ComPtr<CTargetElement>> m_elements;
};

} // namespace talvodata
