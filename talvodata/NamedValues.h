#pragma once

#include "platform/com/Bstr.h"
#include "platform/com/Stream.h"
#include "platform/com/Variant.h"

#include <cstddef>
#include <map>

namespace talvodata {

/// The string-keyed bag of variants that documents, attributes, shots, events and target elements carry.
/// Keys are kept in the user's locale order, case-sensitive; iteration and the stream follow it.
/// Thread rule: guarded by its owner's lock.
class NamedValues {
public:
    /// A copy of the stored value; VT_EMPTY and S_OK when the key is absent.
    HRESULT get(BSTR key, VARIANT* value) const;
    /// VT_EMPTY removes the entry; anything else is stored (a by-reference value as the value it refers to).
    /// `changed` tells whether a value was stored or an existing entry removed.
    HRESULT put(BSTR key, const VARIANT& value, bool& changed);
    bool contains(BSTR key) const;
    /// The entry at `index` (from 0) in key order; E_POINTER for a null out-pointer, E_INVALIDARG with a null
    /// key and VT_EMPTY outside 0 .. size - 1.
    HRESULT entryAt(LONG index, BSTR* key, VARIANT* value) const;
    std::size_t size() const { return m_entries.size(); }
    void clear() { m_entries.clear(); }

    /// int32 count, then key (string form) and value (variant form) for each entry in order.
    HRESULT save(IStream* stream) const;
    /// Adds the stored pairs in the order read; a key already present keeps its first value.
    HRESULT load(IStream* stream);

private:
    struct KeyOrder {
        bool operator()(const platform::com::Bstr& left, const platform::com::Bstr& right) const;
    };
    std::map<platform::com::Bstr, platform::com::Variant, KeyOrder> m_entries;
};

} // namespace talvodata
