#include "talvodata/ShotCollection.h"

#include "platform/com/ObjectIdentity.h"
#include "talvodata/ObjectEnum.h"
#include "talvodata/RangeCollection.h"

#include <algorithm>
#include <cstdint>

namespace talvodata {

using platform::com::ComPtr;
using platform::com::isSameObject;

namespace {

constexpr LONG kDefaultSerieLength = 10;

/// The event of the shot's aiming, or null when its attributes have none.
HRESULT eventOf(IShot& shot, ComPtr<IEventParams>& event)
{
    ComPtr<IAimingAttr> attributes;
    RETURN_IF_FAILED(shot.get_Attr(attributes.put()));
    if (!attributes || FAILED(attributes->get_Event(event.put()))) {
        event.reset();
    }
    return S_OK;
}

HRESULT isMatchShot(IShot& shot, bool& match)
{
    ComPtr<IAimingAttr> attributes;
    RETURN_IF_FAILED(shot.get_Attr(attributes.put()));
    if (!attributes) {
        return E_FAIL;
    }
    VARIANT_BOOL value = VARIANT_FALSE;
    RETURN_IF_FAILED(attributes->get_Match(&value));
    match = value == VARIANT_TRUE;
    return S_OK;
}

} // namespace

ComPtr<CShotCollection> CShotCollection::create()
{
    return platform::com::makeComObject<CShotCollection>();
}

void CShotCollection::setEvent(ComPtr<IEventParams> event)
{
    auto guard = lock();
    m_event = std::move(event);
}

ComPtr<CShotCollection> CShotCollection::sameEventCollection() const
{
    auto collection = create();
    collection->setEvent(m_event);
    return collection;
}

HRESULT CShotCollection::get_Item(LONG nShot, IShot** pVal)
{
    auto guard = lock();
    if (!pVal || *pVal) {
        return E_POINTER;
    }
    if (nShot < 1 || static_cast<std::size_t>(nShot) > m_shots.size()) {
        return E_INVALIDARG;
    }
    return m_shots[static_cast<std::size_t>(nShot - 1)].copyTo(pVal);
}

HRESULT CShotCollection::get_Count(LONG* pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = static_cast<LONG>(m_shots.size());
    return S_OK;
}

HRESULT CShotCollection::result(float& sum) const
{
    sum = 0;
    for (const ComPtr<IShot>& shot : m_shots) {
        float score = 0;
        RETURN_IF_FAILED(shot->get_Result(&score));
        sum += score;
    }
    return S_OK;
}

HRESULT CShotCollection::get_Result(float* pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    float sum = 0;
    const HRESULT hr = result(sum);
    *pVal = SUCCEEDED(hr) ? sum : 0.0f;
    return hr;
}

HRESULT CShotCollection::get_AverageResult(float* pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = 0;
    if (m_shots.empty()) {
        return S_OK;
    }
    float sum = 0;
    RETURN_IF_FAILED(result(sum));
    *pVal = sum / static_cast<float>(m_shots.size());
    return S_OK;
}

HRESULT CShotCollection::serieLength(LONG& length) const
{
    length = kDefaultSerieLength;
    if (m_event) {
        LONG perSerie = 0;
        RETURN_IF_FAILED(m_event->get_MaxShotsPerSerie(&perSerie));
        if (perSerie >= 1) {
            length = perSerie;
        }
    }
    return S_OK;
}

HRESULT CShotCollection::get_SerieCount(LONG* pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = 0;
    LONG length = 0;
    RETURN_IF_FAILED(serieLength(length));
    const auto count = static_cast<LONG>(m_shots.size());
    *pVal = count / length + (count % length != 0 ? 1 : 0);
    return S_OK;
}

HRESULT CShotCollection::get_Serie(LONG nSerie, IShotCollection** pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = nullptr;
    if (nSerie < 1) {
        return E_FAIL;
    }
    LONG length = 0;
    RETURN_IF_FAILED(serieLength(length));
    const auto count = static_cast<std::int64_t>(m_shots.size());
    const std::int64_t begin = std::min(count, (std::int64_t{nSerie} - 1) * length);
    const std::int64_t end = std::min(count, std::int64_t{nSerie} * length);
    auto serie = sameEventCollection();
    for (std::int64_t i = begin; i < end; ++i) {
        if (FAILED(serie->Add(m_shots[static_cast<std::size_t>(i)].get()))) {
            return E_FAIL;
        }
    }
    return serie.copyTo(pVal);
}

HRESULT CShotCollection::Add(IShot* Shot)
{
    auto guard = lock();
    if (!Shot) {
        return E_INVALIDARG;
    }
    ComPtr<IEventParams> event;
    RETURN_IF_FAILED(eventOf(*Shot, event));
    if (m_event && !isSameObject(m_event.get(), event.get())) {
        return E_INVALIDARG;
    }
    if (m_held.contains(Shot)) {
        return S_OK;
    }
    m_shots.emplace_back(Shot);
    m_held.add(Shot);
    if (!m_event) {
        m_event = std::move(event);
    }
    return S_OK;
}

HRESULT CShotCollection::subset(bool match, IShotCollection** pVal) const
{
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = nullptr;
    auto selected = sameEventCollection();
    for (const ComPtr<IShot>& shot : m_shots) {
        bool isMatch = false;
        RETURN_IF_FAILED(isMatchShot(*shot, isMatch));
        if (isMatch == match) {
            RETURN_IF_FAILED(selected->Add(shot.get()));
        }
    }
    return selected.copyTo(pVal);
}

HRESULT CShotCollection::get_Sighting(IShotCollection** pVal)
{
    auto guard = lock();
    return subset(/*match=*/false, pVal);
}

HRESULT CShotCollection::get_Match(IShotCollection** pVal)
{
    auto guard = lock();
    return subset(/*match=*/true, pVal);
}

HRESULT CShotCollection::Range(float firstSeconds, float lastSeconds, IRangeCollection** pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = nullptr;
    auto ranges = CRangeCollection::create();
    ranges->setEvent(m_event);
    for (const ComPtr<IShot>& shot : m_shots) {
        VARIANT_BOOL missed = VARIANT_FALSE;
        RETURN_IF_FAILED(shot->get_Missed(&missed));
        if (missed == VARIANT_TRUE) {
            continue;
        }
        ComPtr<IRange> range;
        if (FAILED(shot->Range(firstSeconds, lastSeconds, range.put())) || FAILED(ranges->Add(range.get()))) {
            return E_FAIL;
        }
    }
    return ranges.copyTo(pVal);
}

HRESULT CShotCollection::get_Event(IEventParams** pVal)
{
    auto guard = lock();
    return m_event.copyTo(pVal);
}

HRESULT CShotCollection::get__NewEnum(IUnknown** pVal)
{
    auto guard = lock();
    return enumerateObjects(m_shots, pVal);
}

} // namespace talvodata
