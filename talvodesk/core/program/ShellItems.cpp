#include "talvodesk/core/program/ShellItems.h"

#include "platform/com/LittleEndian.h"
#include "platform/shell/Computer.h"
#include "platform/text/CodePage.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

namespace talvodesk {

using namespace platform::shell;
using platform::com::ComPtr;

namespace {

constexpr std::size_t kRootNameLength = 256;

/// The text a STRRET holds; none for an unknown form or an offset outside the item. A wide string is freed.
std::optional<std::u16string> takeText(LPCITEMIDLIST item, STRRET& strret)
{
    switch (strret.uType) {
    case STRRET::WSTR: {
        std::u16string text = strret.pOleStr ? std::u16string(strret.pOleStr) : std::u16string();
        SHFree(strret.pOleStr);
        strret.pOleStr = nullptr;
        return text;
    }
    case STRRET::OFFSET: {
        const std::uint16_t size = item ? platform::com::loadLittleEndian<std::uint16_t>(item->bytes) : 0;
        if (strret.uOffset >= size) {
            return std::nullopt;
        }
        const char* start = reinterpret_cast<const char*>(item->bytes + strret.uOffset);
        return platform::text::fromAnsi(std::string_view(start, strnlen(start, size - strret.uOffset)));
    }
    case STRRET::CSTR:
        return platform::text::fromAnsi(std::string_view(strret.cStr, strnlen(strret.cStr, sizeof strret.cStr)));
    default:
        return std::nullopt;
    }
}

} // namespace

bool GetItemDisplayName(IShellFolder& folder, LPCITEMIDLIST item, DWORD flags, char16_t* buffer, std::size_t size)
{
    STRRET name;
    if (!buffer || size == 0 || FAILED(folder.GetDisplayNameOf(item, flags, &name))) {
        return false;
    }
    const std::optional<std::u16string> text = takeText(item, name);
    if (!text) {
        return false;
    }
    const std::size_t length = std::min(text->size(), size - 1);
    std::copy_n(text->data(), length, buffer);
    buffer[length] = 0;
    return true;
}

void StrRetToBstr(LPCITEMIDLIST item, STRRET& strret, BSTR* out)
{
    if (!out) {
        return;
    }
    if (const std::optional<std::u16string> text = takeText(item, strret)) {
        *out = platform::com::Bstr(*text).detach();
    }
}

void GetItemIcons(LPCITEMIDLIST absolute, TreeItemImages& item)
{
    const ItemIcons icons = platform::shell::GetItemIcons(absolute);
    item.image = icons.normal;
    item.selectedImage = icons.open;
}

bool FindCatalogRoot(ComPtr<IShellFolder>& folder, ItemIdPtr& absolute)
{
    ComPtr<IShellFolder> computer;
    ComPtr<IEnumIDList> items;
    if (FAILED(GetComputerFolder(computer.put())) ||
        FAILED(computer->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, items.put()))) {
        return false;
    }
    LPITEMIDLIST next = nullptr;
    while (items->Next(1, &next, nullptr) == S_OK) {
        ItemIdPtr item(next);
        const LPCITEMIDLIST one[] = {item.get()};
        ULONG attributes = SFGAO_FOLDER;
        char16_t name[kRootNameLength] = {};
        if (FAILED(computer->GetAttributesOf(1, one, &attributes)) || (attributes & SFGAO_FOLDER) == 0 ||
            !GetItemDisplayName(*computer, item.get(), SHGDN_NORMAL, name, kRootNameLength) ||
            std::u16string_view(name) != kCatalogRootName) {
            continue;
        }
        ComPtr<IShellFolder> root;
        if (FAILED(computer->BindToObject(item.get(), nullptr, IShellFolder::kIid, root.putVoid()))) {
            return false;
        }
        folder = std::move(root);
        absolute.reset(ILCombine(ComputerIdList().get(), item.get()));
        return true;
    }
    return false;
}

} // namespace talvodesk
