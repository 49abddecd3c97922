#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace platform::shell {

/// One item of an item-identifier list: a little-endian u16 size that counts itself, then size - 2 bytes. A list
/// is its items one after another, ended by a u16 0. Lists are allocated with ILClone, ILCombine and
/// MakeCatalogItem and freed with ILFree. Any thread; a list is not shared.
struct ITEMIDLIST {
    std::uint8_t bytes[1];
};
using LPITEMIDLIST = ITEMIDLIST*;
using LPCITEMIDLIST = const ITEMIDLIST*;

/// The item after this one; null at the end of the list or for null.
LPCITEMIDLIST ILNext(LPCITEMIDLIST item);
/// The bytes of all items plus 2 for the terminator; 0 for an empty list or null.
std::uint32_t ILGetSize(LPCITEMIDLIST list);
/// The bytes after the item's size field.
const std::uint8_t* ILItemData(LPCITEMIDLIST item);
/// Equal sizes and equal bytes.
bool ILIsEqual(LPCITEMIDLIST a, LPCITEMIDLIST b);
/// A copy; null for an empty list or null.
LPITEMIDLIST ILClone(LPCITEMIDLIST list);
/// The items of `a` then those of `b`; a copy of the other when one is null; null when both are.
LPITEMIDLIST ILCombine(LPCITEMIDLIST a, LPCITEMIDLIST b);
/// ILCombine, then `a` is freed.
LPITEMIDLIST ILAppend(LPITEMIDLIST a, LPCITEMIDLIST b);
void ILFree(LPITEMIDLIST list);

/// A one-item list in the catalog folder's item format: u16 size (8 + 2 x the name's length), u32 kind, the name
/// in UTF-16 with its terminating 0, then the list's terminator. Event and shooter folders have kind 1. Null for a
/// name too long for an item.
LPITEMIDLIST MakeCatalogItem(std::uint32_t kind, std::u16string_view name);
/// The name of an item in the catalog folder's format (the UTF-16 text after its size and kind, up to its 0);
/// empty for null or an item too short to hold one.
std::u16string ILItemName(LPCITEMIDLIST item);
/// The last item of a list; null for an empty list or null.
LPCITEMIDLIST ILFindLastID(LPCITEMIDLIST list);

/// Owns a list and frees it with ILFree.
struct ItemIdListDeleter {
    void operator()(LPITEMIDLIST list) const { ILFree(list); }
};
using ItemIdPtr = std::unique_ptr<ITEMIDLIST, ItemIdListDeleter>;

} // namespace platform::shell
