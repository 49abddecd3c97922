#include "catalogcache/CatalogItemId.h"

#include "catalogcache/internal/LittleEndian.h"

namespace catalogcache {

using internal::load;
using internal::store;

namespace {

constexpr std::size_t kItemHeader = 6; // u16 size, u32 kind.

} // namespace

std::vector<std::uint8_t> MakeCatalogItemId(std::uint32_t kind, std::u16string_view name)
{
    std::vector<std::uint8_t> item(kItemHeader + 2 * (name.size() + 1));
    store(item.data(), static_cast<std::uint16_t>(item.size()));
    store(item.data() + 2, kind);
    for (std::size_t i = 0; i < name.size(); ++i) {
        store(item.data() + kItemHeader + 2 * i, static_cast<std::uint16_t>(name[i]));
    }
    return item;
}

ItemIdList AppendCatalogItemId(const ItemIdList& list, const std::vector<std::uint8_t>& item)
{
    ItemIdList joined(list.begin(), list.empty() ? list.end() : list.end() - 2);
    joined.insert(joined.end(), item.begin(), item.end());
    joined.insert(joined.end(), {0, 0});
    return joined;
}

ItemIdList GetCatalogRootIdList()
{
    return AppendCatalogItemId(AppendCatalogItemId({}, MakeCatalogItemId(kCatalogItemKind, u"My Computer")),
                               MakeCatalogItemId(kCatalogItemKind, u"Talvo Catalog"));
}

std::vector<std::u16string> catalogItemNames(const ItemIdList& list)
{
    std::vector<std::u16string> names;
    std::size_t at = 0;
    while (at + 2 <= list.size()) {
        const std::size_t size = load<std::uint16_t>(list.data() + at);
        if (size == 0) {
            return names;
        }
        if (size < kItemHeader + 2 || size % 2 != 0 || size > list.size() - at) {
            return {};
        }
        std::u16string name;
        for (std::size_t i = at + kItemHeader; i + 2 < at + size; i += 2) {
            name.push_back(static_cast<char16_t>(load<std::uint16_t>(list.data() + i)));
        }
        names.push_back(std::move(name));
        at += size;
    }
    return {};
}

} // namespace catalogcache
