#pragma once

#include "platform/com/ObjectIdentity.h"
#include "talvodata/PersistentObject.h"

#include "interfaces/talvodata/IAimingCollection.h"
#include "interfaces/talvodata/IEventManager.h"
#include "interfaces/talvodata/IEventParams.h"
#include "platform/com/ClassInfo.h"
#include "platform/com/ComPtr.h"
#include "platform/com/ConnectionPoint.h"
#include "platform/com/Result.h"

#include <unordered_map>
#include <vector>

namespace talvodata {

/// The ordered aimings of one practice, all of one event, sighting aimings ahead of match aimings; stored inside
/// the document as one record, with Progress fired for each aiming saved or loaded.
/// Thread rule: any thread; every method holds the object's lock, and Progress sinks are called with it held.
class CAimingCollection final
    : public PersistentObject<IAimingCollection, IConnectionPointContainer,
                              platform::com::ProvidesClassInfo<IProvideClassInfo2, DIID__IAimingCollectionEvents>> {
public:
    explicit CAimingCollection(platform::com::ComPtr<IEventManager> events);
    /// Fails when the event manager cannot be made.
    static platform::Result<platform::com::ComPtr<CAimingCollection>> create();

    HRESULT get_Item(LONG nIndex, IAiming** pVal) override;
    HRESULT get_Count(LONG* pVal) override;
    HRESULT get_Event(IEventParams** pVal) override;
    HRESULT put_Event(IEventParams* newVal) override;
    HRESULT get_Shots(VARIANT_BOOL IncludeHidden, IShotCollection** pVal) override;
    HRESULT Add(IAiming* Aiming) override;
    HRESULT get_Sighting(IAimingCollection** pVal) override;
    HRESULT get_Match(IAimingCollection** pVal) override;
    HRESULT FindAiming(IShot* Shot, IAiming** pVal) override;
    HRESULT AddMissed(VARIANT_BOOL Match, IAiming** pVal) override;
    HRESULT get__NewEnum(IUnknown** pVal) override;
    HRESULT get_ReadErrorMsg(BSTR* pVal) override;

    HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** point) override;

    static constexpr std::int32_t kRecordVersion = 2;

private:
    ~CAimingCollection() override;

    const CLSID& persistentClassId() const override;
    HRESULT saveRecord(IStream* stream) override;
    HRESULT loadRecord(IStream* stream) override;

    /// The aimings whose attributes' Match equals `match`, in a new collection of the same event.
    HRESULT subCollection(bool match, IAimingCollection** pVal);
    /// Whether one of `aiming`'s shots is the object `identity`.
    static HRESULT holdsShot(IAiming& aiming, IUnknown* identity, bool& holds);
    /// Fills the shot-owner map afresh from every aiming held.
    HRESULT mapShotOwners();

    platform::com::ComPtr<IEventManager> m_events;
    platform::com::ComPtr<IEventParams> m_event;
    std::vector<platform::com::ComPtr<IAiming>> m_aimings;
    platform::com::IdentitySet m_held;
    /// The aiming holding each shot, by the shot's identity: a cache for FindAiming, so that looking up every shot
    /// in turn walks the aimings once, not once per shot. Its aimings are held in m_aimings.
    std::unordered_map<IUnknown*, IAiming*> m_shotOwners;
    platform::com::Bstr m_readErrorMsg;
    platform::com::ComPtr<platform::com::ConnectionPoint> m_progress;
};

} // namespace talvodata
