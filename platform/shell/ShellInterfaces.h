#pragma once

#include "platform/com/Unknown.h"
#include "platform/shell/ItemIdList.h"
#include "platform/shell/ShellTypes.h"

namespace platform::shell {

/// Hands out the items of a folder, each a copy the caller frees.
struct IEnumIDList : IUnknown {
    using Base = IUnknown;
    static constexpr IID kIid = com::makeGuid("000214F2-0000-0000-C000-000000000046");

    virtual HRESULT Next(ULONG celt, LPITEMIDLIST* rgelt, ULONG* pceltFetched) = 0;
    virtual HRESULT Skip(ULONG celt) = 0;
    virtual HRESULT Reset() = 0;
    virtual HRESULT Clone(IEnumIDList** ppenum) = 0;

protected:
    ~IEnumIDList() = default;
};

/// A folder of the namespace; items are one-level lists relative to it.
struct IShellFolder : IUnknown {
    using Base = IUnknown;
    static constexpr IID kIid = com::makeGuid("000214E6-0000-0000-C000-000000000046");

    virtual HRESULT ParseDisplayName(HWND hwnd, const char16_t* name, LPITEMIDLIST* ppidl) = 0;
    virtual HRESULT EnumObjects(HWND hwnd, DWORD grfFlags, IEnumIDList** ppenumIDList) = 0;
    virtual HRESULT BindToObject(LPCITEMIDLIST pidl, void* pbc, REFIID riid, void** ppv) = 0;
    virtual HRESULT BindToStorage(LPCITEMIDLIST pidl, void* pbc, REFIID riid, void** ppv) = 0;
    /// The order of two items in the low 16 bits of a success code (-1 as 0xFFFF).
    virtual HRESULT CompareIDs(LPARAM lParam, LPCITEMIDLIST pidl1, LPCITEMIDLIST pidl2) = 0;
    virtual HRESULT CreateViewObject(HWND hwndOwner, REFIID riid, void** ppv) = 0;
    /// The attributes all `cidl` items share.
    virtual HRESULT GetAttributesOf(UINT cidl, const LPCITEMIDLIST* apidl, ULONG* rgfInOut) = 0;
    virtual HRESULT GetUIObjectOf(HWND hwndOwner, UINT cidl, const LPCITEMIDLIST* apidl, REFIID riid, UINT* rgfReserved,
                                  void** ppv) = 0;
    virtual HRESULT GetDisplayNameOf(LPCITEMIDLIST pidl, DWORD uFlags, STRRET* pName) = 0;
    virtual HRESULT SetNameOf(HWND hwnd, LPCITEMIDLIST pidl, const char16_t* name, DWORD uFlags,
                              LPITEMIDLIST* ppidlOut) = 0;

protected:
    ~IShellFolder() = default;
};

/// A folder that learns its own absolute list.
struct IPersistFolder : IUnknown {
    using Base = IUnknown;
    static constexpr IID kIid = com::makeGuid("000214EA-0000-0000-C000-000000000046");

    virtual HRESULT GetClassID(CLSID* pClassID) = 0;
    virtual HRESULT Initialize(LPCITEMIDLIST pidl) = 0;

protected:
    ~IPersistFolder() = default;
};

struct IShellView;

/// The window that hosts a folder's view.
struct IShellBrowser : IUnknown {
    using Base = IUnknown;
    static constexpr IID kIid = com::makeGuid("000214E2-0000-0000-C000-000000000046");

    virtual HRESULT GetWindow(HWND* phwnd) = 0;
    /// Shows another folder: `pidl` absolute, or relative to the shown folder with SBSP_RELATIVE.
    virtual HRESULT BrowseObject(LPCITEMIDLIST pidl, UINT wFlags) = 0;

protected:
    ~IShellBrowser() = default;
};

/// What an open dialog adds to its browser: it filters items, takes the default command and hears of selection.
struct ICommDlgBrowser : IUnknown {
    using Base = IUnknown;
    static constexpr IID kIid = com::makeGuid("000214F1-0000-0000-C000-000000000046");

    /// S_OK when the browser handled it; anything else lets the view act itself.
    virtual HRESULT OnDefaultCommand(IShellView* ppshv) = 0;
    virtual HRESULT OnStateChange(IShellView* ppshv, ULONG uChange) = 0;
    /// S_OK to show the item.
    virtual HRESULT IncludeObject(IShellView* ppshv, LPCITEMIDLIST pidl) = 0;

protected:
    ~ICommDlgBrowser() = default;
};

/// The view of a folder inside a browser's window.
struct IShellView : IUnknown {
    using Base = IUnknown;
    static constexpr IID kIid = com::makeGuid("000214E3-0000-0000-C000-000000000046");

    virtual HRESULT GetWindow(HWND* phwnd) = 0;
    virtual HRESULT UIActivate(UINT uState) = 0;
    virtual HRESULT Refresh() = 0;
    virtual HRESULT CreateViewWindow(IShellView* psvPrevious, const FOLDERSETTINGS* pfs, IShellBrowser* psb,
                                     HWND parent, HWND* phWnd) = 0;
    virtual HRESULT DestroyViewWindow() = 0;
    virtual HRESULT GetCurrentInfo(FOLDERSETTINGS* pfs) = 0;
    virtual HRESULT SaveViewState() = 0;
    /// SVGIO_SELECTION or SVGIO_ALLVIEW as an IDataObject.
    virtual HRESULT GetItemObject(UINT uItem, REFIID riid, void** ppv) = 0;

protected:
    ~IShellView() = default;
};

/// The commands of a menu over some items.
struct IContextMenu : IUnknown {
    using Base = IUnknown;
    static constexpr IID kIid = com::makeGuid("000214E4-0000-0000-C000-000000000046");

    /// Fills `hmenu` from `idCmdFirst`; a success code holding the highest offset used plus one.
    virtual HRESULT QueryContextMenu(HMENU hmenu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast, UINT uFlags) = 0;
    virtual HRESULT InvokeCommand(const CMINVOKECOMMANDINFO* pici) = 0;
    virtual HRESULT GetCommandString(UINT_PTR idCmd, UINT uType, UINT* pReserved, char* pszName, UINT cchMax) = 0;

protected:
    ~IContextMenu() = default;
};

struct IEnumFORMATETC : IUnknown {
    using Base = IUnknown;
    static constexpr IID kIid = com::makeGuid("00000103-0000-0000-C000-000000000046");

    virtual HRESULT Next(ULONG celt, FORMATETC* rgelt, ULONG* pceltFetched) = 0;
    virtual HRESULT Skip(ULONG celt) = 0;
    virtual HRESULT Reset() = 0;
    virtual HRESULT Clone(IEnumFORMATETC** ppenum) = 0;

protected:
    ~IEnumFORMATETC() = default;
};

/// Data in the formats it names.
struct IDataObject : IUnknown {
    using Base = IUnknown;
    static constexpr IID kIid = com::makeGuid("0000010E-0000-0000-C000-000000000046");

    virtual HRESULT GetData(const FORMATETC* pformatetcIn, STGMEDIUM* pmedium) = 0;
    virtual HRESULT GetDataHere(const FORMATETC* pformatetc, STGMEDIUM* pmedium) = 0;
    virtual HRESULT QueryGetData(const FORMATETC* pformatetc) = 0;
    virtual HRESULT GetCanonicalFormatEtc(const FORMATETC* pformatectIn, FORMATETC* pformatetcOut) = 0;
    virtual HRESULT SetData(const FORMATETC* pformatetc, STGMEDIUM* pmedium, BOOL fRelease) = 0;
    virtual HRESULT EnumFormatEtc(DWORD dwDirection, IEnumFORMATETC** ppenumFormatEtc) = 0;

protected:
    ~IDataObject() = default;
};

/// Where an item's icon is found: a file and an index among its icons.
struct IExtractIconA : IUnknown {
    using Base = IUnknown;
    static constexpr IID kIid = com::makeGuid("000214EB-0000-0000-C000-000000000046");

    virtual HRESULT GetIconLocation(UINT uFlags, char* pszIconFile, UINT cchMax, int* piIndex, UINT* pwFlags) = 0;
    /// S_FALSE: the caller extracts the icon from the file itself.
    virtual HRESULT Extract(const char* pszFile, UINT nIconIndex, void* phiconLarge, void* phiconSmall,
                            UINT nIconSize) = 0;

protected:
    ~IExtractIconA() = default;
};

} // namespace platform::shell
