#include "platform/shell/Computer.h"

#include <gtest/gtest.h>

#include <vector>

namespace platform::shell {
namespace {

using com::ComPtr;

std::u16string displayName(IShellFolder& folder, LPCITEMIDLIST item)
{
    STRRET name;
    if (FAILED(folder.GetDisplayNameOf(item, SHGDN_NORMAL, &name))) {
        return u"?";
    }
    std::u16string text(name.pOleStr);
    SHFree(name.pOleStr);
    return text;
}

class ComputerTest : public ::testing::Test {
protected:
    ComputerTest()
    {
        // Each registered folder answers with another computer folder, so binds can go deeper.
        for (const char16_t* name : {u"Zeta", u"Talvo Catalog"}) {
            RegisterComputerFolder(name, [this](LPCITEMIDLIST absolute) {
                m_bound.push_back(ILItemName(ILFindLastID(absolute)));
                ComPtr<IShellFolder> folder;
                EXPECT_EQ(S_OK, GetComputerFolder(folder.put()));
                return folder;
            });
        }
    }
    ~ComputerTest() override
    {
        UnregisterComputerFolder(u"Zeta");
        UnregisterComputerFolder(u"Talvo Catalog");
    }

    std::vector<std::u16string> m_bound;
};

TEST_F(ComputerTest, ListsRegisteredFoldersAsNamedFolderItems)
{
    ComPtr<IShellFolder> computer;
    ASSERT_EQ(S_OK, GetComputerFolder(computer.put()));
    ComPtr<IEnumIDList> items;
    ASSERT_EQ(S_OK, computer->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, items.put()));
    LPITEMIDLIST got[3] = {};
    ULONG fetched = 0;
    EXPECT_EQ(S_FALSE, items->Next(3, got, &fetched));
    ASSERT_EQ(2u, fetched);
    EXPECT_EQ(u"Talvo Catalog", displayName(*computer, got[0]));
    EXPECT_EQ(u"Zeta", displayName(*computer, got[1]));
    const LPCITEMIDLIST both[] = {got[0], got[1]};
    ULONG attributes = 0;
    EXPECT_EQ(S_OK, computer->GetAttributesOf(2, both, &attributes));
    EXPECT_EQ(SFGAO_FOLDER | SFGAO_HASSUBFOLDER, attributes);
    ItemIdPtr unknown(MakeCatalogItem(1, u"Nowhere"));
    const LPCITEMIDLIST stranger[] = {unknown.get()};
    EXPECT_EQ(S_OK, computer->GetAttributesOf(1, stranger, &attributes));
    EXPECT_EQ(0u, attributes);
    EXPECT_EQ(0xFFFF, computer->CompareIDs(0, got[0], got[1]) & 0xFFFF);
    ILFree(got[0]);
    ILFree(got[1]);
}

TEST_F(ComputerTest, BindsAbsoluteListsThroughTheRegisteredFolders)
{
    ItemIdPtr computerList = ComputerIdList();
    EXPECT_EQ(u"My Computer", ILItemName(computerList.get()));
    ItemIdPtr catalog(MakeCatalogItem(1, u"Talvo Catalog"));
    ItemIdPtr zeta(MakeCatalogItem(1, u"Zeta"));
    ItemIdPtr deep(ILAppend(ILCombine(computerList.get(), catalog.get()), zeta.get()));
    ComPtr<IShellFolder> folder;
    EXPECT_EQ(S_OK, BindToFolder(deep.get(), folder.put()));
    EXPECT_EQ((std::vector<std::u16string>{u"Talvo Catalog", u"Zeta"}), m_bound);

    ItemIdPtr nowhere(MakeCatalogItem(1, u"Nowhere"));
    ItemIdPtr missing(ILCombine(computerList.get(), nowhere.get()));
    EXPECT_EQ(E_FAIL, BindToFolder(missing.get(), folder.put()));
    EXPECT_EQ(E_INVALIDARG, BindToFolder(catalog.get(), folder.put())); // Not from the computer.
    EXPECT_EQ(0, GetItemIcons(deep.get()).normal);                      // No extractor: the default icon.
}

} // namespace
} // namespace platform::shell
