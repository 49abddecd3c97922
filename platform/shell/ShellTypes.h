#pragma once

#include "platform/com/HResult.h"
#include "platform/com/Types.h"

#include <cstdint>
#include <string>
#include <vector>

class QWidget;

namespace platform::shell {

/// A window: the Qt widget that stands for it.
using HWND = QWidget*;

// Attributes of folder items.
inline constexpr ULONG SFGAO_CANLINK = 0x4;
inline constexpr ULONG SFGAO_CANRENAME = 0x10;
inline constexpr ULONG SFGAO_DROPTARGET = 0x100;
inline constexpr ULONG SFGAO_BROWSABLE = 0x8000000;
inline constexpr ULONG SFGAO_FOLDER = 0x20000000;
inline constexpr ULONG SFGAO_HASSUBFOLDER = 0x80000000;

// Display-name forms.
inline constexpr DWORD SHGDN_NORMAL = 0;
inline constexpr DWORD SHGDN_INFOLDER = 1;
inline constexpr DWORD SHGDN_FORPARSING = 0x8000;

// Enumeration flags.
inline constexpr DWORD SHCONTF_FOLDERS = 0x20;
inline constexpr DWORD SHCONTF_NONFOLDERS = 0x40;

// Which items a view hands out.
inline constexpr UINT SVGIO_SELECTION = 1;
inline constexpr UINT SVGIO_ALLVIEW = 2;

// How a browser takes a list.
inline constexpr UINT SBSP_ABSOLUTE = 0;
inline constexpr UINT SBSP_RELATIVE = 0x2000;

// View states and browser state changes.
inline constexpr UINT SVUIA_DEACTIVATE = 0;
inline constexpr UINT SVUIA_ACTIVATE_NOFOCUS = 1;
inline constexpr UINT SVUIA_ACTIVATE_FOCUS = 2;
inline constexpr ULONG CDBOSC_SETFOCUS = 0;
inline constexpr ULONG CDBOSC_KILLFOCUS = 1;
inline constexpr ULONG CDBOSC_SELCHANGE = 2;

// Context menus.
inline constexpr UINT CMF_NORMAL = 0;
inline constexpr UINT CMF_DEFAULTONLY = 1;
inline constexpr UINT CMF_EXPLORE = 4;

// Icons.
inline constexpr UINT GIL_OPENICON = 1;
inline constexpr UINT GIL_PERINSTANCE = 2;

// Data transfer.
inline constexpr DWORD TYMED_HGLOBAL = 1;
inline constexpr DWORD DVASPECT_CONTENT = 1;
inline constexpr DWORD DATADIR_GET = 1;
inline constexpr HRESULT DV_E_FORMATETC = makeHresult(0x80040069);
inline constexpr HRESULT DV_E_TYMED = makeHresult(0x8004006B);
inline constexpr HRESULT DATA_S_SAMEFORMATETC = makeHresult(0x00040130);

/// A display name as a folder answers it: a wide string from the shell allocator, an offset into the item, or an
/// ANSI string held in place.
struct STRRET {
    enum Type : UINT { WSTR = 0, OFFSET = 1, CSTR = 2 };
    UINT uType = WSTR;
    char16_t* pOleStr = nullptr; ///< WSTR: freed with SHFree by whoever takes it.
    UINT uOffset = 0;            ///< OFFSET: bytes from the item's start to an ANSI string.
    char cStr[260] = {};         ///< CSTR
};

struct FOLDERSETTINGS {
    UINT ViewMode = 0;
    UINT fFlags = 0;
    bool operator==(const FOLDERSETTINGS&) const = default;
};
inline constexpr UINT FVM_SMALLICON = 2;
inline constexpr UINT FVM_LIST = 3;
inline constexpr UINT FVM_DETAILS = 4;

/// One entry of a menu: its command id, text and whether it is the default.
struct MenuItem {
    UINT id = 0;
    std::u16string text;
    bool isDefault = false;
};
/// A pop-up menu being filled.
using HMENU = std::vector<MenuItem>*;

/// A command to run: a verb given by name, or (lpVerb below 0x10000) by its offset from the menu's first id.
struct CMINVOKECOMMANDINFO {
    HWND hwnd = nullptr;
    const char* lpVerb = nullptr;
};
inline const char* MakeIntVerb(UINT offset)
{
    return reinterpret_cast<const char*>(static_cast<std::uintptr_t>(offset));
}
inline bool IsIntVerb(const char* verb)
{
    return reinterpret_cast<std::uintptr_t>(verb) < 0x10000;
}

struct FORMATETC {
    UINT cfFormat = 0;
    void* ptd = nullptr; ///< Target device: none.
    DWORD dwAspect = DVASPECT_CONTENT;
    LONG lindex = -1;
    DWORD tymed = TYMED_HGLOBAL;
    bool operator==(const FORMATETC&) const = default;
};

/// Data handed out: a block of global memory.
struct STGMEDIUM {
    DWORD tymed = 0;
    std::vector<std::uint8_t> hGlobal;
};

/// The number of a clipboard format registered by name ("Shell IDList Array"); the same name always gets the
/// same number.
UINT RegisterClipboardFormat(const std::u16string& name);

} // namespace platform::shell
