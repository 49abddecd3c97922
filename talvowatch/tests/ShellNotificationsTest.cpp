#include "talvowatch/ShellNotifications.h"

#include <gtest/gtest.h>

namespace talvowatch {
namespace {

using catalogcache::catalogItemNames;
using Names = std::vector<std::u16string>;

struct Seen {
    ShellChange change;
    Names names;
    bool operator==(const Seen&) const = default;
};

std::vector<Seen> seen(const std::vector<ShellNotification>& notifications)
{
    std::vector<Seen> result;
    for (const ShellNotification& notification : notifications) {
        result.push_back({notification.change, catalogItemNames(notification.idList)});
    }
    return result;
}

TEST(ShellNotificationsTest, ItemsFollowTheLayout)
{
    EXPECT_EQ((std::vector<std::uint8_t>{12, 0, 1, 0, 0, 0, 'A', 0, 'R', 0, 0, 0}),
              catalogcache::MakeCatalogItemId(1, u"AR"));
    const catalogcache::ItemIdList root = catalogcache::GetCatalogRootIdList();
    EXPECT_EQ((Names{u"My Computer", u"Talvo Catalog"}), catalogItemNames(root));
    EXPECT_EQ(0, root.end()[-1] | root.end()[-2]);
}

TEST(ShellNotificationsTest, ChangesFollowTheFoldersThatFillOrEmpty)
{
    catalogcache::CatalogRecord record;
    record.path = u"/c/p.talvo";
    record.event = u"AR";
    record.shooter = u"Ann";
    const Names event{u"My Computer", u"Talvo Catalog", u"AR"};
    const Names shooter{u"My Computer", u"Talvo Catalog", u"AR", u"Ann"};
    const Names file{u"My Computer", u"Talvo Catalog", u"AR", u"Ann", u"/c/p.talvo"};
    struct Case {
        const char* name;
        bool append;
        FolderCounts before;
        std::vector<Seen> expected;
    };
    const Case cases[] = {
        {"first of its event", true, {0, 0}, {{ShellChange::MkDir, event}, {ShellChange::MkDir, shooter}}},
        {"new shooter of a known event", true, {3, 0}, {{ShellChange::MkDir, shooter}}},
        {"known shooter", true, {3, 2}, {{ShellChange::Create, file}}},
        {"shooter keeps others", false, {3, 2}, {{ShellChange::Delete, file}}},
        {"last of its shooter", false, {3, 1}, {{ShellChange::RmDir, shooter}}},
        {"last of its event", false, {1, 1}, {{ShellChange::RmDir, shooter}, {ShellChange::RmDir, event}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.expected,
                  seen(c.append ? appendNotifications(c.before, record) : deletionNotifications(c.before, record)));
    }
}

} // namespace
} // namespace talvowatch
