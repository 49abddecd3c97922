#include "platform/shell/EnumIDList.h"

namespace platform::shell {

bool CEnumIDList::Add(LPCITEMIDLIST item)
{
    auto guard = lock();
    ItemIdPtr copy(ILClone(item));
    if (!copy) {
        return false;
    }
    m_items.push_back(std::move(copy));
    return true;
}

HRESULT CEnumIDList::Next(ULONG celt, LPITEMIDLIST* rgelt, ULONG* pceltFetched)
{
    if (celt > 1 && !pceltFetched) {
        return E_INVALIDARG;
    }
    if (!rgelt) {
        return E_POINTER;
    }
    auto guard = lock();
    ULONG fetched = 0;
    for (; fetched < celt && m_cursor < m_items.size(); ++fetched, ++m_cursor) {
        rgelt[fetched] = ILClone(m_items[m_cursor].get());
    }
    if (pceltFetched) {
        *pceltFetched = fetched;
    }
    return fetched < celt ? S_FALSE : S_OK;
}

HRESULT CEnumIDList::Skip(ULONG celt)
{
    auto guard = lock();
    const std::size_t left = m_items.size() - m_cursor;
    if (celt > left) {
        m_cursor = m_items.size();
        return S_FALSE;
    }
    m_cursor += celt;
    return S_OK;
}

HRESULT CEnumIDList::Reset()
{
    auto guard = lock();
    m_cursor = 0;
    return S_OK;
}

HRESULT CEnumIDList::Clone(IEnumIDList** /*ppenum*/)
{
    return E_NOTIMPL;
}

} // namespace platform::shell
