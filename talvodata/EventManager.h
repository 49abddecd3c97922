#pragma once

#include "talvodata/EventParams.h"

#include "interfaces/talvodata/IEventManager.h"
#include "platform/com/ClassInfo.h"
#include "platform/com/ComObject.h"
#include "platform/com/ComPtr.h"

#include <filesystem>
#include <vector>

namespace talvodata {

/// The shooting events known to the process: those read from the event-definition files when the manager was
/// made, then those added. The class table hands out one manager per process.
/// Thread rule: any thread; every method holds the manager's lock, and calls into events take theirs.
class CEventManager final : public platform::com::ComObject<IEventManager, ISupportErrorInfo> {
public:
    /// Reads the events folder (EventsFolder.h).
    static platform::com::ComPtr<CEventManager> create();
    /// Reads every "*.evl" file of `folder` in name order; files that do not read are skipped, and a missing
    /// folder gives an empty list.
    static platform::com::ComPtr<CEventManager> createFromFolder(const std::filesystem::path& folder);

    HRESULT get_Item(LONG nIndex, IEventParams** pVal) override;
    HRESULT get_Count(LONG* pVal) override;
    HRESULT Add(BSTR ShortName, IEventParams** pVal) override;
    HRESULT Find(BSTR Name, IEventParams** pVal) override;
    HRESULT FindByShortName(BSTR ShortName, IEventParams** pVal) override;
    HRESULT get__NewEnum(IUnknown** pVal) override;

    HRESULT InterfaceSupportsErrorInfo(REFIID riid) override;

private:
    CEventManager() = default;
    ~CEventManager() override = default;

    void readFolder(const std::filesystem::path& folder);

    std::vector<platform::com::ComPtr<CEventParams>> m_events;
};

} // namespace talvodata
