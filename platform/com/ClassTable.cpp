#include "platform/com/ClassTable.h"

#include "platform/com/Bstr.h"
#include "platform/com/Result.h"
#include "platform/text/Ascii.h"

#include <algorithm>
#include <vector>

namespace platform::com {

using text::equalsIgnoringAsciiCase;
ClassTable& ClassTable::instance()
{
    static ClassTable table;
    return table;
}

void ClassTable::registerClass(ClassRegistration registration)
{
    std::lock_guard guard(m_mutex);
    const CLSID classId = registration.classId;
    m_entries.insert_or_assign(classId, Entry{std::move(registration), nullptr});
}

void ClassTable::clear()
{
    std::vector<ComPtr<IUnknown>> singletons;
    {
        std::lock_guard guard(m_mutex);
        for (auto& [classId, entry] : m_entries) {
            singletons.push_back(std::move(entry.singleton));
        }
        m_entries.clear();
    }
}

HRESULT ClassTable::createInstance(REFCLSID classId, REFIID riid, void** object)
{
    if (!object) {
        return E_POINTER;
    }
    *object = nullptr;
    ClassCreator create;
    Instancing instancing = Instancing::PerCall;
    {
        std::lock_guard guard(m_mutex);
        const auto it = m_entries.find(classId);
        if (it == m_entries.end()) {
            return REGDB_E_CLASSNOTREG;
        }
        if (it->second.singleton) {
            return it->second.singleton->QueryInterface(riid, object);
        }
        create = it->second.registration.create;
        instancing = it->second.registration.instancing;
    }
    if (instancing == Instancing::PerCall) {
        return create(riid, object);
    }

    std::lock_guard creationGuard(m_singletonCreation);
    {
        std::lock_guard guard(m_mutex);
        const auto it = m_entries.find(classId);
        if (it != m_entries.end() && it->second.singleton) {
            return it->second.singleton->QueryInterface(riid, object); // Another thread made it meanwhile.
        }
    }
    ComPtr<IUnknown> made;
    RETURN_IF_FAILED(create(IUnknown::kIid, made.putVoid()));
    {
        std::lock_guard guard(m_mutex);
        const auto it = m_entries.find(classId);
        if (it != m_entries.end()) {
            it->second.singleton = made;
        }
    }
    return made->QueryInterface(riid, object);
}

std::optional<CLSID> ClassTable::classIdFromProgId(std::string_view progId) const
{
    std::lock_guard guard(m_mutex);
    for (const auto& [classId, entry] : m_entries) {
        if (equalsIgnoringAsciiCase(entry.registration.progId, progId) ||
            equalsIgnoringAsciiCase(entry.registration.versionIndependentProgId, progId)) {
            return classId;
        }
    }
    return std::nullopt;
}

bool ClassTable::isRegistered(REFCLSID classId) const
{
    std::lock_guard guard(m_mutex);
    return m_entries.contains(classId);
}

bool ClassTable::isStoredValueClass(REFCLSID classId) const
{
    std::lock_guard guard(m_mutex);
    const auto it = m_entries.find(classId);
    return it != m_entries.end() && it->second.registration.streaming == Streaming::AsStoredValue;
}

} // namespace platform::com

HRESULT CoCreateInstance(REFCLSID classId, IUnknown* outer, DWORD /*context*/, REFIID riid, void** object)
{
    if (object) {
        *object = nullptr;
    }
    if (outer) {
        return CLASS_E_NOAGGREGATION;
    }
    return platform::com::ClassTable::instance().createInstance(classId, riid, object);
}

HRESULT CLSIDFromProgID(const OLECHAR* progId, CLSID* classId)
{
    if (!progId || !classId) {
        return E_INVALIDARG;
    }
    std::u16string_view text(progId);
    const auto found = platform::com::ClassTable::instance().classIdFromProgId(platform::com::utf16ToUtf8(text));
    if (!found) {
        *classId = GUID_NULL;
        return CO_E_CLASSSTRING;
    }
    *classId = *found;
    return S_OK;
}
