#include "talvoshell/DataObject.h"

#include "platform/com/LittleEndian.h"

#include <cstring>

namespace talvoshell {

using namespace platform::shell;

namespace {

void storeU32(std::vector<std::uint8_t>& block, std::size_t at, std::uint32_t value)
{
    platform::com::storeLittleEndian(block.data() + at, value);
}

/// A list's bytes with its terminator; an empty list is the terminator alone.
std::uint32_t fullSize(LPCITEMIDLIST list)
{
    const std::uint32_t size = ILGetSize(list);
    return size == 0 ? 2 : size;
}

} // namespace

CTalvoDataObject::CTalvoDataObject(LPCITEMIDLIST parent, const std::vector<LPCITEMIDLIST>& items)
    : m_parent(ILClone(parent))
{
    for (LPCITEMIDLIST item : items) {
        m_items.emplace_back(ILClone(item));
    }
    m_format.cfFormat = RegisterClipboardFormat(kShellIdListFormat);
}

HRESULT CTalvoDataObject::GetData(const FORMATETC* pformatetcIn, STGMEDIUM* pmedium)
{
    if (!pformatetcIn || !pmedium) {
        return E_INVALIDARG;
    }
    if (pformatetcIn->cfFormat != m_format.cfFormat) {
        return E_INVALIDARG;
    }
    auto guard = lock();
    const std::size_t count = m_items.size();
    std::size_t size = 4 + 4 * (count + 1) + fullSize(m_parent.get());
    for (const auto& item : m_items) {
        size += fullSize(item.get());
    }
    std::vector<std::uint8_t> block(size, 0);
    storeU32(block, 0, static_cast<std::uint32_t>(count));
    std::size_t at = 4 + 4 * (count + 1);
    auto place = [&](std::size_t index, LPCITEMIDLIST list) {
        storeU32(block, 4 + 4 * index, static_cast<std::uint32_t>(at));
        if (ILGetSize(list) > 0) {
            std::memcpy(block.data() + at, list, ILGetSize(list));
        }
        at += fullSize(list);
    };
    place(0, m_parent.get());
    for (std::size_t i = 0; i < count; ++i) {
        place(i + 1, m_items[i].get());
    }
    pmedium->tymed = TYMED_HGLOBAL;
    pmedium->hGlobal = std::move(block);
    return S_OK;
}

HRESULT CTalvoDataObject::QueryGetData(const FORMATETC* pformatetc)
{
    if (!pformatetc) {
        return E_INVALIDARG;
    }
    if ((pformatetc->tymed & TYMED_HGLOBAL) == 0) {
        return DV_E_TYMED;
    }
    return pformatetc->cfFormat == m_format.cfFormat ? S_OK : DV_E_FORMATETC;
}

HRESULT CTalvoDataObject::GetCanonicalFormatEtc(const FORMATETC*, FORMATETC* pformatetcOut)
{
    if (!pformatetcOut) {
        return E_INVALIDARG;
    }
    pformatetcOut->ptd = nullptr;
    return DATA_S_SAMEFORMATETC;
}

HRESULT CTalvoDataObject::EnumFormatEtc(DWORD dwDirection, IEnumFORMATETC** ppenumFormatEtc)
{
    if (!ppenumFormatEtc) {
        return E_POINTER;
    }
    *ppenumFormatEtc = nullptr;
    if (dwDirection != DATADIR_GET) {
        return E_NOTIMPL;
    }
    *ppenumFormatEtc = platform::com::makeComObject<CEnumFormatEtc>(std::vector<FORMATETC>{m_format}).detach();
    return S_OK;
}

HRESULT CEnumFormatEtc::Next(ULONG celt, FORMATETC* rgelt, ULONG* pceltFetched)
{
    auto guard = lock();
    if (m_formats.empty()) {
        return S_FALSE;
    }
    if (!rgelt) {
        return E_INVALIDARG;
    }
    ULONG fetched = 0;
    for (; fetched < celt && m_cursor < m_formats.size(); ++fetched, ++m_cursor) {
        rgelt[fetched] = m_formats[m_cursor];
    }
    if (pceltFetched) {
        *pceltFetched = fetched;
    }
    return fetched < celt ? S_FALSE : S_OK;
}

HRESULT CEnumFormatEtc::Skip(ULONG celt)
{
    auto guard = lock();
    if (m_cursor + celt >= m_formats.size()) {
        return S_FALSE;
    }
    m_cursor += celt;
    return S_OK;
}

HRESULT CEnumFormatEtc::Reset()
{
    auto guard = lock();
    m_cursor = 0;
    return S_OK;
}

HRESULT CEnumFormatEtc::Clone(IEnumFORMATETC** ppenum)
{
    if (!ppenum) {
        return E_POINTER;
    }
    auto guard = lock();
    *ppenum = platform::com::makeComObject<CEnumFormatEtc>(m_formats, m_cursor).detach();
    return S_OK;
}

} // namespace talvoshell
