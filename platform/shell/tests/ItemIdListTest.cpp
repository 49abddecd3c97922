#include "platform/shell/ItemIdList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace platform::shell {
namespace {

TEST(ItemIdListTest, CatalogItemsHaveTheirByteFormatAndListsCombine)
{
    LPITEMIDLIST event = MakeCatalogItem(1, u"AR");
    ASSERT_TRUE(event);
    const std::vector<std::uint8_t> expected{12, 0, 1, 0, 0, 0, 'A', 0, 'R', 0, 0, 0, 0, 0};
    EXPECT_EQ(expected, std::vector<std::uint8_t>(event->bytes, event->bytes + expected.size()));
    EXPECT_EQ(14u, ILGetSize(event));
    EXPECT_EQ(event->bytes + 2, ILItemData(event));
    EXPECT_EQ(nullptr, ILNext(event));

    LPITEMIDLIST shooter = MakeCatalogItem(1, u"Anna");
    LPITEMIDLIST path = ILCombine(event, shooter);
    EXPECT_EQ(12u + 16u + 2u, ILGetSize(path));
    LPCITEMIDLIST second = ILNext(path);
    ASSERT_TRUE(second);
    EXPECT_TRUE(ILIsEqual(second, shooter));
    EXPECT_FALSE(ILIsEqual(path, event));

    LPITEMIDLIST clone = ILClone(path);
    EXPECT_TRUE(ILIsEqual(clone, path));
    EXPECT_NE(clone, path);
    clone = ILAppend(clone, event);
    EXPECT_EQ(ILGetSize(path) + 12u, ILGetSize(clone));

    const std::uint8_t emptyBytes[2] = {0, 0};
    const auto* empty = reinterpret_cast<LPCITEMIDLIST>(emptyBytes);
    EXPECT_EQ(0u, ILGetSize(empty));
    EXPECT_EQ(0u, ILGetSize(nullptr));
    EXPECT_EQ(nullptr, ILClone(empty));
    EXPECT_EQ(nullptr, ILCombine(nullptr, nullptr));
    EXPECT_EQ(nullptr, ILNext(nullptr));
    LPITEMIDLIST copy = ILCombine(nullptr, event);
    EXPECT_TRUE(ILIsEqual(copy, event));
    EXPECT_TRUE(ILIsEqual(nullptr, empty));
    EXPECT_EQ(nullptr, MakeCatalogItem(1, std::u16string(40000, u'x')));
    for (LPITEMIDLIST list : {event, shooter, path, clone, copy}) {
        ILFree(list);
    }
    ILFree(nullptr);
}

TEST(ItemIdListTest, NamesAndLastItemsAreReadBack)
{
    ItemIdPtr event(MakeCatalogItem(1, u"AR"));
    ItemIdPtr shooter(MakeCatalogItem(1, u"Anna"));
    ItemIdPtr path(ILCombine(event.get(), shooter.get()));
    EXPECT_EQ(u"AR", ILItemName(path.get()));
    EXPECT_EQ(u"Anna", ILItemName(ILFindLastID(path.get())));
    EXPECT_EQ(event.get(), ILFindLastID(event.get()));
    EXPECT_EQ(nullptr, ILFindLastID(nullptr));
    EXPECT_EQ(u"", ILItemName(nullptr));
    const std::uint8_t cut[] = {7, 0, 1, 0, 0, 0, 'x', 0, 0};
    EXPECT_EQ(u"", ILItemName(reinterpret_cast<LPCITEMIDLIST>(cut))); // No whole unit after the kind.
}

} // namespace
} // namespace platform::shell
