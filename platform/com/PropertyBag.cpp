#include "platform/com/PropertyBag.h"

#include <algorithm>

namespace platform::com {

namespace {

std::u16string_view nameOf(const OLECHAR* name)
{
    return name ? std::u16string_view(name) : std::u16string_view();
}

} // namespace

HRESULT PropertyBag::Read(const OLECHAR* name, VARIANT* value, IErrorLog* /*errorLog*/)
{
    if (!name || !value) {
        return E_POINTER;
    }
    auto guard = lock();
    const auto found =
        std::find_if(m_values.begin(), m_values.end(), [&](const auto& entry) { return entry.first == nameOf(name); });
    if (found == m_values.end()) {
        return E_INVALIDARG;
    }
    const VARTYPE wanted = value->vt;
    Variant result = found->second;
    if (wanted != VT_EMPTY && wanted != result.type()) {
        RETURN_IF_FAILED(result.changeType(wanted));
    }
    (void)VariantClear(value); // The caller's value is replaced; clearing owned storage cannot fail.
    *value = result.detach();
    return S_OK;
}

HRESULT PropertyBag::Write(const OLECHAR* name, VARIANT* value)
{
    if (!name || !value) {
        return E_POINTER;
    }
    Variant copy;
    RETURN_IF_FAILED(VariantCopyInd(copy.put(), value));
    auto guard = lock();
    const auto found =
        std::find_if(m_values.begin(), m_values.end(), [&](const auto& entry) { return entry.first == nameOf(name); });
    if (found != m_values.end()) {
        found->second = std::move(copy);
    } else {
        m_values.emplace_back(std::u16string(nameOf(name)), std::move(copy));
    }
    return S_OK;
}

std::vector<std::u16string> PropertyBag::names() const
{
    auto guard = lock();
    std::vector<std::u16string> result;
    for (const auto& entry : m_values) {
        result.push_back(entry.first);
    }
    return result;
}

} // namespace platform::com
