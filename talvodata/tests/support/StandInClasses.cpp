#include "StandInClasses.h"

#include "talvodata/RegisterEvents.h"

#include "interfaces/talvodata/IEventManager.h"
#include "interfaces/talvodata/IShotCollection.h"
#include "platform/com/Bstr.h"
#include "platform/com/ClassTable.h"
#include "platform/com/ComObject.h"

#include <map>
#include <string>
#include <vector>

namespace talvodata::testsupport {
namespace {

using platform::com::Bstr;
using platform::com::ComPtr;

class StandInEventManager final : public platform::com::ComObject<IEventManager> {
public:
    StandInEventManager()
    {
        const std::pair<const char*, const char*> shipped[] = {
            {"AR10", "Air Rifle 10 Meters"},
            {"AP10", "Air Pistol 10 Meters"},
            {"SBR50", "Smallbore Free Rifle three Positions 50 Meters"},
            {"SBP50", "Smallbore Pistol 50 meters"}};
        for (const auto& [shortName, name] : shipped) {
            ComPtr<IEventParams> event;
            if (SUCCEEDED(
                    CoCreateInstance(CLSID_EventParams, nullptr, CLSCTX_ALL, IEventParams::kIid, event.putVoid()))) {
                (void)event->put_ShortName(Bstr(shortName).get());
                (void)event->put_Name(Bstr(name).get());
                m_events.emplace(shortName, event);
            }
        }
    }

    HRESULT FindByShortName(BSTR ShortName, IEventParams** pVal) override
    {
        *pVal = nullptr;
        const auto it = m_events.find(Bstr::copyOf(ShortName).toUtf8());
        if (it == m_events.end()) {
            return S_FALSE;
        }
        return it->second.copyTo(pVal);
    }
    HRESULT get_Item(LONG, IEventParams**) override { return E_NOTIMPL; }
    HRESULT get_Count(LONG*) override { return E_NOTIMPL; }
    HRESULT Add(BSTR, IEventParams**) override { return E_NOTIMPL; }
    HRESULT Find(BSTR, IEventParams**) override { return E_NOTIMPL; }
    HRESULT get__NewEnum(IUnknown**) override { return E_NOTIMPL; }

    static ComPtr<StandInEventManager> create() { return platform::com::makeComObject<StandInEventManager>(); }

private:
    ~StandInEventManager() override = default;

    std::map<std::string, ComPtr<IEventParams>> m_events;
};

class StandInShotCollection final : public platform::com::ComObject<IShotCollection> {
public:
    HRESULT Add(IShot* Shot) override
    {
        m_shots.emplace_back(Shot);
        return S_OK;
    }
    HRESULT get_Count(LONG* pVal) override
    {
        *pVal = static_cast<LONG>(m_shots.size());
        return S_OK;
    }
    HRESULT get_Item(LONG nShot, IShot** pVal) override
    {
        if (nShot < 1 || static_cast<std::size_t>(nShot) > m_shots.size()) {
            return E_INVALIDARG;
        }
        return m_shots[static_cast<std::size_t>(nShot - 1)].copyTo(pVal);
    }
    HRESULT get_Match(IShotCollection** pVal) override { return subset(VARIANT_TRUE, pVal); }
    HRESULT get_Sighting(IShotCollection** pVal) override { return subset(VARIANT_FALSE, pVal); }
    HRESULT get_Result(float*) override { return E_NOTIMPL; }
    HRESULT get_AverageResult(float*) override { return E_NOTIMPL; }
    HRESULT get_SerieCount(LONG*) override { return E_NOTIMPL; }
    HRESULT get_Serie(LONG, IShotCollection**) override { return E_NOTIMPL; }
    HRESULT Range(float, float, IRangeCollection**) override { return E_NOTIMPL; }
    HRESULT get_Event(IEventParams**) override { return E_NOTIMPL; }
    HRESULT get__NewEnum(IUnknown**) override { return E_NOTIMPL; }

    static ComPtr<StandInShotCollection> create() { return platform::com::makeComObject<StandInShotCollection>(); }

private:
    ~StandInShotCollection() override = default;

    HRESULT subset(VARIANT_BOOL match, IShotCollection** pVal)
    {
        auto result = create();
        for (const ComPtr<IShot>& shot : m_shots) {
            ComPtr<IAimingAttr> attributes;
            VARIANT_BOOL shotMatch = VARIANT_FALSE;
            if (SUCCEEDED(shot->get_Attr(attributes.put())) && SUCCEEDED(attributes->get_Match(&shotMatch)) &&
                shotMatch == match) {
                result->m_shots.push_back(shot);
            }
        }
        *pVal = result.detach();
        return S_OK;
    }

    std::vector<ComPtr<IShot>> m_shots;
};

} // namespace

void registerStandInsWhereMissing()
{
    auto& table = platform::com::ClassTable::instance();
    if (!table.isRegistered(CLSID_EventParams)) {
        registerEventClasses(table);
    }
    if (!table.isRegistered(CLSID_EventManager)) {
        table.registerClass({CLSID_EventManager, "TalvoData.EventManager.1", "TalvoData.EventManager",
                             platform::com::creatorOf<StandInEventManager>(), platform::com::Instancing::Singleton});
    }
    if (!table.isRegistered(CLSID_ShotCollection)) {
        table.registerClass({CLSID_ShotCollection, "TalvoData.ShotCollection.1", "TalvoData.ShotCollection",
                             platform::com::creatorOf<StandInShotCollection>()});
    }
}

} // namespace talvodata::testsupport
