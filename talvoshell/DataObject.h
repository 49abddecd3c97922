#pragma once

#include "platform/com/ComObject.h"
#include "platform/shell/ShellInterfaces.h"

#include <vector>

namespace talvoshell {

inline constexpr char16_t kShellIdListFormat[] = u"Shell IDList Array";

/// A selection of a folder's items as a "Shell IDList Array": u32 count, count + 1 u32 offsets from the block's
/// start (the folder's list first, then each item), then those lists one after another with their terminators.
class CTalvoDataObject : public platform::com::ComObject<platform::shell::IDataObject> {
public:
    CTalvoDataObject(platform::shell::LPCITEMIDLIST parent, const std::vector<platform::shell::LPCITEMIDLIST>& items);

    HRESULT GetData(const platform::shell::FORMATETC* pformatetcIn, platform::shell::STGMEDIUM* pmedium) override;
    HRESULT GetDataHere(const platform::shell::FORMATETC*, platform::shell::STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT QueryGetData(const platform::shell::FORMATETC* pformatetc) override;
    HRESULT GetCanonicalFormatEtc(const platform::shell::FORMATETC* pformatectIn,
                                  platform::shell::FORMATETC* pformatetcOut) override;
    HRESULT SetData(const platform::shell::FORMATETC*, platform::shell::STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT EnumFormatEtc(DWORD dwDirection, platform::shell::IEnumFORMATETC** ppenumFormatEtc) override;

private:
    platform::shell::ItemIdPtr m_parent;
    std::vector<platform::shell::ItemIdPtr> m_items;
    platform::shell::FORMATETC m_format;
};

/// Hands out copies of format entries.
class CEnumFormatEtc : public platform::com::ComObject<platform::shell::IEnumFORMATETC> {
public:
    explicit CEnumFormatEtc(std::vector<platform::shell::FORMATETC> formats, std::size_t cursor = 0)
        : m_formats(std::move(formats)), m_cursor(cursor)
    {
    }

    HRESULT Next(ULONG celt, platform::shell::FORMATETC* rgelt, ULONG* pceltFetched) override;
    /// S_FALSE, not moving, when the cursor would reach or pass the end.
    HRESULT Skip(ULONG celt) override;
    HRESULT Reset() override;
    HRESULT Clone(platform::shell::IEnumFORMATETC** ppenum) override;

private:
    std::vector<platform::shell::FORMATETC> m_formats;
    std::size_t m_cursor;
};

} // namespace talvoshell
