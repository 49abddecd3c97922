#pragma once

#include "platform/com/Bstr.h"
#include "platform/com/ComPtr.h"
#include "platform/shell/ShellInterfaces.h"

#include <cstddef>

namespace talvodesk {

/// The folder's display name of `item` in the `flags` form, copied into `buffer` with its 0 (at most `size`
/// characters in all); ANSI forms are converted. False when the folder fails, the form is unknown or an offset
/// points outside the item.
bool GetItemDisplayName(platform::shell::IShellFolder& folder, platform::shell::LPCITEMIDLIST item, DWORD flags,
                        char16_t* buffer, std::size_t size);

/// A display name as a new BSTR; a wide string is freed after copying. An unknown form (or an offset outside the
/// item) leaves `out` untouched.
void StrRetToBstr(platform::shell::LPCITEMIDLIST item, platform::shell::STRRET& strret, BSTR* out);

/// The images of a tree item: the item's small icon and small open icon.
struct TreeItemImages {
    int image = 0;
    int selectedImage = 0;
};
void GetItemIcons(platform::shell::LPCITEMIDLIST absolute, TreeItemImages& item);

inline constexpr char16_t kCatalogRootName[] = u"Talvo Catalog";

/// The first folder item of the computer folder whose normal name is exactly "Talvo Catalog", bound, and its
/// absolute list. False, with nothing handed out, when the computer folder cannot be listed or none matches.
bool FindCatalogRoot(platform::com::ComPtr<platform::shell::IShellFolder>& folder,
                     platform::shell::ItemIdPtr& absolute);

} // namespace talvodesk
