#include "talvoshell/Catalog.h"

#include "catalogcache/tests/support/Records.h"
#include "platform/shell/EnumIDList.h"
#include "talvoshell/tests/support/CatalogFixture.h"

#include <gtest/gtest.h>

#include <fstream>

namespace talvoshell {
namespace {

using platform::shell::ILItemName;
using platform::shell::LPITEMIDLIST;

/// "name(icon closed/open)" of each node in tree order, children in brackets.
std::u16string outline(const TreeList& level)
{
    std::u16string text;
    for (const auto& node : level) {
        text += node->name;
        text += u"(" +
                platform::com::utf8ToUtf16(std::to_string(node->iconClosed) + "/" + std::to_string(node->iconOpen) +
                                           (node->isFixed ? "F" : "")) +
                u")";
        if (!node->children.empty()) {
            text += u"[" + outline(node->children) + u"]";
        }
        text += u" ";
    }
    return text;
}

class CatalogTest : public testsupport::CatalogFixture {};

TEST_F(CatalogTest, BuildsTheTreeNewestFirstWithFixedFoldersAndOther)
{
    publish({
        practice(u"/c/p1", u"AR10", u"Ann"),
        practice(u"/c/p2", u"AR10", u"Bob"),
        practice(u"/c/p3", u"AR10", u"Ann", 46000.5, 9),
        practice(u"/c/p4", u"Air Rifle", u"Cy"),
        practice(u"/c/junk", u"", u"", 0, 0),
        practice(u"/c/p5", u"ar10", u"Ann"),
    });
    CCatalog& catalog = *m_services->catalog;
    catalog.Refresh();
    auto guard = catalog.Lock();
    EXPECT_EQ(u"ar10(3/2)[Ann(1/4)[/c/p5(5/0) ] ] Other(3/2)[/c/junk(6/0) ] "
              u"AR10(3/2)[Bob(1/4)[/c/p2(5/0) ] Ann(1/4)[/c/p3(6/0) /c/p1(5/0) ] ] Air Pistol(3/2F) "
              u"Air Rifle(3/2F)[Cy(1/4)[/c/p4(5/0) ] ] ",
              outline(catalog.Head()));

    const TreeNode* ann = catalog.FindNode(listOf({u"AR10", u"Ann"}).get());
    ASSERT_TRUE(ann);
    EXPECT_EQ(u"Ann", ann->name);
    EXPECT_EQ(u"AR10", catalog.FindParent(*ann)->name);
    EXPECT_EQ(nullptr, catalog.FindParent(*catalog.Head().front()));
    EXPECT_EQ(nullptr, catalog.FindNode(listOf({}).get())); // The root itself.
    EXPECT_EQ(nullptr, catalog.FindNode(listOf({u"AR10", u"ann"}).get()));
    EXPECT_EQ(nullptr, catalog.FindChildren(listOf({u"Nowhere"}).get()));
    EXPECT_EQ(&catalog.Head(), catalog.FindChildren(listOf({}).get()));
    EXPECT_TRUE(catalog.FindNode(listOf({u"AR10", u"Ann", u"/c/p1"}).get())->isFile);

    platform::com::ComPtr<platform::shell::IEnumIDList> items;
    ASSERT_EQ(S_OK, catalog.CreateEnumIDList(listOf({u"AR10", u"Ann"}).get(), items.put()));
    LPITEMIDLIST got[5] = {};
    ULONG fetched = 0;
    EXPECT_EQ(S_FALSE, items->Next(5, got, &fetched));
    ASSERT_EQ(2u, fetched);
    EXPECT_EQ(u"/c/p3", ILItemName(got[0]));
    EXPECT_EQ(u"/c/p1", ILItemName(got[1]));
    platform::shell::ILFree(got[0]);
    platform::shell::ILFree(got[1]);
    EXPECT_EQ(E_INVALIDARG, items->Next(2, got, nullptr));
    EXPECT_EQ(S_OK, items->Reset());
    EXPECT_EQ(S_OK, items->Skip(2));
    EXPECT_EQ(S_FALSE, items->Skip(1));
    EXPECT_EQ(E_NOTIMPL, items->Clone(nullptr));
}

TEST_F(CatalogTest, RebuildsOnlyWhenTheGenerationMovesAndKeepsTheTreeOfADamagedCache)
{
    publish({practice(u"/c/p1", u"AR10", u"Ann")});
    CCatalog& catalog = *m_services->catalog;
    catalog.Refresh();
    const std::uint64_t first = catalog.TreeVersion();
    catalog.Refresh();
    EXPECT_EQ(first, catalog.TreeVersion());
    EXPECT_EQ(1, m_watcherStarts); // Started once, then found running.

    auto damaged = catalogcache::testsupport::cacheOf({practice(u"/c/p2", u"AR10", u"Bob")});
    catalogcache::CatalogHeader header = catalogcache::readHeader(damaged);
    header.endMark = 0;
    catalogcache::writeHeader(damaged, header);
    std::ofstream(location().cacheFile, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(damaged.data()), static_cast<std::streamsize>(damaged.size()));
    page().increment();
    catalog.Refresh();
    catalog.Refresh();
    ASSERT_EQ(1u, m_failures.size()); // Once per failure state.
    EXPECT_EQ(u"Invalid cache version or corrupted", m_failures[0].first);
    EXPECT_EQ(u"talvoshell", m_failures[0].second);
    {
        auto guard = catalog.Lock();
        EXPECT_TRUE(catalog.FindNode(listOf({u"AR10", u"Ann"}).get())); // The tree read last.
    }

    publish({practice(u"/c/p2", u"AR10", u"Bob")});
    catalog.Refresh();
    EXPECT_EQ(1u, m_failures.size());
    EXPECT_NE(first, catalog.TreeVersion());
    auto guard = catalog.Lock();
    EXPECT_TRUE(catalog.FindNode(listOf({u"AR10", u"Bob"}).get()));
    EXPECT_FALSE(catalog.FindNode(listOf({u"AR10", u"Ann"}).get()));
}

TEST_F(CatalogTest, AWatcherThatCannotStartIsReportedOnceWithItsPath)
{
    publish({practice(u"/c/p1", u"AR10", u"Ann")});
    CCatalog catalog(
        location(), [] { return false; }, u"/opt/talvo/bin/talvowatch",
        [this](const std::u16string& text, const std::u16string& caption) { m_failures.emplace_back(text, caption); });
    catalog.Refresh();
    catalog.Refresh();
    ASSERT_EQ(1u, m_failures.size());
    EXPECT_EQ(u"Unable to init catalog", m_failures[0].first);
    EXPECT_EQ(u"/opt/talvo/bin/talvowatch", m_failures[0].second);
    auto guard = catalog.Lock();
    EXPECT_TRUE(catalog.Head().empty());
}

} // namespace
} // namespace talvoshell
