#include "talvodata/AimingAttr.h"

#include "interfaces/talvodata/Sampling.h"
#include "platform/com/ClassTable.h"
#include "platform/com/Property.h"
#include "platform/com/StreamForms.h"

namespace talvodata {

using platform::com::Bstr;
using platform::com::ComPtr;
using platform::com::copyFlag;
using platform::com::copyProperty;
using platform::com::copyRequired;
using platform::com::fromVariantBool;
using platform::com::Notify;
using platform::com::readBstr;
using platform::com::readDouble;
using platform::com::readFlag;
using platform::com::readInt32;
using platform::com::writeBstr;
using platform::com::writeDouble;
using platform::com::writeFlag;
using platform::com::writeInt32;

CAimingAttr::CAimingAttr(ComPtr<IEventManager> events) : m_events(std::move(events)) {}

platform::Result<ComPtr<CAimingAttr>> CAimingAttr::create()
{
    ComPtr<IEventManager> events;
    const HRESULT hr = CoCreateInstance(CLSID_EventManager, nullptr, CLSCTX_ALL, IEventManager::kIid, events.putVoid());
    if (FAILED(hr)) {
        return platform::Error{hr, "the event manager cannot be made"};
    }
    return platform::com::makeComObject<CAimingAttr>(std::move(events));
}

const CLSID& CAimingAttr::persistentClassId() const
{
    return CLSID_AimingAttr;
}

HRESULT CAimingAttr::get_FCoefficient(LONG* pVal)
{
    return getProperty(m_fCoefficient, pVal);
}

HRESULT CAimingAttr::put_FCoefficient(LONG newVal)
{
    return putProperty(m_fCoefficient, newVal, Notify::OnChange, markDirty());
}

HRESULT CAimingAttr::get_Event(IEventParams** pVal)
{
    auto guard = lock();
    return copyRequired(m_event, pVal);
}

HRESULT CAimingAttr::put_Event(IEventParams* newVal)
{
    return putChecked(m_event, ComPtr<IEventParams>(newVal), newVal != nullptr, Notify::Always, markDirty());
}

HRESULT CAimingAttr::get_Match(VARIANT_BOOL* pVal)
{
    return getFlag(m_match, pVal);
}

HRESULT CAimingAttr::put_Match(VARIANT_BOOL newVal)
{
    return putProperty(m_match, fromVariantBool(newVal), Notify::OnChange, markDirty());
}

HRESULT CAimingAttr::get_SampleRate(LONG* pVal)
{
    return getProperty(m_sampleRate, pVal);
}

HRESULT CAimingAttr::put_SampleRate(LONG newVal)
{
    auto guard = lock();
    if (newVal < kLowestSampleRate || newVal > kHighestSampleRate) {
        return E_INVALIDARG;
    }
    if (m_sampleRate != 0) {
        return E_UNEXPECTED;
    }
    m_sampleRate = newVal;
    setDirty();
    return S_OK;
}

HRESULT CAimingAttr::get_EnterTime(DATE* pVal)
{
    return getProperty(m_enterTime, pVal);
}

HRESULT CAimingAttr::put_EnterTime(DATE newVal)
{
    return putProperty(m_enterTime, newVal, Notify::OnChange, markDirty());
}

HRESULT CAimingAttr::get_StartTime(DATE* pVal)
{
    return getProperty(m_startTime, pVal);
}

HRESULT CAimingAttr::put_StartTime(DATE newVal)
{
    return putProperty(m_startTime, newVal, Notify::OnChange, markDirty());
}

HRESULT CAimingAttr::get_UseRealBreaches(VARIANT_BOOL* pVal)
{
    return getFlag(m_useRealBreaches, pVal);
}

HRESULT CAimingAttr::put_UseRealBreaches(VARIANT_BOOL newVal)
{
    return putProperty(m_useRealBreaches, fromVariantBool(newVal), Notify::OnChange, markDirty());
}

HRESULT CAimingAttr::get_SubTarget(LONG* pVal)
{
    return getProperty(m_subTarget, pVal);
}

HRESULT CAimingAttr::put_SubTarget(LONG newVal)
{
    return putProperty(m_subTarget, newVal);
}

HRESULT CAimingAttr::saveRecord(IStream* stream)
{
    if (!m_event) {
        return E_UNEXPECTED;
    }
    Bstr shortName;
    RETURN_IF_FAILED(m_event->get_ShortName(shortName.put()));
    RETURN_IF_FAILED(writeInt32(stream, kRecordVersion));
    RETURN_IF_FAILED(writeBstr(stream, shortName.get()));
    RETURN_IF_FAILED(writeDouble(stream, m_startTime));
    RETURN_IF_FAILED(writeDouble(stream, m_enterTime));
    RETURN_IF_FAILED(writeInt32(stream, m_sampleRate));
    RETURN_IF_FAILED(writeInt32(stream, m_fCoefficient));
    RETURN_IF_FAILED(writeFlag(stream, m_match));
    RETURN_IF_FAILED(writeInt32(stream, m_subTarget));
    return m_values.save(stream);
}

HRESULT CAimingAttr::loadRecord(IStream* stream)
{
    std::int32_t version = 0;
    RETURN_IF_FAILED(readInt32(stream, version));
    if (version < 0 || version > kRecordVersion) {
        return E_FAIL;
    }
    Bstr shortName;
    RETURN_IF_FAILED(readBstr(stream, shortName));
    ComPtr<IEventParams> event;
    // A record whose event is not installed here cannot be read.
    if (m_events->FindByShortName(shortName.get(), event.put()) != S_OK || !event) {
        return E_FAIL;
    }
    m_event = std::move(event);
    if (version == 1) {
        Bstr ignored;
        RETURN_IF_FAILED(readBstr(stream, ignored));
    }
    RETURN_IF_FAILED(readDouble(stream, m_startTime));
    RETURN_IF_FAILED(readDouble(stream, m_enterTime));
    RETURN_IF_FAILED(readInt32(stream, m_sampleRate));
    RETURN_IF_FAILED(readInt32(stream, m_fCoefficient));
    if (version == 1) {
        std::int32_t matchWord = 0;
        std::int32_t ignored[2] = {};
        RETURN_IF_FAILED(readInt32(stream, matchWord));
        RETURN_IF_FAILED(readInt32(stream, ignored[0]));
        RETURN_IF_FAILED(readInt32(stream, ignored[1]));
        m_match = matchWord == 1;
        return S_OK;
    }
    RETURN_IF_FAILED(readFlag(stream, m_match));
    if (version == 3) {
        RETURN_IF_FAILED(readInt32(stream, m_subTarget));
    }
    return m_values.load(stream);
}

} // namespace talvodata
