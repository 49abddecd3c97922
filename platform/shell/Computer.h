#pragma once

#include "platform/com/ComPtr.h"
#include "platform/shell/ShellInterfaces.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace platform::shell {

/// The shell allocator: what display names and item lists handed across interfaces are allocated with.
void* SHAlloc(std::size_t size);
void SHFree(void* block);
/// A display name as a wide string from the shell allocator.
HRESULT StrRetFromText(std::u16string_view text, STRRET* out);

/// Makes the folder object of a folder registered under the computer folder, for its absolute list.
using FolderFactory = std::function<com::ComPtr<IShellFolder>(LPCITEMIDLIST absolute)>;

/// Lists a folder under the computer folder by its display name; a second registration of the name replaces the
/// first. Thread rule: any thread.
void RegisterComputerFolder(const std::u16string& name, FolderFactory create);
void UnregisterComputerFolder(const std::u16string& name);

/// The computer folder's absolute list: its one item "My Computer".
ItemIdPtr ComputerIdList();
/// The computer folder: its items are the registered folders, in the order of their names.
HRESULT GetComputerFolder(IShellFolder** ppshf);
/// The folder an absolute list names, starting from the computer's item (the desktop's bind).
HRESULT BindToFolder(LPCITEMIDLIST absolute, IShellFolder** ppshf);

/// An item's small icon and small open icon, as its folder's icon extractor names them; 0 without one.
struct ItemIcons {
    int normal = 0;
    int open = 0;
};
ItemIcons GetItemIcons(LPCITEMIDLIST absolute);

} // namespace platform::shell
