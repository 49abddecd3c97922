#pragma once

#include "catalogcache/CatalogLocation.h"
#include "catalogcache/CatalogRecord.h"
#include "catalogcache/CatalogTexts.h"
#include "platform/shell/ItemIdList.h"
#include "platform/shell/ShellInterfaces.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace catalogcache {
class CatalogReader;
}

namespace talvoshell {

/// The catalog's icons, in the order the icon extractor numbers them.
enum CatalogIcon : int {
    kIconRoot = 0,
    kIconShooter = 1,
    kIconEventOpen = 2,
    kIconEvent = 3,
    kIconShooterOpen = 4,
    kIconPractice = 5,
    kIconOldPractice = 6,
};

/// A folder (event, shooter, fixed or "Other") or a practice file of the catalog tree.
struct TreeNode {
    bool isFolder = false;
    bool isFixed = false;
    bool isFile = false;
    std::int32_t fileVersion = 0;
    std::u16string name; ///< A folder's name, or a file's full path.
    std::u16string comments;
    std::u16string position;
    int iconClosed = 0;
    int iconOpen = 0; ///< 0: the closed icon.
    std::int32_t shotCount = 0;
    std::int32_t total = 0;
    double date = 0;
    std::vector<std::unique_ptr<TreeNode>> children; ///< In tree order.
    /// The first child of each name.
    std::unordered_map<std::u16string_view, TreeNode*> byName;

    const TreeNode* child(std::u16string_view childName) const;
};
using TreeList = std::vector<std::unique_ptr<TreeNode>>;

/// The folders a catalog always shows, even empty.
inline constexpr const char16_t* kFixedFolders[] = {u"Air Rifle", u"Air Pistol"};
inline constexpr char16_t kOtherFolder[] = u"Other";

/// The catalog as the shell folder sees it: the cache's records as a tree of events, shooters and practices,
/// rebuilt only when the watcher's generation counter or start stamp has moved.
/// Thread rule: any thread. Walks of the tree hold Lock(); Refresh takes it itself and starts the watcher and
/// reports failures with it released.
class CCatalog {
public:
    /// Starts the watcher and waits for it to get ready; false when it could not be started or stayed unready.
    using WatcherStarter = std::function<bool()>;
    /// Shows a failure (text, caption).
    using FailureReporter = std::function<void(const std::u16string& text, const std::u16string& caption)>;

    /// The failures are told in the language of `texts`.
    CCatalog(catalogcache::CatalogLocation location, WatcherStarter startWatcher, std::u16string watcherPath,
             FailureReporter report, catalogcache::CatalogTexts texts = {});
    virtual ~CCatalog();
    CCatalog(const CCatalog&) = delete;
    CCatalog& operator=(const CCatalog&) = delete;

    /// Makes the tree current. A failure is reported once until the catalog reads well again, and the tree
    /// read last stays.
    void Refresh();
    /// True when the last refresh rebuilt the tree.
    std::uint64_t TreeVersion() const;

    [[nodiscard]] std::unique_lock<std::recursive_mutex> Lock() const { return std::unique_lock(m_mutex); }

    // Under Lock():
    const TreeList& Head() const { return m_head; }
    /// The children of the folder an absolute list names (the computer's and the root's items skipped); null
    /// when a name is not found.
    const TreeList* FindChildren(platform::shell::LPCITEMIDLIST absolute) const;
    /// The node an absolute list names; null for the root itself or a name not found.
    const TreeNode* FindNode(platform::shell::LPCITEMIDLIST absolute) const;
    /// The node of a one-level `item` of the folder that `folder` names; null when either is not found.
    const TreeNode* FindItem(platform::shell::LPCITEMIDLIST folder, platform::shell::LPCITEMIDLIST item) const;
    /// The top-level folder holding `node` among its children; null when `node` is itself top-level.
    const TreeNode* FindParent(const TreeNode& node) const;
    /// The children of the folder the list names, in tree order, each with its one-level item; a child whose item
    /// cannot be made is left out.
    std::vector<std::pair<const TreeNode*, platform::shell::ItemIdPtr>>
    ChildItems(platform::shell::LPCITEMIDLIST absolute) const;
    /// An enumerator over the children of the folder the list names, in tree order.
    HRESULT CreateEnumIDList(platform::shell::LPCITEMIDLIST absolute, platform::shell::IEnumIDList** out) const;

private:
    using NameIndex = std::unordered_map<std::u16string_view, TreeNode*>;
    /// The name index of the children of the folder a list names.
    const NameIndex* FindIndex(platform::shell::LPCITEMIDLIST absolute) const;
    void Rebuild(const std::vector<catalogcache::CatalogRecord>& records);
    /// Starts the watcher when none runs; the failure text, if any.
    std::optional<std::u16string> EnsureWatcher();
    void Report(std::optional<std::pair<std::u16string, std::u16string>> failure);

    catalogcache::CatalogLocation m_location;
    WatcherStarter m_startWatcher;
    std::u16string m_watcherPath;
    FailureReporter m_report;
    const catalogcache::CatalogTexts m_texts;

    mutable std::recursive_mutex m_mutex;
    std::unique_ptr<catalogcache::CatalogReader> m_reader;
    bool m_built = false;
    std::uint64_t m_treeVersion = 0;
    TreeList m_head;
    NameIndex m_topByName;
    std::mutex m_reportMutex;
    std::optional<std::u16string> m_shownFailure; // The failure state last reported.
};

} // namespace talvoshell
