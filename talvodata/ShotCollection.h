#pragma once

#include "platform/com/ObjectIdentity.h"

#include "interfaces/talvodata/IEventParams.h"
#include "interfaces/talvodata/IShotCollection.h"
#include "platform/com/ComObject.h"
#include "platform/com/ComPtr.h"

#include <vector>

namespace talvodata {

/// An ordered selection of shots of one event: their results, series, sighting and match subsets and the
/// range collection of windows around them. Only grows; never stored. Thread rule: any thread; every method
/// holds the object's lock.
class CShotCollection final : public platform::com::ComObject<IShotCollection> {
public:
    CShotCollection() = default;
    static platform::com::ComPtr<CShotCollection> create();

    /// The event every shot added must belong to; set before the first `Add`.
    void setEvent(platform::com::ComPtr<IEventParams> event);

    HRESULT get_Item(LONG nShot, IShot** pVal) override;
    HRESULT get_Count(LONG* pVal) override;
    /// A shot that cannot be scored makes the sum fail.
    HRESULT get_Result(float* pVal) override;
    HRESULT get_AverageResult(float* pVal) override;
    /// Series are the event's shots per series long, 10 when that is below 1 or there is no event yet.
    HRESULT get_SerieCount(LONG* pVal) override;
    /// E_FAIL below series 1; past the last series an empty collection.
    HRESULT get_Serie(LONG nSerie, IShotCollection** pVal) override;
    /// E_INVALIDARG for a null shot or one of another event (a shot without an event counts as another when the
    /// collection has one); S_OK without adding for a shot already held.
    HRESULT Add(IShot* Shot) override;
    HRESULT get_Sighting(IShotCollection** pVal) override;
    HRESULT get_Match(IShotCollection** pVal) override;
    /// The windows of the shots that were not missed; E_FAIL when one of them cannot be made or added.
    HRESULT Range(float firstSeconds, float lastSeconds, IRangeCollection** pVal) override;
    HRESULT get_Event(IEventParams** pVal) override;
    HRESULT get__NewEnum(IUnknown** pVal) override;

private:
    ~CShotCollection() override = default;

    platform::com::ComPtr<CShotCollection> sameEventCollection() const;
    HRESULT result(float& sum) const;
    HRESULT serieLength(LONG& length) const;
    HRESULT subset(bool match, IShotCollection** pVal) const;

    std::vector<platform::com::ComPtr<IShot>> m_shots;
    platform::com::IdentitySet m_held;
    platform::com::ComPtr<IEventParams> m_event;
};

} // namespace talvodata
