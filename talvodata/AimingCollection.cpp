#include "talvodata/AimingCollection.h"

#include "platform/com/ObjectIdentity.h"
#include "platform/com/StreamForms.h"
#include "talvodata/Aiming.h"
#include "talvodata/ProgressRelay.h"
#include "talvodata/ShotCollection.h"

#include "interfaces/talvodata/DispIds.h"
#include "platform/com/ClassTable.h"
#include "platform/com/EnumVariant.h"
#include "platform/com/Property.h"
#include "platform/time/OleDate.h"

namespace talvodata {

using platform::com::Bstr;
using platform::com::bytesLeft;
using platform::com::ComPtr;
using platform::com::copyRequired;
using platform::com::identityOf;
using platform::com::isSameObject;
using platform::com::Notify;
using platform::com::readBstr;
using platform::com::readInt32;
using platform::com::readObject;
using platform::com::Variant;
using platform::com::writeBstr;
using platform::com::writeInt32;
using platform::com::writeObject;

namespace {

/// A sighting aiming is one whose attributes say Match false; unreadable attributes count as a match, the default.
bool isMatchAiming(IAiming& aiming)
{
    ComPtr<IAimingAttr> attributes;
    VARIANT_BOOL match = VARIANT_TRUE;
    if (SUCCEEDED(aiming.get_Attr(attributes.put())) && attributes) {
        (void)attributes->get_Match(&match); // On failure the default stays.
    }
    return match != VARIANT_FALSE;
}

ComPtr<IEventParams> eventOf(IAiming& aiming)
{
    ComPtr<IAimingAttr> attributes;
    ComPtr<IEventParams> event;
    if (SUCCEEDED(aiming.get_Attr(attributes.put())) && attributes && FAILED(attributes->get_Event(event.put()))) {
        event.reset();
    }
    return event;
}

} // namespace

CAimingCollection::CAimingCollection(ComPtr<IEventManager> events)
    : m_events(std::move(events)),
      m_progress(platform::com::makeComObject<platform::com::ConnectionPoint>(this, _IAimingCollectionEvents::kIid))
{
}

CAimingCollection::~CAimingCollection()
{
    m_progress->detachContainer();
}

platform::Result<ComPtr<CAimingCollection>> CAimingCollection::create()
{
    ComPtr<IEventManager> events;
    const HRESULT hr = CoCreateInstance(CLSID_EventManager, nullptr, CLSCTX_ALL, IEventManager::kIid, events.putVoid());
    if (FAILED(hr)) {
        return platform::Error{hr, "the event manager cannot be made"};
    }
    return platform::com::makeComObject<CAimingCollection>(std::move(events));
}

const CLSID& CAimingCollection::persistentClassId() const
{
    return CLSID_AimingCollection;
}

HRESULT CAimingCollection::FindConnectionPoint(REFIID riid, IConnectionPoint** point)
{
    if (!point) {
        return E_POINTER;
    }
    *point = nullptr;
    if (riid != _IAimingCollectionEvents::kIid) {
        return CONNECT_E_NOCONNECTION;
    }
    return ComPtr<IConnectionPoint>(m_progress).copyTo(point);
}

HRESULT CAimingCollection::get_Item(LONG nIndex, IAiming** pVal)
{
    auto guard = lock();
    if (!pVal || *pVal) {
        return E_POINTER;
    }
    if (nIndex < 1 || static_cast<std::size_t>(nIndex) > m_aimings.size()) {
        return E_INVALIDARG;
    }
    return m_aimings[static_cast<std::size_t>(nIndex - 1)].copyTo(pVal);
}

HRESULT CAimingCollection::get_Count(LONG* pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = static_cast<LONG>(m_aimings.size());
    return S_OK;
}

HRESULT CAimingCollection::get_Event(IEventParams** pVal)
{
    auto guard = lock();
    return copyRequired(m_event, pVal);
}

HRESULT CAimingCollection::put_Event(IEventParams* newVal)
{
    return putChecked(m_event, ComPtr<IEventParams>(newVal), newVal != nullptr, Notify::Always, markDirty());
}

HRESULT CAimingCollection::get_Shots(VARIANT_BOOL IncludeHidden, IShotCollection** pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = nullptr;
    ComPtr<CShotCollection> shots = CShotCollection::create();
    shots->setEvent(m_event);
    for (const ComPtr<IAiming>& aiming : m_aimings) {
        LONG count = 0;
        RETURN_IF_FAILED(aiming->get_ShotCount(&count));
        for (LONG i = 1; i <= count; ++i) {
            ComPtr<IShot> shot;
            RETURN_IF_FAILED(aiming->get_Shot(i, shot.put()));
            VARIANT_BOOL hidden = VARIANT_FALSE;
            RETURN_IF_FAILED(shot->get_Hidden(&hidden));
            if (IncludeHidden == 0 && hidden == VARIANT_TRUE) {
                continue;
            }
            RETURN_IF_FAILED(shots->Add(shot.get()));
        }
    }
    *pVal = shots.detach();
    return S_OK;
}

HRESULT CAimingCollection::Add(IAiming* Aiming)
{
    auto guard = lock();
    if (!Aiming) {
        return E_INVALIDARG;
    }
    ComPtr<IEventParams> event = eventOf(*Aiming);
    if (m_event && !isSameObject(m_event.get(), event.get())) {
        return E_INVALIDARG;
    }
    if (m_held.contains(Aiming)) {
        return S_OK;
    }
    auto position = m_aimings.end();
    if (!isMatchAiming(*Aiming)) {
        // Behind the leading sighting aimings, ahead of every match aiming.
        position = m_aimings.begin();
        while (position != m_aimings.end() && !isMatchAiming(**position)) {
            ++position;
        }
    }
    m_aimings.insert(position, ComPtr<IAiming>(Aiming));
    m_held.add(Aiming);
    if (!m_event) {
        m_event = std::move(event);
    }
    setDirty();
    return S_OK;
}

HRESULT CAimingCollection::subCollection(bool match, IAimingCollection** pVal)
{
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = nullptr;
    auto created = create();
    if (!created) {
        return toHresult(created);
    }
    ComPtr<CAimingCollection> result = std::move(created).value();
    if (m_event) {
        RETURN_IF_FAILED(result->put_Event(m_event.get()));
    }
    for (const ComPtr<IAiming>& aiming : m_aimings) {
        if (isMatchAiming(*aiming) == match) {
            RETURN_IF_FAILED(result->Add(aiming.get()));
        }
    }
    *pVal = result.detach();
    return S_OK;
}

HRESULT CAimingCollection::get_Sighting(IAimingCollection** pVal)
{
    auto guard = lock();
    return subCollection(/*match=*/false, pVal);
}

HRESULT CAimingCollection::get_Match(IAimingCollection** pVal)
{
    auto guard = lock();
    return subCollection(/*match=*/true, pVal);
}

HRESULT CAimingCollection::FindAiming(IShot* Shot, IAiming** pVal)
{
    auto guard = lock();
    if (!Shot || !pVal) {
        return E_POINTER;
    }
    *pVal = nullptr;
    IUnknown* const identity = identityOf(Shot);
    // An entry may be stale (shots come and go inside the aimings): it counts only once its aiming confirms it.
    if (const auto known = m_shotOwners.find(identity); known != m_shotOwners.end()) {
        bool holds = false;
        RETURN_IF_FAILED(holdsShot(*known->second, identity, holds));
        if (holds) {
            return ComPtr<IAiming>(known->second).copyTo(pVal);
        }
    }
    RETURN_IF_FAILED(mapShotOwners());
    const auto found = m_shotOwners.find(identity);
    return found == m_shotOwners.end() ? S_OK : ComPtr<IAiming>(found->second).copyTo(pVal);
}

HRESULT CAimingCollection::holdsShot(IAiming& aiming, IUnknown* identity, bool& holds)
{
    holds = false;
    LONG count = 0;
    RETURN_IF_FAILED(aiming.get_ShotCount(&count));
    for (LONG i = 1; i <= count && !holds; ++i) {
        ComPtr<IShot> shot;
        RETURN_IF_FAILED(aiming.get_Shot(i, shot.put()));
        holds = identityOf(shot.get()) == identity;
    }
    return S_OK;
}

HRESULT CAimingCollection::mapShotOwners()
{
    m_shotOwners.clear();
    for (const ComPtr<IAiming>& aiming : m_aimings) {
        LONG count = 0;
        RETURN_IF_FAILED(aiming->get_ShotCount(&count));
        for (LONG i = 1; i <= count; ++i) {
            ComPtr<IShot> shot;
            RETURN_IF_FAILED(aiming->get_Shot(i, shot.put()));
            m_shotOwners.emplace(identityOf(shot.get()), aiming.get()); // The first aiming holding it wins.
        }
    }
    return S_OK;
}

HRESULT CAimingCollection::AddMissed(VARIANT_BOOL Match, IAiming** pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = nullptr;
    if (!m_event) {
        return E_UNEXPECTED;
    }
    auto created = CAiming::create();
    if (!created) {
        return toHresult(created);
    }
    ComPtr<IAiming> aiming = std::move(created).value();
    ComPtr<IAimingTrace> trace;
    ComPtr<IAimingAttr> attributes;
    RETURN_IF_FAILED(aiming->get_Trace(trace.put()));
    RETURN_IF_FAILED(trace->put_ReadOnly(VARIANT_TRUE));
    RETURN_IF_FAILED(aiming->get_Attr(attributes.put()));
    RETURN_IF_FAILED(attributes->put_SampleRate(200));
    RETURN_IF_FAILED(attributes->put_Event(m_event.get()));
    RETURN_IF_FAILED(attributes->put_Match(Match));
    ComPtr<IShot> shot;
    RETURN_IF_FAILED(aiming->AddShot(VARIANT_TRUE, shot.put()));
    const DATE now = platform::time::nowLocal();
    RETURN_IF_FAILED(shot->put_ShotTime(now));
    RETURN_IF_FAILED(attributes->put_EnterTime(now));
    RETURN_IF_FAILED(Add(aiming.get()));
    *pVal = aiming.detach();
    return S_OK;
}

HRESULT CAimingCollection::get__NewEnum(IUnknown** pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    std::vector<Variant> aimings;
    aimings.reserve(m_aimings.size());
    for (const ComPtr<IAiming>& aiming : m_aimings) {
        aimings.push_back(Variant::fromDispatch(aiming.get()));
    }
    return platform::com::makeComObject<platform::com::EnumVariant>(std::move(aimings)).copyTo(pVal);
}

HRESULT CAimingCollection::get_ReadErrorMsg(BSTR* pVal)
{
    auto guard = lock();
    return m_readErrorMsg.copyTo(pVal);
}

HRESULT CAimingCollection::saveRecord(IStream* stream)
{
    // Without an event the record could not be read back as a practice: nothing is written.
    if (!m_event) {
        return E_UNEXPECTED;
    }
    Bstr shortName;
    RETURN_IF_FAILED(m_event->get_ShortName(shortName.put()));
    const auto count = static_cast<LONG>(m_aimings.size());
    RETURN_IF_FAILED(writeInt32(stream, kRecordVersion));
    RETURN_IF_FAILED(writeInt32(stream, count));
    RETURN_IF_FAILED(writeBstr(stream, shortName.get()));
    for (LONG i = 0; i < count; ++i) {
        fireProgress(*m_progress, i + 1, count);
        RETURN_IF_FAILED(writeObject(stream, m_aimings[static_cast<std::size_t>(i)].get()));
    }
    return S_OK;
}

HRESULT CAimingCollection::loadRecord(IStream* stream)
{
    m_aimings.clear();
    m_held.clear();
    m_shotOwners.clear();
    m_event.reset();
    m_readErrorMsg = Bstr();
    std::int32_t version = 0;
    std::int32_t count = 0;
    RETURN_IF_FAILED(readInt32(stream, version));
    if (version < 0 || version > kRecordVersion) {
        return E_FAIL;
    }
    RETURN_IF_FAILED(readInt32(stream, count));
    Bstr shortName;
    RETURN_IF_FAILED(readBstr(stream, shortName));
    ComPtr<IEventParams> event;
    if (m_events->FindByShortName(shortName.get(), event.put()) != S_OK || !event) {
        m_readErrorMsg = Bstr(u"Missing shooting event " + std::u16string(shortName.view()) +
                              u". Please install it and restart the program.");
        return E_FAIL;
    }
    m_event = std::move(event);
    if (version == 1) {
        std::int32_t ignored = 0;
        RETURN_IF_FAILED(readInt32(stream, ignored));
    }
    std::uint64_t left = 0;
    constexpr std::uint64_t kSmallestAiming = 16 + 4; // A class identifier and a version.
    RETURN_IF_FAILED(bytesLeft(stream, left));
    if (count < 0 || static_cast<std::uint64_t>(count) * kSmallestAiming > left) {
        return E_FAIL;
    }
    for (std::int32_t i = 0; i < count; ++i) {
        fireProgress(*m_progress, i + 1, count);
        auto created = CAiming::create();
        if (!created) {
            return toHresult(created);
        }
        ComPtr<IAiming> aiming = std::move(created).value();
        if (FAILED(readObject(stream, aiming.get())) || FAILED(Add(aiming.get()))) {
            return E_FAIL;
        }
    }
    return S_OK;
}

} // namespace talvodata
