#include "talvodata/TargetParams.h"

#include "interfaces/talvodata/Guids.h"
#include "platform/com/EnumVariant.h"
#include "platform/com/Property.h"
#include "platform/com/StreamForms.h"

namespace talvodata {

using platform::com::bytesLeft;
using platform::com::ComPtr;
using platform::com::copyProperty;
using platform::com::inRange;
using platform::com::readFloat;
using platform::com::readInt32;
using platform::com::readObject;
using platform::com::readUInt32;
using platform::com::Variant;
using platform::com::writeFloat;
using platform::com::writeInt32;
using platform::com::writeObject;
using platform::com::writeUInt32;

namespace {

constexpr std::int32_t kRecordVersion = 1;
// The smallest nested element: a class identifier and a record version.
constexpr std::uint64_t kSmallestElement = 16 + 4;

bool validRing(LONG score)
{
    return score >= 1 && score <= 10;
}

} // namespace

ComPtr<CTargetParams> CTargetParams::create()
{
    return ComPtr<CTargetParams>(new CTargetParams());
}

HRESULT CTargetParams::get_FormWidth(float* pVal)
{
    return getProperty(m_formWidth, pVal);
}

HRESULT CTargetParams::put_FormWidth(float newVal)
{
    return putProperty(m_formWidth, newVal);
}

HRESULT CTargetParams::get_FormHeight(float* pVal)
{
    return getProperty(m_formHeight, pVal);
}

HRESULT CTargetParams::put_FormHeight(float newVal)
{
    return putProperty(m_formHeight, newVal);
}

HRESULT CTargetParams::get_InnerTen(float* pVal)
{
    return getProperty(m_innerTen, pVal);
}

HRESULT CTargetParams::put_InnerTen(float newVal)
{
    return putProperty(m_innerTen, newVal);
}

HRESULT CTargetParams::get_RingThickness(float* pVal)
{
    return getProperty(m_ringThickness, pVal);
}

HRESULT CTargetParams::put_RingThickness(float newVal)
{
    return putProperty(m_ringThickness, newVal);
}

HRESULT CTargetParams::get_Black(float* pVal)
{
    return getProperty(m_black, pVal);
}

HRESULT CTargetParams::put_Black(float newVal)
{
    return putProperty(m_black, newVal);
}

HRESULT CTargetParams::get_TextHeight(float* pVal)
{
    return getProperty(m_textHeight, pVal);
}

HRESULT CTargetParams::put_TextHeight(float newVal)
{
    return putChecked(m_textHeight, newVal, !(newVal < 0.0F));
}

HRESULT CTargetParams::get_LastNumberedRing(LONG* pVal)
{
    return getProperty(m_lastNumberedRing, pVal);
}

HRESULT CTargetParams::put_LastNumberedRing(LONG newVal)
{
    return putChecked(m_lastNumberedRing, newVal, inRange(newVal, 0, 10));
}

HRESULT CTargetParams::get_TextOrientation(LONG* pVal)
{
    return getProperty(m_textOrientation, pVal);
}

HRESULT CTargetParams::put_TextOrientation(LONG newVal)
{
    return putChecked(m_textOrientation, newVal, newVal == 0 || newVal == 1);
}

HRESULT CTargetParams::get_FillCenter(enumTargetFillCenter* pVal)
{
    return getProperty(m_fillCenter, pVal);
}

HRESULT CTargetParams::put_FillCenter(enumTargetFillCenter newVal)
{
    return putChecked(m_fillCenter, newVal, newVal == NoFill || newVal == FillCenter || newVal == FillInnerTen);
}

HRESULT CTargetParams::get_BackgroundColor(OLE_COLOR* pVal)
{
    return getProperty(m_backgroundColor, pVal);
}

HRESULT CTargetParams::put_BackgroundColor(OLE_COLOR newVal)
{
    return putProperty(m_backgroundColor, newVal);
}

HRESULT CTargetParams::get_BlackColor(OLE_COLOR* pVal)
{
    return getProperty(m_blackColor, pVal);
}

HRESULT CTargetParams::put_BlackColor(OLE_COLOR newVal)
{
    return putProperty(m_blackColor, newVal);
}

HRESULT CTargetParams::get_RingColor(OLE_COLOR* pVal)
{
    return getProperty(m_ringColor, pVal);
}

HRESULT CTargetParams::put_RingColor(OLE_COLOR newVal)
{
    return putProperty(m_ringColor, newVal);
}

HRESULT CTargetParams::get_TraceThickness(float* pVal)
{
    return getProperty(m_traceThickness, pVal);
}

HRESULT CTargetParams::put_TraceThickness(float newVal)
{
    return putChecked(m_traceThickness, newVal, !(newVal < 0.0F));
}

HRESULT CTargetParams::get_InnerRingColor(OLE_COLOR* pVal)
{
    return getProperty(m_innerRingColor, pVal);
}

HRESULT CTargetParams::put_InnerRingColor(OLE_COLOR newVal)
{
    return putProperty(m_innerRingColor, newVal);
}

HRESULT CTargetParams::get_BreachColor(OLE_COLOR* pVal)
{
    return getProperty(m_breachColor, pVal);
}

HRESULT CTargetParams::put_BreachColor(OLE_COLOR newVal)
{
    return putProperty(m_breachColor, newVal);
}

HRESULT CTargetParams::get_SelectedBreachColor(OLE_COLOR* pVal)
{
    return getProperty(m_selectedBreachColor, pVal);
}

HRESULT CTargetParams::put_SelectedBreachColor(OLE_COLOR newVal)
{
    return putProperty(m_selectedBreachColor, newVal);
}

HRESULT CTargetParams::get_Ring(LONG Score, float* pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    if (!validRing(Score)) {
        return E_INVALIDARG;
    }
    *pVal = m_rings[Score - 1];
    return S_OK;
}

HRESULT CTargetParams::put_Ring(LONG Score, float newVal)
{
    auto guard = lock();
    if (!validRing(Score)) {
        return E_INVALIDARG;
    }
    m_rings[Score - 1] = newVal;
    return S_OK;
}

HRESULT CTargetParams::get_Picture(IDispatch** pVal)
{
    auto guard = lock();
    return m_picture.get(pVal);
}

HRESULT CTargetParams::put_Picture(IDispatch* newVal)
{
    auto guard = lock();
    m_picture.set(newVal);
    return S_OK;
}

HRESULT CTargetParams::AddElement(enumTargetElementType Type, float Left, float Top, float Width, float Height,
                                  ITargetElement** ppElement)
{
    auto guard = lock();
    if (!ppElement) {
        return E_POINTER;
    }
    auto element = CTargetElement::create();
    RETURN_IF_FAILED(element->put_Type(Type));
    RETURN_IF_FAILED(element->put_Left(Left));
    RETURN_IF_FAILED(element->put_Top(Top));
    RETURN_IF_FAILED(element->put_Width(Width));
    RETURN_IF_FAILED(element->put_Height(Height));
    m_elements.push_back(element);
    *ppElement = element.detach();
    return S_OK;
}

HRESULT CTargetParams::get_Elements(LONG index, ITargetElement** pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    if (index < 1 || static_cast<std::size_t>(index) > m_elements.size()) {
        return E_INVALIDARG;
    }
    return ComPtr<ITargetElement>(m_elements[index - 1]).copyTo(pVal);
}

HRESULT CTargetParams::get_ElementCount(LONG* pVal)
{
    auto guard = lock();
    return copyProperty(static_cast<LONG>(m_elements.size()), pVal);
}

HRESULT CTargetParams::get_Areas(LONG nArea, ITargetElement** pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    for (const auto& element : m_elements) {
        if (element->scoring().areaIndex == nArea) {
            return ComPtr<ITargetElement>(element).copyTo(pVal);
        }
    }
    return S_OK;
}

HRESULT CTargetParams::get__NewEnum(IUnknown** pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    std::vector<Variant> items;
    items.reserve(m_elements.size());
    for (const auto& element : m_elements) {
        items.push_back(Variant::fromDispatch(element.get()));
    }
    *pVal = platform::com::makeComObject<platform::com::EnumVariant>(std::move(items)).detach()->unknown();
    return S_OK;
}

HRESULT CTargetParams::InterfaceSupportsErrorInfo(REFIID riid)
{
    return riid == ITargetParams::kIid ? S_OK : S_FALSE;
}

FaceGeometry CTargetParams::geometry() const
{
    return {m_formWidth, m_formHeight, m_rings, m_elements};
}

float CTargetParams::score(float x, float y, float caliber) const
{
    auto guard = lock();
    return scoreOnFace(geometry(), x, y, caliber);
}

AreaHit CTargetParams::pointArea(float x, float y) const
{
    auto guard = lock();
    return pointAreaOnFace(geometry(), x, y);
}

AreaHit CTargetParams::nearestArea(float x, float y) const
{
    auto guard = lock();
    return nearestAreaOnFace(geometry(), x, y);
}

FaceLook CTargetParams::look() const
{
    auto guard = lock();
    FaceLook look;
    look.formWidth = m_formWidth;
    look.formHeight = m_formHeight;
    look.black = m_black;
    look.innerTen = m_innerTen;
    look.ringThickness = m_ringThickness;
    look.rings = m_rings;
    look.textHeight = m_textHeight;
    look.lastNumberedRing = m_lastNumberedRing;
    look.textOrientation = m_textOrientation;
    look.fillCenter = m_fillCenter;
    look.backgroundColor = m_backgroundColor;
    look.blackColor = m_blackColor;
    look.ringColor = m_ringColor;
    look.innerRingColor = m_innerRingColor;
    look.picture = m_picture.picture();
    look.elements.reserve(m_elements.size());
    for (const auto& element : m_elements) {
        look.elements.push_back(element->look());
    }
    return look;
}

const CLSID& CTargetParams::persistentClassId() const
{
    return CLSID_TargetParams;
}

HRESULT CTargetParams::saveRecord(IStream* stream)
{
    RETURN_IF_FAILED(writeInt32(stream, kRecordVersion));
    RETURN_IF_FAILED(writeUInt32(stream, m_backgroundColor));
    RETURN_IF_FAILED(writeUInt32(stream, m_blackColor));
    RETURN_IF_FAILED(writeUInt32(stream, m_breachColor));
    RETURN_IF_FAILED(writeUInt32(stream, m_innerRingColor));
    RETURN_IF_FAILED(writeUInt32(stream, m_ringColor));
    RETURN_IF_FAILED(writeUInt32(stream, m_selectedBreachColor));
    RETURN_IF_FAILED(writeInt32(stream, m_fillCenter));
    RETURN_IF_FAILED(writeFloat(stream, m_black));
    RETURN_IF_FAILED(writeFloat(stream, m_formHeight));
    RETURN_IF_FAILED(writeFloat(stream, m_formWidth));
    RETURN_IF_FAILED(writeFloat(stream, m_innerTen));
    RETURN_IF_FAILED(writeFloat(stream, m_ringThickness));
    RETURN_IF_FAILED(writeFloat(stream, m_textHeight));
    RETURN_IF_FAILED(writeFloat(stream, m_traceThickness));
    RETURN_IF_FAILED(writeInt32(stream, m_lastNumberedRing));
    RETURN_IF_FAILED(writeInt32(stream, m_textOrientation));
    for (float ring : m_rings) {
        RETURN_IF_FAILED(writeFloat(stream, ring));
    }
    RETURN_IF_FAILED(m_picture.save(stream));
    RETURN_IF_FAILED(writeInt32(stream, static_cast<std::int32_t>(m_elements.size())));
    for (const auto& element : m_elements) {
        RETURN_IF_FAILED(writeObject(stream, element->unknown()));
    }
    return S_OK;
}

HRESULT CTargetParams::loadRecord(IStream* stream)
{
    std::int32_t version = 0;
    RETURN_IF_FAILED(readInt32(stream, version));
    if (version > kRecordVersion) {
        return E_FAIL;
    }
    RETURN_IF_FAILED(readUInt32(stream, m_backgroundColor));
    RETURN_IF_FAILED(readUInt32(stream, m_blackColor));
    RETURN_IF_FAILED(readUInt32(stream, m_breachColor));
    RETURN_IF_FAILED(readUInt32(stream, m_innerRingColor));
    RETURN_IF_FAILED(readUInt32(stream, m_ringColor));
    RETURN_IF_FAILED(readUInt32(stream, m_selectedBreachColor));
    std::int32_t fillCenter = 0;
    RETURN_IF_FAILED(readInt32(stream, fillCenter));
    m_fillCenter = static_cast<enumTargetFillCenter>(fillCenter);
    RETURN_IF_FAILED(readFloat(stream, m_black));
    RETURN_IF_FAILED(readFloat(stream, m_formHeight));
    RETURN_IF_FAILED(readFloat(stream, m_formWidth));
    RETURN_IF_FAILED(readFloat(stream, m_innerTen));
    RETURN_IF_FAILED(readFloat(stream, m_ringThickness));
    RETURN_IF_FAILED(readFloat(stream, m_textHeight));
    RETURN_IF_FAILED(readFloat(stream, m_traceThickness));
    RETURN_IF_FAILED(readInt32(stream, m_lastNumberedRing));
    RETURN_IF_FAILED(readInt32(stream, m_textOrientation));
    for (float& ring : m_rings) {
        RETURN_IF_FAILED(readFloat(stream, ring));
    }
    RETURN_IF_FAILED(m_picture.load(stream));
    std::int32_t count = 0;
    RETURN_IF_FAILED(readInt32(stream, count));
    std::uint64_t left = 0;
    RETURN_IF_FAILED(bytesLeft(stream, left));
    if (count < 0 || static_cast<std::uint64_t>(count) * kSmallestElement > left) {
        return E_FAIL;
    }
    for (std::int32_t i = 0; i < count; ++i) {
        auto element = CTargetElement::create();
        RETURN_IF_FAILED(readObject(stream, element->unknown()));
        m_elements.push_back(std::move(element));
    }
    return S_OK;
}

} // namespace talvodata
