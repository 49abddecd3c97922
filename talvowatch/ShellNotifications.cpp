#include "talvowatch/ShellNotifications.h"

namespace talvowatch {

using catalogcache::AppendCatalogItemId;
using catalogcache::CatalogRecord;
using catalogcache::ItemIdList;
using catalogcache::kCatalogItemKind;
using catalogcache::MakeCatalogItemId;

namespace {

ItemIdList eventList(const CatalogRecord& record)
{
    return AppendCatalogItemId(catalogcache::GetCatalogRootIdList(), MakeCatalogItemId(kCatalogItemKind, record.event));
}

ItemIdList shooterList(const CatalogRecord& record)
{
    return AppendCatalogItemId(eventList(record), MakeCatalogItemId(kCatalogItemKind, record.shooter));
}

ItemIdList fileList(const CatalogRecord& record)
{
    return AppendCatalogItemId(shooterList(record), MakeCatalogItemId(kCatalogItemKind, record.path));
}

} // namespace

std::vector<ShellNotification> appendNotifications(const FolderCounts& before, const CatalogRecord& record)
{
    std::vector<ShellNotification> notifications;
    if (before.event == 0) {
        notifications.push_back({ShellChange::MkDir, eventList(record)});
    }
    if (before.shooter > 0) {
        notifications.push_back({ShellChange::Create, fileList(record)});
    } else {
        notifications.push_back({ShellChange::MkDir, shooterList(record)});
    }
    return notifications;
}

std::vector<ShellNotification> deletionNotifications(const FolderCounts& before, const CatalogRecord& record)
{
    if (before.shooter > 1) {
        return {{ShellChange::Delete, fileList(record)}};
    }
    std::vector<ShellNotification> notifications{{ShellChange::RmDir, shooterList(record)}};
    if (before.event <= 1) {
        notifications.push_back({ShellChange::RmDir, eventList(record)});
    }
    return notifications;
}

} // namespace talvowatch
