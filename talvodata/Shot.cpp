#include "talvodata/Shot.h"

#include "platform/com/Property.h"
#include "platform/com/StreamForms.h"

#include "talvodata/Range.h"

#include "interfaces/talvodata/IEventParams.h"

#include <cmath>

namespace talvodata {

using platform::com::Bstr;
using platform::com::ComPtr;
using platform::com::copyFlag;
using platform::com::copyProperty;
using platform::com::fromVariantBool;
using platform::com::Notify;
using platform::com::readDouble;
using platform::com::readFlag;
using platform::com::readInt32;
using platform::com::Variant;
using platform::com::writeDouble;
using platform::com::writeFlag;
using platform::com::writeInt32;

namespace {

const Bstr& phaseKey()
{
    static const Bstr key("_microphone_phase");
    return key;
}

} // namespace

ComPtr<CShot> CShot::create()
{
    return platform::com::makeComObject<CShot>();
}

void CShot::setUp(ComPtr<IAimingAttr> attributes, ComPtr<IAimingTrace> trace, LONG traceIndex, bool missed)
{
    auto guard = lock();
    m_attributes = std::move(attributes);
    m_trace = std::move(trace);
    m_traceIndex = traceIndex;
    m_missed = missed;
}

HRESULT CShot::setMicrophonePhase(double phase)
{
    auto guard = lock();
    bool changed = false;
    RETURN_IF_FAILED(m_values.put(phaseKey().get(),
                                  std::isnan(phase) ? Variant().get() : Variant::fromDouble(phase).get(), changed));
    if (changed) {
        setDirty();
    }
    return S_OK;
}

const CLSID& CShot::persistentClassId() const
{
    return CLSID_Shot;
}

double CShot::microphonePhase() const
{
    Variant value;
    if (FAILED(m_values.get(phaseKey().get(), value.put())) || value.type() != VT_R8) {
        return kNoPhase;
    }
    // A phase is a fraction of a sample period; a stored 1e30 would carry the breach to infinity.
    const double phase = value.get().dblVal;
    return phase >= 0 && phase <= 1 ? phase : kNoPhase;
}

HRESULT CShot::get_microphonePhase(double* pVal)
{
    auto guard = lock();
    return copyProperty(microphonePhase(), pVal);
}

HRESULT CShot::breach(float& x, float& y)
{
    x = 0;
    y = 0;
    if (m_missed) {
        return S_OK;
    }
    if (!m_attributes) {
        return E_UNEXPECTED;
    }
    VARIANT_BOOL useReal = VARIANT_FALSE;
    RETURN_IF_FAILED(m_attributes->get_UseRealBreaches(&useReal));
    if (useReal == VARIANT_TRUE && hasRealBreach()) {
        x = m_realBreachX;
        y = m_realBreachY;
    } else {
        LONG coefficient = 0;
        RETURN_IF_FAILED(m_attributes->get_FCoefficient(&coefficient));
        if (!m_breachCache.filled || m_breachCache.coefficient != coefficient) {
            ComPtr<IRange> range;
            RETURN_IF_FAILED(Range(0, 0, range.put()));
            float breachX = 0;
            float breachY = 0;
            RETURN_IF_FAILED(range->Breaches2(0, coefficient, microphonePhase(), &breachX, &breachY));
            m_breachCache = {true, coefficient, breachX, breachY};
        }
        x = m_breachCache.x;
        y = m_breachCache.y;
    }
    x += m_offsetX;
    y += m_offsetY;
    return S_OK;
}

HRESULT CShot::Breach(float* x, float* y)
{
    auto guard = lock();
    if (!x || !y) {
        return E_POINTER;
    }
    return breach(*x, *y);
}

HRESULT CShot::get_BreachX(float* pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    float y = 0;
    return breach(*pVal, y);
}

HRESULT CShot::get_BreachY(float* pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    float x = 0;
    return breach(x, *pVal);
}

template <typename T, typename Ask> HRESULT CShot::askEvent(T* pVal, std::type_identity_t<T> missed, Ask ask)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = missed;
    if (m_missed) {
        return S_OK;
    }
    ComPtr<IEventParams> event;
    LONG subTarget = 0;
    float x = 0;
    float y = 0;
    if (!m_attributes || FAILED(m_attributes->get_Event(event.put())) || !event ||
        FAILED(m_attributes->get_SubTarget(&subTarget)) || FAILED(breach(x, y))) {
        return E_FAIL;
    }
    return ask(*event, subTarget, x, y);
}

HRESULT CShot::get_Result(float* pVal)
{
    return askEvent(pVal, 0.0F, [&](IEventParams& event, LONG subTarget, float x, float y) {
        return event.GetBreachScore(x, y, subTarget, pVal);
    });
}

HRESULT CShot::get_AreaIndex(LONG* pVal)
{
    return askEvent(pVal, -1, [&](IEventParams& event, LONG subTarget, float x, float y) {
        float centreX = 0;
        float centreY = 0;
        return event.GetPointArea(x, y, subTarget, pVal, &centreX, &centreY);
    });
}

HRESULT CShot::get_ShotTime(DATE* pVal)
{
    return getProperty(m_shotTime, pVal);
}

HRESULT CShot::put_ShotTime(DATE newVal)
{
    return putProperty(m_shotTime, newVal, Notify::OnChange, markDirty());
}

HRESULT CShot::get_Missed(VARIANT_BOOL* pVal)
{
    return getFlag(m_missed, pVal);
}

HRESULT CShot::get_Attr(IAimingAttr** pVal)
{
    auto guard = lock();
    return m_attributes.copyTo(pVal);
}

HRESULT CShot::get_Trace(IAimingTrace** pVal)
{
    auto guard = lock();
    return m_trace.copyTo(pVal);
}

HRESULT CShot::get_TraceIndex(LONG* pVal)
{
    return getProperty(m_traceIndex, pVal);
}

HRESULT CShot::Range(float First, float Last, IRange** pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = nullptr;
    if (m_missed) {
        return E_UNEXPECTED;
    }
    const int cacheSlot = First == -1.0f && Last == 0.0f ? 0 : First == 0.0f && Last == 0.0f ? 1 : -1;
    if (cacheSlot >= 0 && m_rangeCache[static_cast<std::size_t>(cacheSlot)]) {
        return m_rangeCache[static_cast<std::size_t>(cacheSlot)].copyTo(pVal);
    }
    if (!m_attributes || !m_trace) {
        return E_UNEXPECTED;
    }
    ComPtr<CRange> range = CRange::create(m_attributes);
    range->attach(m_trace, m_traceIndex);
    if ((First != 0.0f || Last != 0.0f) && !range->window(First, Last)) {
        return E_FAIL;
    }
    VARIANT_BOOL readOnly = VARIANT_FALSE;
    if (cacheSlot >= 0 && SUCCEEDED(m_trace->get_ReadOnly(&readOnly)) && readOnly == VARIANT_TRUE) {
        m_rangeCache[static_cast<std::size_t>(cacheSlot)] = range;
    }
    *pVal = range.detach();
    return S_OK;
}

HRESULT CShot::get_RealBreachX(float* pVal)
{
    auto guard = lock();
    return copyProperty(hasRealBreach() ? m_realBreachX : 0.0f, pVal);
}

HRESULT CShot::put_RealBreachX(float newVal)
{
    return putProperty(m_realBreachX, newVal);
}

HRESULT CShot::get_RealBreachY(float* pVal)
{
    auto guard = lock();
    return copyProperty(hasRealBreach() ? m_realBreachY : 0.0f, pVal);
}

HRESULT CShot::put_RealBreachY(float newVal)
{
    return putProperty(m_realBreachY, newVal);
}

HRESULT CShot::get_IsRealBreachValid(VARIANT_BOOL* pVal)
{
    auto guard = lock();
    return copyFlag(hasRealBreach(), pVal);
}

HRESULT CShot::get_OffsetX(float* pVal)
{
    return getProperty(m_offsetX, pVal);
}

HRESULT CShot::put_OffsetX(float newVal)
{
    return putProperty(m_offsetX, newVal);
}

HRESULT CShot::get_OffsetY(float* pVal)
{
    return getProperty(m_offsetY, pVal);
}

HRESULT CShot::put_OffsetY(float newVal)
{
    return putProperty(m_offsetY, newVal);
}

HRESULT CShot::get_Hidden(VARIANT_BOOL* pVal)
{
    return getFlag(m_hidden, pVal);
}

HRESULT CShot::put_Hidden(VARIANT_BOOL newVal)
{
    return putProperty(m_hidden, fromVariantBool(newVal));
}

HRESULT CShot::saveRecord(IStream* stream)
{
    RETURN_IF_FAILED(writeInt32(stream, kRecordVersion));
    RETURN_IF_FAILED(writeFlag(stream, m_missed));
    RETURN_IF_FAILED(writeFlag(stream, m_hidden));
    RETURN_IF_FAILED(writeInt32(stream, m_traceIndex));
    RETURN_IF_FAILED(writeDouble(stream, m_shotTime));
    return m_values.save(stream);
}

HRESULT CShot::loadRecord(IStream* stream)
{
    m_offsetX = 0;
    m_offsetY = 0;
    m_hidden = false;
    m_breachCache = {};
    std::int32_t version = 0;
    RETURN_IF_FAILED(readInt32(stream, version));
    if (version < 0 || version > kRecordVersion) {
        return E_FAIL;
    }
    if (version == 0) {
        return S_OK;
    }
    if (version < 2) {
        std::int32_t missedWord = 0;
        RETURN_IF_FAILED(readInt32(stream, missedWord));
        m_missed = missedWord == 1;
    } else {
        RETURN_IF_FAILED(readFlag(stream, m_missed));
    }
    if (version == 3) {
        RETURN_IF_FAILED(readFlag(stream, m_hidden));
    }
    RETURN_IF_FAILED(readInt32(stream, m_traceIndex));
    RETURN_IF_FAILED(readDouble(stream, m_shotTime));
    if (version >= 2) {
        RETURN_IF_FAILED(m_values.load(stream));
    }
    return S_OK;
}

} // namespace talvodata
