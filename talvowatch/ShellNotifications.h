#pragma once

#include "catalogcache/CatalogItemId.h"
#include "catalogcache/CatalogRecord.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace talvowatch {

/// The shell change events the watcher reports, with the shell's numbers.
enum class ShellChange : std::uint32_t {
    Create = 0x2, ///< SHCNE_CREATE
    Delete = 0x4, ///< SHCNE_DELETE
    MkDir = 0x8,  ///< SHCNE_MKDIR
    RmDir = 0x10, ///< SHCNE_RMDIR
};

/// One change of the catalog's shell folders, naming the object by its absolute item-identifier list
/// (root, event, shooter, practice path).
struct ShellNotification {
    ShellChange change;
    catalogcache::ItemIdList idList;

    bool operator==(const ShellNotification&) const = default;
};

using NotificationSink = std::function<void(const ShellNotification&)>;

/// Live practice documents, before a change, of the record's event and of its event and shooter together.
struct FolderCounts {
    int event = 0;
    int shooter = 0;
};

/// What appending the document `record` changes in the shell: a new event folder, then a new shooter folder or,
/// in a shooter folder that already had a practice, the new file.
std::vector<ShellNotification> appendNotifications(const FolderCounts& before,
                                                   const catalogcache::CatalogRecord& record);
/// What deleting the document `record` changes: the file, when its shooter keeps other practices; else the
/// shooter folder, then the event folder when the event keeps none.
std::vector<ShellNotification> deletionNotifications(const FolderCounts& before,
                                                     const catalogcache::CatalogRecord& record);

} // namespace talvowatch
