#include "talvodata/Aiming.h"

#include "talvodata/AimingAttr.h"
#include "talvodata/AimingTrace.h"
#include "talvodata/Range.h"
#include "talvodata/Shot.h"

#include "platform/com/EnumVariant.h"
#include "platform/com/StreamForms.h"

namespace talvodata {

using platform::com::bytesLeft;
using platform::com::ComPtr;
using platform::com::readGuid;
using platform::com::readInt32;
using platform::com::readObject;
using platform::com::Variant;
using platform::com::writeInt32;
using platform::com::writeObject;

CAiming::CAiming(ComPtr<CAimingAttr> attributes, ComPtr<CAimingTrace> trace)
    : m_attributes(std::move(attributes)), m_trace(std::move(trace))
{
    m_trace->attachAttributes(m_attributes);
}

CAiming::~CAiming()
{
    // Shots first: they refer to the trace and the attributes.
    m_shots.clear();
}

platform::Result<ComPtr<CAiming>> CAiming::create()
{
    auto attributes = CAimingAttr::create();
    if (!attributes) {
        return attributes.error();
    }
    return platform::com::makeComObject<CAiming>(std::move(attributes).value(), CAimingTrace::create());
}

const CLSID& CAiming::persistentClassId() const
{
    return CLSID_Aiming;
}

HRESULT CAiming::get_Attr(IAimingAttr** pVal)
{
    auto guard = lock();
    return ComPtr<IAimingAttr>(m_attributes).copyTo(pVal);
}

HRESULT CAiming::get_Trace(IAimingTrace** pVal)
{
    auto guard = lock();
    return ComPtr<IAimingTrace>(m_trace).copyTo(pVal);
}

HRESULT CAiming::get_ShotCount(LONG* pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = static_cast<LONG>(m_shots.size());
    return S_OK;
}

HRESULT CAiming::get_Shot(LONG nShot, IShot** pVal)
{
    auto guard = lock();
    if (!pVal || *pVal) { // An object already held there would leak.
        return E_POINTER;
    }
    *pVal = nullptr;
    if (nShot < 1 || static_cast<std::size_t>(nShot) > m_shots.size()) {
        return E_INVALIDARG;
    }
    return ComPtr<IShot>(m_shots[static_cast<std::size_t>(nShot - 1)]).copyTo(pVal);
}

HRESULT CAiming::AddShot(VARIANT_BOOL Missed, IShot** pVal)
{
    return AddShot2(Missed, CShot::kNoPhase, pVal);
}

HRESULT CAiming::AddShot2(VARIANT_BOOL Missed, double microphonePhase, IShot** pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = nullptr;
    LONG last = 0;
    RETURN_IF_FAILED(m_trace->get_Last(&last));
    ComPtr<CShot> shot = CShot::create();
    shot->setUp(m_attributes, m_trace, last, Missed == VARIANT_TRUE);
    RETURN_IF_FAILED(shot->setMicrophonePhase(microphonePhase));
    m_shots.push_back(shot);
    setDirty();
    return ComPtr<IShot>(shot).copyTo(pVal);
}

HRESULT CAiming::Range(float First, float Last, IRange** pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = nullptr;
    // Relative indexes of an aiming's range count from the start of the aiming.
    ComPtr<CRange> range = CRange::create(m_attributes);
    range->attach(m_trace, 0);
    if ((First != 0.0f || Last != 0.0f) && !range->window(First, Last)) {
        return E_FAIL;
    }
    *pVal = range.detach();
    return S_OK;
}

HRESULT CAiming::get__NewEnum(IUnknown** pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    std::vector<Variant> shots;
    shots.reserve(m_shots.size());
    for (const ComPtr<CShot>& shot : m_shots) {
        shots.push_back(Variant::fromDispatch(static_cast<IShot*>(shot.get())));
    }
    return platform::com::makeComObject<platform::com::EnumVariant>(std::move(shots)).copyTo(pVal);
}

HRESULT CAiming::saveRecord(IStream* stream)
{
    RETURN_IF_FAILED(writeInt32(stream, kRecordVersion));
    RETURN_IF_FAILED(writeObject(stream, static_cast<IAimingAttr*>(m_attributes.get())));
    RETURN_IF_FAILED(writeObject(stream, static_cast<IAimingTrace*>(m_trace.get())));
    RETURN_IF_FAILED(writeInt32(stream, static_cast<std::int32_t>(m_shots.size())));
    for (const ComPtr<CShot>& shot : m_shots) {
        RETURN_IF_FAILED(writeObject(stream, static_cast<IShot*>(shot.get())));
    }
    return S_OK;
}

HRESULT CAiming::loadRecord(IStream* stream)
{
    std::int32_t version = 0;
    RETURN_IF_FAILED(readInt32(stream, version));
    if (version < 0 || version > kRecordVersion) {
        return E_FAIL;
    }
    auto attributes = CAimingAttr::create();
    if (!attributes) {
        return E_FAIL;
    }
    m_attributes = std::move(attributes).value();
    if (FAILED(readObject(stream, static_cast<IAimingAttr*>(m_attributes.get())))) {
        return E_FAIL;
    }
    m_trace = CAimingTrace::create();
    m_trace->attachAttributes(m_attributes);
    if (FAILED(readObject(stream, static_cast<IAimingTrace*>(m_trace.get())))) {
        return E_FAIL;
    }
    if (version == 1) {
        GUID ignored;
        std::int32_t count = 0;
        RETURN_IF_FAILED(readGuid(stream, ignored));
        RETURN_IF_FAILED(readInt32(stream, count));
        if (count > 1) {
            return E_FAIL;
        }
    }
    std::int32_t shotCount = 0;
    RETURN_IF_FAILED(readInt32(stream, shotCount));
    std::uint64_t left = 0;
    constexpr std::uint64_t kSmallestShot = 16 + 4; // A class identifier and a version.
    RETURN_IF_FAILED(bytesLeft(stream, left));
    if (shotCount < 0 || static_cast<std::uint64_t>(shotCount) * kSmallestShot > left) {
        return E_FAIL;
    }
    m_shots.clear();
    for (std::int32_t i = 0; i < shotCount; ++i) {
        ComPtr<CShot> shot = CShot::create();
        shot->setUp(m_attributes, m_trace, 0, false);
        if (FAILED(readObject(stream, static_cast<IShot*>(shot.get())))) {
            return E_FAIL;
        }
        m_shots.push_back(std::move(shot));
    }
    return S_OK;
}

} // namespace talvodata
