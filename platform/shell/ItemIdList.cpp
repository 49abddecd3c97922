#include "platform/shell/ItemIdList.h"

#include "platform/com/LittleEndian.h"

#include <cstdlib>
#include <cstring>

namespace platform::shell {

namespace {

constexpr std::uint32_t kTerminator = 2;
constexpr std::uint32_t kNameOffset = 6; // After the u16 size and the u32 kind.

std::uint16_t itemSize(LPCITEMIDLIST item)
{
    return com::loadLittleEndian<std::uint16_t>(item->bytes);
}

/// The bytes of the items, without the terminator.
std::uint32_t itemBytes(LPCITEMIDLIST list)
{
    const std::uint32_t size = ILGetSize(list);
    return size == 0 ? 0 : size - kTerminator;
}

/// A list of `size` item bytes; the caller copies them in, the terminator is written here.
LPITEMIDLIST allocate(std::uint32_t size)
{
    return static_cast<LPITEMIDLIST>(std::calloc(size + kTerminator, 1));
}

} // namespace

LPCITEMIDLIST ILNext(LPCITEMIDLIST item)
{
    if (!item || itemSize(item) == 0) {
        return nullptr;
    }
    auto next = reinterpret_cast<LPCITEMIDLIST>(item->bytes + itemSize(item));
    return itemSize(next) == 0 ? nullptr : next;
}

std::uint32_t ILGetSize(LPCITEMIDLIST list)
{
    if (!list || itemSize(list) == 0) {
        return 0;
    }
    std::uint32_t size = kTerminator;
    for (LPCITEMIDLIST item = list; item; item = ILNext(item)) {
        size += itemSize(item);
    }
    return size;
}

const std::uint8_t* ILItemData(LPCITEMIDLIST item)
{
    return item->bytes + 2;
}

bool ILIsEqual(LPCITEMIDLIST a, LPCITEMIDLIST b)
{
    const std::uint32_t size = ILGetSize(a);
    return size == ILGetSize(b) && (size == 0 || std::memcmp(a, b, size) == 0);
}

LPITEMIDLIST ILClone(LPCITEMIDLIST list)
{
    return ILCombine(list, nullptr);
}

LPITEMIDLIST ILCombine(LPCITEMIDLIST a, LPCITEMIDLIST b)
{
    const std::uint32_t first = itemBytes(a);
    const std::uint32_t second = itemBytes(b);
    if (first + second == 0) {
        return nullptr;
    }
    LPITEMIDLIST list = allocate(first + second);
    if (!list) {
        return nullptr;
    }
    if (first > 0) {
        std::memcpy(list->bytes, a, first);
    }
    if (second > 0) {
        std::memcpy(list->bytes + first, b, second);
    }
    return list;
}

LPITEMIDLIST ILAppend(LPITEMIDLIST a, LPCITEMIDLIST b)
{
    LPITEMIDLIST combined = ILCombine(a, b);
    ILFree(a);
    return combined;
}

void ILFree(LPITEMIDLIST list)
{
    std::free(list);
}

LPITEMIDLIST MakeCatalogItem(std::uint32_t kind, std::u16string_view name)
{
    const std::size_t size = 8 + 2 * name.size();
    if (size > 0xFFFF) {
        return nullptr;
    }
    LPITEMIDLIST list = allocate(static_cast<std::uint32_t>(size));
    if (!list) {
        return nullptr;
    }
    std::uint8_t* bytes = list->bytes;
    bytes[0] = static_cast<std::uint8_t>(size);
    bytes[1] = static_cast<std::uint8_t>(size >> 8);
    for (int i = 0; i < 4; ++i) {
        bytes[2 + i] = static_cast<std::uint8_t>(kind >> (8 * i));
    }
    for (std::size_t i = 0; i < name.size(); ++i) {
        bytes[6 + 2 * i] = static_cast<std::uint8_t>(name[i]);
        bytes[7 + 2 * i] = static_cast<std::uint8_t>(name[i] >> 8);
    }
    return list; // The name's terminating 0 and the list's terminator are the zeroed tail.
}

std::u16string ILItemName(LPCITEMIDLIST item)
{
    std::u16string name;
    if (!item) {
        return name;
    }
    const std::uint16_t size = itemSize(item);
    for (std::uint32_t at = kNameOffset; at + 1 < size; at += 2) {
        const auto unit = static_cast<char16_t>(com::loadLittleEndian<std::uint16_t>(item->bytes + at));
        if (unit == 0) {
            break;
        }
        name.push_back(unit);
    }
    return name;
}

LPCITEMIDLIST ILFindLastID(LPCITEMIDLIST list)
{
    if (ILGetSize(list) == 0) {
        return nullptr;
    }
    LPCITEMIDLIST last = list;
    for (LPCITEMIDLIST next = ILNext(list); next; next = ILNext(next)) {
        last = next;
    }
    return last;
}

} // namespace platform::shell
