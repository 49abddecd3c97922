#pragma once

#include "talvodata/FaceDrawing.h"
#include "talvodata/NamedValueProperty.h"
#include "talvodata/PersistentObject.h"
#include "talvodata/PictureSlot.h"
#include "talvodata/PolygonHitTest.h"

#include "interfaces/talvodata/ITargetElement.h"
#include "platform/com/ClassInfo.h"
#include "platform/com/ComPtr.h"

#include <vector>

namespace talvodata {

/// What scoring asks of an element, read under the element's lock in one go.
struct ElementScoring {
    bool clip = false;
    bool calcAfterRings = false;
    bool ignoreResult = false;
    float result = 0.0F;
    LONG areaIndex = 0;
    float centerX = 0.0F;
    float centerY = 0.0F;
};

/// An extra shape on a target face that is drawn, clips the face or scores on its own.
/// Thread rule: any thread; every method holds the element's lock.
class CTargetElement final : public ListedNamedValueProperty<PersistentObject<ITargetElement, ISupportErrorInfo>> {
public:
    static platform::com::ComPtr<CTargetElement> create();

    HRESULT get_Picture(IDispatch** pVal) override;
    HRESULT put_Picture(IDispatch* newVal) override;
    HRESULT get_Result(float* pVal) override;
    HRESULT put_Result(float newVal) override;
    HRESULT get_Left(float* pVal) override;
    HRESULT put_Left(float newVal) override;
    HRESULT get_Top(float* pVal) override;
    HRESULT put_Top(float newVal) override;
    HRESULT get_Width(float* pVal) override;
    HRESULT put_Width(float newVal) override;
    HRESULT get_Height(float* pVal) override;
    HRESULT put_Height(float newVal) override;
    HRESULT get_Type(enumTargetElementType* pVal) override;
    HRESULT put_Type(enumTargetElementType newVal) override;
    HRESULT get_Clip(VARIANT_BOOL* pVal) override;
    HRESULT put_Clip(VARIANT_BOOL newVal) override;
    HRESULT AddPoint(float x, float y) override;
    HRESULT get_PointCount(LONG* pVal) override;
    HRESULT get_x(LONG index, float* pVal) override;
    HRESULT get_y(LONG index, float* pVal) override;
    HRESULT get_BorderWidth(float* pVal) override;
    HRESULT put_BorderWidth(float newVal) override;
    HRESULT get_Fill(VARIANT_BOOL* pVal) override;
    HRESULT put_Fill(VARIANT_BOOL newVal) override;
    HRESULT get_BodyColor(OLE_COLOR* pVal) override;
    HRESULT put_BodyColor(OLE_COLOR newVal) override;
    HRESULT get_BorderColor(OLE_COLOR* pVal) override;
    HRESULT put_BorderColor(OLE_COLOR newVal) override;
    HRESULT get_DrawBeforeRings(VARIANT_BOOL* pVal) override;
    HRESULT put_DrawBeforeRings(VARIANT_BOOL newVal) override;
    HRESULT get_Visible(VARIANT_BOOL* pVal) override;
    HRESULT put_Visible(VARIANT_BOOL newVal) override;
    HRESULT IsPointInside(float x, float y, float Caliber, VARIANT_BOOL* pVal) override;
    HRESULT get_IgnoreResult(VARIANT_BOOL* pVal) override;
    HRESULT put_IgnoreResult(VARIANT_BOOL newVal) override;
    HRESULT get_AreaIndex(LONG* pVal) override;
    HRESULT put_AreaIndex(LONG newVal) override;
    HRESULT get_CalcAfterRings(VARIANT_BOOL* pVal) override;
    HRESULT put_CalcAfterRings(VARIANT_BOOL newVal) override;

    HRESULT InterfaceSupportsErrorInfo(REFIID riid) override;

    /// The hit test of IsPointInside, for scoring inside the library.
    bool holds(float x, float y, float caliber) const;
    ElementScoring scoring() const;
    /// What drawing reads, copied under the element's lock.
    ElementLook look() const;

private:
    CTargetElement() = default;
    ~CTargetElement() override = default;

    const CLSID& persistentClassId() const override;
    HRESULT saveRecord(IStream* stream) override;
    HRESULT loadRecord(IStream* stream) override;
    /// One coordinate of the 1-based `index`th point: E_POINTER, then E_INVALIDARG for an index out of range.
    HRESULT coordinate(LONG index, float PointF::*axis, float* pVal);
    /// A named value that holds a string; none for a missing or other value.
    std::optional<std::u16string> stringValue(const char* key) const;

    enumTargetElementType m_type = elementRectangle;
    float m_left = 0.0F;
    float m_top = 0.0F;
    float m_width = 0.0F;
    float m_height = 0.0F;
    std::vector<PointF> m_points;
    float m_borderWidth = 0.0F;
    OLE_COLOR m_borderColor = 0x000000;
    OLE_COLOR m_bodyColor = 0xFFFFFF;
    VARIANT_BOOL m_fill = VARIANT_TRUE;
    VARIANT_BOOL m_visible = VARIANT_TRUE;
    VARIANT_BOOL m_clip = VARIANT_FALSE;
    VARIANT_BOOL m_drawBeforeRings = VARIANT_FALSE;
    VARIANT_BOOL m_calcAfterRings = VARIANT_FALSE;
    VARIANT_BOOL m_ignoreResult = VARIANT_FALSE;
    float m_result = 0.0F;
    LONG m_areaIndex = 0;
    PictureSlot m_picture;
};

} // namespace talvodata
