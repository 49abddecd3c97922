#include "talvodata/EventManager.h"

#include "talvodata/EventFile.h"
#include "talvodata/EventsFolder.h"
#include "talvodata/ShortNameMatch.h"

#include "platform/com/EnumVariant.h"
#include "platform/com/Property.h"
#include "platform/text/Ascii.h"

#include <algorithm>
#include <system_error>

namespace talvodata {

using platform::com::Bstr;
using platform::com::ComPtr;
using platform::com::copyProperty;
using platform::com::Variant;

namespace {

bool isEventFile(const std::filesystem::directory_entry& entry)
{
    const std::string name = entry.path().filename().string();
    std::error_code error;
    // Names beginning with "." are the temporary files of saves still in progress.
    return platform::text::equalsIgnoringAsciiCase(entry.path().extension().string(), ".evl") &&
           !name.starts_with(".") && entry.is_regular_file(error);
}

Bstr synonymsOf(IEventParams& event)
{
    Variant synonyms;
    if (FAILED(event.get_Value(Bstr("synonym").get(), synonyms.put())) || synonyms.type() != VT_BSTR) {
        return Bstr();
    }
    return Bstr::copyOf(synonyms.get().bstrVal);
}

HRESULT handOut(const ComPtr<CEventParams>& event, IEventParams** pVal)
{
    return ComPtr<IEventParams>(event).copyTo(pVal);
}

} // namespace

ComPtr<CEventManager> CEventManager::create()
{
    return createFromFolder(eventsFolder());
}

ComPtr<CEventManager> CEventManager::createFromFolder(const std::filesystem::path& folder)
{
    ComPtr<CEventManager> manager(new CEventManager());
    manager->readFolder(folder);
    return manager;
}

void CEventManager::readFolder(const std::filesystem::path& folder)
{
    std::error_code error;
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (isEventFile(entry)) {
            files.push_back(entry.path());
        }
    }
    // Name order, as the designed platform lists a folder, so the first of two events with one short name is
    // the same on every machine.
    std::sort(files.begin(), files.end());
    for (const auto& file : files) {
        if (auto event = readEventFile(file)) {
            m_events.push_back(std::move(event.value()));
        }
    }
}

HRESULT CEventManager::get_Item(LONG nIndex, IEventParams** pVal)
{
    auto guard = lock();
    if (!pVal || *pVal) {
        return E_POINTER;
    }
    if (nIndex < 1 || static_cast<std::size_t>(nIndex) > m_events.size()) {
        return E_INVALIDARG;
    }
    return handOut(m_events[nIndex - 1], pVal);
}

HRESULT CEventManager::get_Count(LONG* pVal)
{
    auto guard = lock();
    return copyProperty(static_cast<LONG>(m_events.size()), pVal);
}

HRESULT CEventManager::Add(BSTR ShortName, IEventParams** pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = nullptr;
    auto event = CEventParams::create();
    RETURN_IF_FAILED(event->put_ShortName(ShortName));
    m_events.push_back(event);
    return handOut(event, pVal);
}

HRESULT CEventManager::Find(BSTR Name, IEventParams** pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = nullptr;
    const Bstr wanted = Bstr::copyOf(Name);
    for (const auto& event : m_events) {
        Bstr name;
        if (SUCCEEDED(event->get_Name(name.put())) && !name.isNull() && !wanted.isNull() && name == wanted) {
            return handOut(event, pVal);
        }
    }
    return S_FALSE;
}

HRESULT CEventManager::FindByShortName(BSTR ShortName, IEventParams** pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = nullptr;
    const Bstr wanted = Bstr::copyOf(ShortName);
    for (const auto& event : m_events) {
        Bstr shortName;
        if (FAILED(event->get_ShortName(shortName.put()))) {
            continue;
        }
        if (isShortName(wanted.view(), shortName.view()) || isSynonym(wanted.view(), synonymsOf(*event).view())) {
            return handOut(event, pVal);
        }
    }
    return S_FALSE;
}

HRESULT CEventManager::get__NewEnum(IUnknown** pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    std::vector<Variant> items;
    items.reserve(m_events.size());
    for (const auto& event : m_events) {
        items.push_back(Variant::fromDispatch(event.get()));
    }
    *pVal = platform::com::makeComObject<platform::com::EnumVariant>(std::move(items)).detach()->unknown();
    return S_OK;
}

HRESULT CEventManager::InterfaceSupportsErrorInfo(REFIID riid)
{
    return riid == IEventManager::kIid ? S_OK : S_FALSE;
}

} // namespace talvodata
