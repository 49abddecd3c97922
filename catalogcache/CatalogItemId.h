#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace catalogcache {

/// An item-identifier list of the catalog's folders and files: items of {u16 size = 2 x name length + 8,
/// u32 kind, UTF-16 name and its NUL}, little-endian, ended by a u16 0.
using ItemIdList = std::vector<std::uint8_t>;

inline constexpr std::uint32_t kCatalogItemKind = 1;

/// One item, without the list's terminator.
std::vector<std::uint8_t> MakeCatalogItemId(std::uint32_t kind, std::u16string_view name);
/// The list with the item added at its end.
ItemIdList AppendCatalogItemId(const ItemIdList& list, const std::vector<std::uint8_t>& item);
/// The catalog root: the computer's item, then "Talvo Catalog".
ItemIdList GetCatalogRootIdList();

/// The names of a list's items in order; empty for a list that is cut short or malformed.
std::vector<std::u16string> catalogItemNames(const ItemIdList& list);

} // namespace catalogcache
