#include "talvodata/NamedValues.h"

#include "platform/com/StreamForms.h"
#include "platform/com/StringOrder.h"

#include <iterator>

namespace talvodata {

using platform::com::Bstr;
using platform::com::bytesLeft;
using platform::com::readBstr;
using platform::com::readInt32;
using platform::com::readVariant;
using platform::com::Variant;
using platform::com::writeBstr;
using platform::com::writeInt32;
using platform::com::writeVariant;

bool NamedValues::KeyOrder::operator()(const Bstr& left, const Bstr& right) const
{
    return VarBstrCmp(left.get(), right.get(), LOCALE_USER_DEFAULT, 0) == VARCMP_LT;
}

HRESULT NamedValues::get(BSTR key, VARIANT* value) const
{
    if (!value) {
        return E_POINTER;
    }
    VariantInit(value);
    const auto it = m_entries.find(Bstr::copyOf(key));
    if (it == m_entries.end()) {
        return S_OK;
    }
    return it->second.copyTo(value);
}

HRESULT NamedValues::put(BSTR key, const VARIANT& value, bool& changed)
{
    changed = false;
    Bstr ownKey = Bstr::copyOf(key);
    if (value.vt == VT_EMPTY) {
        changed = m_entries.erase(ownKey) > 0;
        return S_OK;
    }
    // A by-reference value points into the caller's memory, which will not outlive the bag.
    Variant stored;
    RETURN_IF_FAILED(VariantCopyInd(stored.put(), &value));
    m_entries.insert_or_assign(std::move(ownKey), std::move(stored));
    changed = true;
    return S_OK;
}

bool NamedValues::contains(BSTR key) const
{
    return m_entries.contains(Bstr::copyOf(key));
}

HRESULT NamedValues::entryAt(LONG index, BSTR* key, VARIANT* value) const
{
    if (!key || !value) {
        return E_POINTER;
    }
    *key = nullptr;
    VariantInit(value);
    if (index < 0 || static_cast<std::size_t>(index) >= m_entries.size()) {
        return E_INVALIDARG;
    }
    const auto& [entryKey, entryValue] = *std::next(m_entries.begin(), index);
    RETURN_IF_FAILED(entryValue.copyTo(value));
    return entryKey.copyTo(key);
}

HRESULT NamedValues::save(IStream* stream) const
{
    RETURN_IF_FAILED(writeInt32(stream, static_cast<std::int32_t>(m_entries.size())));
    for (const auto& [key, value] : m_entries) {
        RETURN_IF_FAILED(writeBstr(stream, key.get()));
        RETURN_IF_FAILED(writeVariant(stream, value.get()));
    }
    return S_OK;
}

HRESULT NamedValues::load(IStream* stream)
{
    std::int32_t count = 0;
    RETURN_IF_FAILED(readInt32(stream, count));
    std::uint64_t left = 0;
    constexpr std::uint64_t kSmallestEntry = 4 + 2; // A null key and a bare type.
    if (count < 0 || FAILED(bytesLeft(stream, left)) || static_cast<std::uint64_t>(count) * kSmallestEntry > left) {
        return E_FAIL;
    }
    for (std::int32_t i = 0; i < count; ++i) {
        Bstr key;
        Variant value;
        RETURN_IF_FAILED(readBstr(stream, key));
        RETURN_IF_FAILED(readVariant(stream, value));
        m_entries.emplace(std::move(key), std::move(value));
    }
    return S_OK;
}

} // namespace talvodata
