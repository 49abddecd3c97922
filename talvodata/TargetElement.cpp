#include "talvodata/TargetElement.h"

#include "platform/com/Property.h"
#include "platform/com/StreamForms.h"

#include "talvodata/PolygonHitTest.h"

#include "interfaces/talvodata/Guids.h"

namespace talvodata {

using platform::com::bytesLeft;
using platform::com::ComPtr;
using platform::com::copyProperty;
using platform::com::readFloat;
using platform::com::readInt16;
using platform::com::readInt32;
using platform::com::readUInt32;
using platform::com::Variant;
using platform::com::writeFloat;
using platform::com::writeInt16;
using platform::com::writeInt32;
using platform::com::writeUInt32;

namespace {

constexpr std::int32_t kRecordVersion = 5;

HRESULT readBool(IStream* stream, VARIANT_BOOL& value)
{
    std::int16_t read = 0;
    RETURN_IF_FAILED(readInt16(stream, read));
    value = read;
    return S_OK;
}

HRESULT readEnum(IStream* stream, enumTargetElementType& value)
{
    std::int32_t read = 0;
    RETURN_IF_FAILED(readInt32(stream, read));
    value = static_cast<enumTargetElementType>(read);
    return S_OK;
}

} // namespace

ComPtr<CTargetElement> CTargetElement::create()
{
    return ComPtr<CTargetElement>(new CTargetElement());
}

HRESULT CTargetElement::get_Picture(IDispatch** pVal)
{
    auto guard = lock();
    return m_picture.get(pVal);
}

HRESULT CTargetElement::put_Picture(IDispatch* newVal)
{
    auto guard = lock();
    m_picture.set(newVal);
    return S_OK;
}

HRESULT CTargetElement::get_Result(float* pVal)
{
    return getProperty(m_result, pVal);
}

HRESULT CTargetElement::put_Result(float newVal)
{
    return putProperty(m_result, newVal);
}

HRESULT CTargetElement::get_Left(float* pVal)
{
    return getProperty(m_left, pVal);
}

HRESULT CTargetElement::put_Left(float newVal)
{
    return putProperty(m_left, newVal);
}

HRESULT CTargetElement::get_Top(float* pVal)
{
    return getProperty(m_top, pVal);
}

HRESULT CTargetElement::put_Top(float newVal)
{
    return putProperty(m_top, newVal);
}

HRESULT CTargetElement::get_Width(float* pVal)
{
    return getProperty(m_width, pVal);
}

HRESULT CTargetElement::put_Width(float newVal)
{
    return putProperty(m_width, newVal);
}

HRESULT CTargetElement::get_Height(float* pVal)
{
    return getProperty(m_height, pVal);
}

HRESULT CTargetElement::put_Height(float newVal)
{
    return putProperty(m_height, newVal);
}

HRESULT CTargetElement::get_Type(enumTargetElementType* pVal)
{
    return getProperty(m_type, pVal);
}

HRESULT CTargetElement::put_Type(enumTargetElementType newVal)
{
    return putProperty(m_type, newVal);
}

HRESULT CTargetElement::get_Clip(VARIANT_BOOL* pVal)
{
    return getProperty(m_clip, pVal);
}

HRESULT CTargetElement::put_Clip(VARIANT_BOOL newVal)
{
    return putProperty(m_clip, newVal);
}

HRESULT CTargetElement::AddPoint(float x, float y)
{
    auto guard = lock();
    m_points.push_back({x, y});
    return S_OK;
}

HRESULT CTargetElement::get_PointCount(LONG* pVal)
{
    auto guard = lock();
    return copyProperty(static_cast<LONG>(m_points.size()), pVal);
}

HRESULT CTargetElement::coordinate(LONG index, float PointF::*axis, float* pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    if (index < 1 || static_cast<std::size_t>(index) > m_points.size()) {
        return E_INVALIDARG;
    }
    *pVal = m_points[index - 1].*axis;
    return S_OK;
}

HRESULT CTargetElement::get_x(LONG index, float* pVal)
{
    return coordinate(index, &PointF::x, pVal);
}

HRESULT CTargetElement::get_y(LONG index, float* pVal)
{
    return coordinate(index, &PointF::y, pVal);
}

HRESULT CTargetElement::get_BorderWidth(float* pVal)
{
    return getProperty(m_borderWidth, pVal);
}

HRESULT CTargetElement::put_BorderWidth(float newVal)
{
    return putProperty(m_borderWidth, newVal);
}

HRESULT CTargetElement::get_Fill(VARIANT_BOOL* pVal)
{
    return getProperty(m_fill, pVal);
}

HRESULT CTargetElement::put_Fill(VARIANT_BOOL newVal)
{
    return putProperty(m_fill, newVal);
}

HRESULT CTargetElement::get_BodyColor(OLE_COLOR* pVal)
{
    return getProperty(m_bodyColor, pVal);
}

HRESULT CTargetElement::put_BodyColor(OLE_COLOR newVal)
{
    return putProperty(m_bodyColor, newVal);
}

HRESULT CTargetElement::get_BorderColor(OLE_COLOR* pVal)
{
    return getProperty(m_borderColor, pVal);
}

HRESULT CTargetElement::put_BorderColor(OLE_COLOR newVal)
{
    return putProperty(m_borderColor, newVal);
}

HRESULT CTargetElement::get_DrawBeforeRings(VARIANT_BOOL* pVal)
{
    return getProperty(m_drawBeforeRings, pVal);
}

HRESULT CTargetElement::put_DrawBeforeRings(VARIANT_BOOL newVal)
{
    return putProperty(m_drawBeforeRings, newVal);
}

HRESULT CTargetElement::get_Visible(VARIANT_BOOL* pVal)
{
    return getProperty(m_visible, pVal);
}

HRESULT CTargetElement::put_Visible(VARIANT_BOOL newVal)
{
    return putProperty(m_visible, newVal);
}

HRESULT CTargetElement::IsPointInside(float x, float y, float Caliber, VARIANT_BOOL* pVal)
{
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = holds(x, y, Caliber) ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT CTargetElement::get_IgnoreResult(VARIANT_BOOL* pVal)
{
    return getProperty(m_ignoreResult, pVal);
}

HRESULT CTargetElement::put_IgnoreResult(VARIANT_BOOL newVal)
{
    return putProperty(m_ignoreResult, newVal);
}

HRESULT CTargetElement::get_AreaIndex(LONG* pVal)
{
    return getProperty(m_areaIndex, pVal);
}

HRESULT CTargetElement::put_AreaIndex(LONG newVal)
{
    return putProperty(m_areaIndex, newVal);
}

HRESULT CTargetElement::get_CalcAfterRings(VARIANT_BOOL* pVal)
{
    return getProperty(m_calcAfterRings, pVal);
}

HRESULT CTargetElement::put_CalcAfterRings(VARIANT_BOOL newVal)
{
    return putProperty(m_calcAfterRings, newVal);
}

HRESULT CTargetElement::InterfaceSupportsErrorInfo(REFIID riid)
{
    return riid == ITargetElement::kIid ? S_OK : S_FALSE;
}

bool CTargetElement::holds(float x, float y, float caliber) const
{
    auto guard = lock();
    switch (m_type) {
    case elementEllipse: {
        // A flat ellipse holds nothing; dividing by its zero axis would say the same less plainly.
        if (m_width == 0.0F || m_height == 0.0F) {
            return false;
        }
        const float a = m_width / 2;
        const float b = m_height / 2;
        const float dx = (x - m_left - a) / a;
        const float dy = (y - m_top - b) / b;
        return dx * dx + dy * dy <= 1.0F;
    }
    case elementRectangle: {
        const float half = caliber / 2;
        return m_left <= x + half && m_left + m_width >= x - half && m_top <= y + half && m_top + m_height >= y - half;
    }
    case elementPolyline:
    case elementPolygon:
        return polygonHolds(m_points, {x, y}, caliber);
    case elementPicture:
    case elementText:
        return false;
    }
    return false; // A type stored by a newer writer holds nothing.
}

ElementScoring CTargetElement::scoring() const
{
    auto guard = lock();
    return {m_clip == VARIANT_TRUE,
            m_calcAfterRings == VARIANT_TRUE,
            m_ignoreResult == VARIANT_TRUE,
            m_result,
            m_areaIndex,
            m_left + m_width / 2,
            m_top + m_height / 2};
}

ElementLook CTargetElement::look() const
{
    auto guard = lock();
    ElementLook look;
    look.type = m_type;
    look.left = m_left;
    look.top = m_top;
    look.width = m_width;
    look.height = m_height;
    look.points = m_points;
    look.borderWidth = m_borderWidth;
    look.borderColor = m_borderColor;
    look.bodyColor = m_bodyColor;
    look.fill = m_fill == VARIANT_TRUE;
    look.visible = m_visible != VARIANT_FALSE;
    look.clip = m_clip == VARIANT_TRUE;
    look.drawBeforeRings = m_drawBeforeRings == VARIANT_TRUE;
    look.picture = m_picture.picture();
    look.text = stringValue("text");
    look.font = stringValue("font");
    return look;
}

std::optional<std::u16string> CTargetElement::stringValue(const char* key) const
{
    Variant value;
    if (FAILED(m_values.get(platform::com::Bstr(key).get(), value.put())) || value.type() != VT_BSTR) {
        return std::nullopt;
    }
    return std::u16string(platform::com::viewOf(value.get().bstrVal));
}

const CLSID& CTargetElement::persistentClassId() const
{
    return CLSID_TargetElement;
}

HRESULT CTargetElement::saveRecord(IStream* stream)
{
    RETURN_IF_FAILED(writeInt32(stream, kRecordVersion));
    RETURN_IF_FAILED(writeUInt32(stream, m_bodyColor));
    RETURN_IF_FAILED(writeUInt32(stream, m_borderColor));
    RETURN_IF_FAILED(writeInt32(stream, m_type));
    RETURN_IF_FAILED(writeFloat(stream, m_borderWidth));
    RETURN_IF_FAILED(writeFloat(stream, m_height));
    RETURN_IF_FAILED(writeFloat(stream, m_left));
    RETURN_IF_FAILED(writeFloat(stream, m_result));
    RETURN_IF_FAILED(writeInt32(stream, m_areaIndex));
    RETURN_IF_FAILED(writeFloat(stream, m_top));
    RETURN_IF_FAILED(writeFloat(stream, m_width));
    RETURN_IF_FAILED(writeInt16(stream, m_drawBeforeRings));
    RETURN_IF_FAILED(writeInt16(stream, m_calcAfterRings));
    RETURN_IF_FAILED(writeInt16(stream, m_clip));
    RETURN_IF_FAILED(writeInt16(stream, m_fill));
    RETURN_IF_FAILED(writeInt16(stream, m_visible));
    RETURN_IF_FAILED(writeInt16(stream, m_ignoreResult));
    RETURN_IF_FAILED(writeInt32(stream, static_cast<std::int32_t>(m_points.size())));
    for (const PointF& point : m_points) {
        RETURN_IF_FAILED(writeFloat(stream, point.x));
        RETURN_IF_FAILED(writeFloat(stream, point.y));
    }
    RETURN_IF_FAILED(m_picture.save(stream));
    return m_values.save(stream);
}

HRESULT CTargetElement::loadRecord(IStream* stream)
{
    std::int32_t version = 0;
    RETURN_IF_FAILED(readInt32(stream, version));
    if (version > kRecordVersion) {
        return E_FAIL;
    }
    if (version < 1) {
        return S_OK; // Nothing was stored before the first version's fields.
    }
    RETURN_IF_FAILED(readUInt32(stream, m_bodyColor));
    RETURN_IF_FAILED(readUInt32(stream, m_borderColor));
    RETURN_IF_FAILED(readEnum(stream, m_type));
    RETURN_IF_FAILED(readFloat(stream, m_borderWidth));
    RETURN_IF_FAILED(readFloat(stream, m_height));
    RETURN_IF_FAILED(readFloat(stream, m_left));
    RETURN_IF_FAILED(readFloat(stream, m_result));
    if (version >= 3) {
        RETURN_IF_FAILED(readInt32(stream, m_areaIndex));
    }
    RETURN_IF_FAILED(readFloat(stream, m_top));
    RETURN_IF_FAILED(readFloat(stream, m_width));
    RETURN_IF_FAILED(readBool(stream, m_drawBeforeRings));
    if (version >= 5) {
        RETURN_IF_FAILED(readBool(stream, m_calcAfterRings));
    }
    RETURN_IF_FAILED(readBool(stream, m_clip));
    RETURN_IF_FAILED(readBool(stream, m_fill));
    RETURN_IF_FAILED(readBool(stream, m_visible));
    if (version >= 2) {
        RETURN_IF_FAILED(readBool(stream, m_ignoreResult));
    }
    std::int32_t count = 0;
    RETURN_IF_FAILED(readInt32(stream, count));
    std::uint64_t left = 0;
    RETURN_IF_FAILED(bytesLeft(stream, left));
    if (count < 0 || static_cast<std::uint64_t>(count) * 8 > left) {
        return E_FAIL;
    }
    m_points.reserve(m_points.size() + static_cast<std::size_t>(count));
    for (std::int32_t i = 0; i < count; ++i) {
        PointF point{};
        RETURN_IF_FAILED(readFloat(stream, point.x));
        RETURN_IF_FAILED(readFloat(stream, point.y));
        m_points.push_back(point);
    }
    RETURN_IF_FAILED(m_picture.load(stream));
    if (version >= 4) {
        RETURN_IF_FAILED(m_values.load(stream));
    }
    return S_OK;
}

} // namespace talvodata
