#include "catalogcache/CatalogItemId.h"

#include <gtest/gtest.h>

namespace catalogcache {
namespace {

TEST(CatalogItemIdTest, ItemsAndListsFollowTheLayout)
{
    EXPECT_EQ((std::vector<std::uint8_t>{12, 0, 1, 0, 0, 0, 'A', 0, 'R', 0, 0, 0}), MakeCatalogItemId(1, u"AR"));
    const ItemIdList root = GetCatalogRootIdList();
    EXPECT_EQ(2 * 11 + 8 + 2 * 13 + 8 + 2U, root.size());
    EXPECT_EQ((std::vector<std::u16string>{u"My Computer", u"Talvo Catalog"}), catalogItemNames(root));
    EXPECT_EQ((std::vector<std::u16string>{u"My Computer", u"Talvo Catalog", u"x"}),
              catalogItemNames(AppendCatalogItemId(root, MakeCatalogItemId(1, u"x"))));
    EXPECT_TRUE(catalogItemNames(ItemIdList(root.begin(), root.end() - 3)).empty());
}

} // namespace
} // namespace catalogcache
