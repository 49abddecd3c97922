#include "platform/com/EnumVariant.h"

#include <algorithm>

namespace platform::com {

EnumVariant::EnumVariant(std::vector<Variant> items, std::size_t position)
    : m_items(std::move(items)), m_position(position)
{
}

HRESULT EnumVariant::Next(ULONG count, VARIANT* items, ULONG* fetched)
{
    auto guard = lock();
    if (!items || (count > 1 && !fetched)) {
        return E_POINTER;
    }
    ULONG done = 0;
    for (; done < count && m_position < m_items.size(); ++done, ++m_position) {
        const HRESULT hr = m_items[m_position].copyTo(&items[done]);
        if (FAILED(hr)) {
            for (ULONG i = 0; i < done; ++i) {
                (void)VariantClear(&items[i]); // Undo the partial batch; clearing cannot fail.
            }
            return hr;
        }
    }
    if (fetched) {
        *fetched = done;
    }
    return done == count ? S_OK : S_FALSE;
}

HRESULT EnumVariant::Skip(ULONG count)
{
    auto guard = lock();
    const std::size_t left = m_items.size() - m_position;
    m_position += std::min<std::size_t>(count, left);
    return count <= left ? S_OK : S_FALSE;
}

HRESULT EnumVariant::Reset()
{
    auto guard = lock();
    m_position = 0;
    return S_OK;
}

HRESULT EnumVariant::Clone(IEnumVARIANT** clone)
{
    auto guard = lock();
    if (!clone) {
        return E_POINTER;
    }
    *clone = makeComObject<EnumVariant>(m_items, m_position).detach();
    return S_OK;
}

} // namespace platform::com
