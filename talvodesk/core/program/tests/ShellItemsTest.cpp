#include "talvodesk/core/program/ShellItems.h"

#include "platform/shell/Computer.h"

#include <gtest/gtest.h>

#include <cstring>

namespace talvodesk {
namespace {

using namespace platform::shell;
using platform::com::ComPtr;

TEST(ShellItemsTest, StrRetFormsBecomeBstrs)
{
    // An item whose bytes carry an ANSI name after its header.
    const std::uint8_t item[] = {12, 0, 1, 0, 0, 0, 'A', 'R', '1', '0', 0, 0, 0, 0};
    const auto* list = reinterpret_cast<LPCITEMIDLIST>(item);
    struct Case {
        UINT type;
        UINT offset;
        const char* cStr;
        const char16_t* wide;
        const char16_t* expected; ///< Null: left untouched.
    };
    const Case cases[] = {
        {STRRET::WSTR, 0, "", u"Anna \u00e9", u"Anna \u00e9"},
        {STRRET::OFFSET, 6, "", nullptr, u"AR10"},
        {STRRET::OFFSET, 12, "", nullptr, nullptr}, // Past the item's own bytes.
        {STRRET::CSTR, 0, "Air Rifle", nullptr, u"Air Rifle"},
        {7, 0, "", nullptr, nullptr},
    };
    for (const Case& c : cases) {
        STRRET strret;
        strret.uType = c.type;
        strret.uOffset = c.offset;
        std::strcpy(strret.cStr, c.cStr);
        if (c.wide) {
            const std::size_t bytes = 2 * (std::char_traits<char16_t>::length(c.wide) + 1);
            strret.pOleStr = static_cast<char16_t*>(SHAlloc(bytes));
            std::memcpy(strret.pOleStr, c.wide, bytes);
        }
        platform::com::Bstr untouched(u"untouched");
        BSTR out = untouched.get();
        StrRetToBstr(list, strret, &out);
        EXPECT_EQ(c.expected ? std::u16string(c.expected) : u"untouched", platform::com::viewOf(out));
        if (out != untouched.get()) {
            SysFreeString(out);
        }
        EXPECT_EQ(nullptr, strret.pOleStr); // A wide string was freed after copying.
    }
}

TEST(ShellItemsTest, FindsTheCatalogRootByItsExactName)
{
    ComPtr<IShellFolder> folder;
    ItemIdPtr absolute;
    EXPECT_FALSE(FindCatalogRoot(folder, absolute));
    EXPECT_FALSE(folder);

    std::vector<std::u16string> bound;
    auto factory = [&bound](LPCITEMIDLIST list) {
        bound.push_back(ILItemName(ILFindLastID(list)));
        ComPtr<IShellFolder> any;
        EXPECT_EQ(S_OK, GetComputerFolder(any.put()));
        return any;
    };
    RegisterComputerFolder(u"talvo catalog", factory);
    EXPECT_FALSE(FindCatalogRoot(folder, absolute)); // Letter case counts.
    RegisterComputerFolder(kCatalogRootName, factory);
    ASSERT_TRUE(FindCatalogRoot(folder, absolute));
    EXPECT_TRUE(folder);
    EXPECT_EQ(u"My Computer", ILItemName(absolute.get()));
    EXPECT_EQ(kCatalogRootName, ILItemName(ILNext(absolute.get())));
    EXPECT_EQ(nullptr, ILNext(ILNext(absolute.get())));
    EXPECT_EQ(std::vector<std::u16string>{kCatalogRootName}, bound);

    ComPtr<IShellFolder> computer;
    ASSERT_EQ(S_OK, GetComputerFolder(computer.put()));
    ItemIdPtr root(MakeCatalogItem(1, kCatalogRootName));
    char16_t name[6] = {u'x'};
    ASSERT_TRUE(GetItemDisplayName(*computer, root.get(), SHGDN_NORMAL, name, 6));
    EXPECT_EQ(std::u16string(u"Talvo"), name); // Cut to the buffer, with its 0.
    EXPECT_FALSE(GetItemDisplayName(*computer, root.get(), SHGDN_NORMAL, name, 0));
    TreeItemImages images{9, 9};
    GetItemIcons(absolute.get(), images);
    EXPECT_EQ(0, images.image); // The computer folder names no icons.
    UnregisterComputerFolder(u"talvo catalog");
    UnregisterComputerFolder(kCatalogRootName);
}

} // namespace
} // namespace talvodesk
