#include "talvoshell/Catalog.h"

#include "catalogcache/CatalogEnglish.h"
#include "catalogcache/CatalogReader.h"
#include "platform/com/Bstr.h"
#include "platform/com/ComObject.h"
#include "platform/shell/EnumIDList.h"

#include <algorithm>

namespace talvoshell {

using catalogcache::CatalogReader;
using catalogcache::CatalogRecord;
using catalogcache::RecordState;
using platform::shell::ILItemName;
using platform::shell::ILNext;
using platform::shell::LPCITEMIDLIST;

namespace {

constexpr char16_t kLibraryCaption[] = u"talvoshell";

std::unique_ptr<TreeNode> folderNode(std::u16string name, bool isShooter)
{
    auto node = std::make_unique<TreeNode>();
    node->isFolder = true;
    node->name = std::move(name);
    node->iconClosed = isShooter ? kIconShooter : kIconEvent;
    node->iconOpen = isShooter ? kIconShooterOpen : kIconEventOpen;
    return node;
}

std::unique_ptr<TreeNode> fileNode(const CatalogRecord& record)
{
    auto node = std::make_unique<TreeNode>();
    node->isFile = true;
    node->fileVersion = record.fileVersion;
    node->name = record.path;
    node->comments = record.comments;
    node->position = record.position;
    node->iconClosed = record.fileVersion < 10 ? kIconOldPractice : kIconPractice;
    node->shotCount = record.matchShots;
    node->total = record.integerTotal;
    node->date = record.date;
    return node;
}

/// The folder of this name among `list`, made at its end when missing.
TreeNode* folderIn(TreeList& list, std::unordered_map<std::u16string_view, TreeNode*>& byName,
                   const std::u16string& name, bool isShooter)
{
    if (auto found = byName.find(name); found != byName.end()) {
        return found->second;
    }
    list.push_back(folderNode(name, isShooter));
    TreeNode* folder = list.back().get();
    byName.emplace(folder->name, folder);
    return folder;
}

/// Nodes were added at the ends of their lists; the tree shows the newest first. The name indexes then keep the
/// first node of each name in that order.
void putNewestFirst(TreeList& list, std::unordered_map<std::u16string_view, TreeNode*>& byName)
{
    std::reverse(list.begin(), list.end());
    byName.clear();
    for (const auto& node : list) {
        byName.emplace(node->name, node.get());
        putNewestFirst(node->children, node->byName);
    }
}

} // namespace

const TreeNode* TreeNode::child(std::u16string_view childName) const
{
    auto found = byName.find(childName);
    return found == byName.end() ? nullptr : found->second;
}

CCatalog::CCatalog(catalogcache::CatalogLocation location, WatcherStarter startWatcher, std::u16string watcherPath,
                   FailureReporter report, catalogcache::CatalogTexts texts)
    : m_location(std::move(location)), m_startWatcher(std::move(startWatcher)), m_watcherPath(std::move(watcherPath)),
      m_report(std::move(report)), m_texts(std::move(texts))
{
}

CCatalog::~CCatalog() = default;

void CCatalog::Refresh()
{
    std::optional<std::pair<std::u16string, std::u16string>> failure;
    if (auto text = EnsureWatcher()) {
        failure.emplace(*text, m_watcherPath);
    } else {
        auto guard = Lock();
        if (!m_reader) {
            auto reader = CatalogReader::create(m_location);
            if (reader) {
                m_reader = std::move(reader).value();
            } else {
                failure.emplace(m_texts.text(catalogcache::kUnableToOpenMappingText), kLibraryCaption);
            }
        }
        if (m_reader) {
            auto read = m_reader->refresh();
            if (!read) {
                failure.emplace(platform::com::utf8ToUtf16(read.error().detail), kLibraryCaption);
            } else if (read.value() == CatalogReader::Refresh::Rebuilt || !m_built) {
                Rebuild(m_reader->records());
            }
        }
    }
    Report(std::move(failure));
}

std::uint64_t CCatalog::TreeVersion() const
{
    auto guard = Lock();
    return m_treeVersion;
}

std::optional<std::u16string> CCatalog::EnsureWatcher()
{
    if (CatalogReader::isWatcherReady(m_location) || (m_startWatcher && m_startWatcher())) {
        return std::nullopt;
    }
    return m_texts.text(catalogcache::kUnableToInitText);
}

void CCatalog::Report(std::optional<std::pair<std::u16string, std::u16string>> failure)
{
    {
        std::lock_guard guard(m_reportMutex);
        const std::optional<std::u16string> state =
            failure ? std::optional<std::u16string>(failure->first) : std::nullopt;
        if (state == m_shownFailure) {
            return;
        }
        m_shownFailure = state;
    }
    if (failure && m_report) {
        m_report(failure->first, failure->second);
    }
}

void CCatalog::Rebuild(const std::vector<CatalogRecord>& records)
{
    m_head.clear();
    m_topByName.clear();
    for (const char16_t* name : kFixedFolders) {
        TreeNode* fixed = folderIn(m_head, m_topByName, name, false);
        fixed->isFixed = true;
    }
    for (const CatalogRecord& record : records) {
        TreeNode* folder = nullptr;
        if (record.state == RecordState::Other) {
            folder = folderIn(m_head, m_topByName, kOtherFolder, false);
        } else {
            TreeNode* event = folderIn(m_head, m_topByName, record.event, false);
            folder = folderIn(event->children, event->byName, record.shooter, true);
        }
        folder->children.push_back(fileNode(record));
    }
    putNewestFirst(m_head, m_topByName);
    m_built = true;
    ++m_treeVersion;
}

const CCatalog::NameIndex* CCatalog::FindIndex(LPCITEMIDLIST absolute) const
{
    const NameIndex* index = &m_topByName;
    for (LPCITEMIDLIST item = ILNext(ILNext(absolute)); item; item = ILNext(item)) { // Past computer and root.
        auto found = index->find(ILItemName(item));
        if (found == index->end()) {
            return nullptr;
        }
        index = &found->second->byName;
    }
    return index;
}

const TreeList* CCatalog::FindChildren(LPCITEMIDLIST absolute) const
{
    const TreeNode* node = FindNode(absolute);
    if (node) {
        return &node->children;
    }
    return ILNext(ILNext(absolute)) ? nullptr : &m_head;
}

const TreeNode* CCatalog::FindNode(LPCITEMIDLIST absolute) const
{
    LPCITEMIDLIST last = platform::shell::ILFindLastID(absolute);
    if (!ILNext(ILNext(absolute)) || !last) {
        return nullptr;
    }
    const std::uint32_t parentSize = platform::shell::ILGetSize(absolute) - platform::shell::ILGetSize(last);
    std::vector<std::uint8_t> parent(absolute->bytes, absolute->bytes + parentSize);
    parent.insert(parent.end(), {0, 0});
    return FindItem(reinterpret_cast<LPCITEMIDLIST>(parent.data()), last);
}

const TreeNode* CCatalog::FindItem(LPCITEMIDLIST folder, LPCITEMIDLIST item) const
{
    const NameIndex* index = FindIndex(folder);
    if (!index) {
        return nullptr;
    }
    auto found = index->find(ILItemName(item));
    return found == index->end() ? nullptr : found->second;
}

const TreeNode* CCatalog::FindParent(const TreeNode& node) const
{
    for (const auto& top : m_head) {
        for (const auto& child : top->children) {
            if (child.get() == &node) {
                return top.get();
            }
        }
    }
    return nullptr;
}

HRESULT CCatalog::CreateEnumIDList(LPCITEMIDLIST absolute, platform::shell::IEnumIDList** out) const
{
    if (!out) {
        return E_POINTER;
    }
    auto list = platform::com::makeComObject<platform::shell::CEnumIDList>();
    const TreeList* children = FindChildren(absolute);
    const auto items = ChildItems(absolute);
    if (children && items.size() != children->size()) {
        return E_OUTOFMEMORY;
    }
    for (const auto& [node, item] : items) {
        if (!list->Add(item.get())) {
            return E_OUTOFMEMORY;
        }
    }
    *out = list.detach();
    return S_OK;
}

std::vector<std::pair<const TreeNode*, platform::shell::ItemIdPtr>> CCatalog::ChildItems(LPCITEMIDLIST absolute) const
{
    std::vector<std::pair<const TreeNode*, platform::shell::ItemIdPtr>> items;
    if (const TreeList* children = FindChildren(absolute)) {
        items.reserve(children->size());
        for (const auto& child : *children) {
            if (platform::shell::ItemIdPtr item(platform::shell::MakeCatalogItem(1, child->name)); item) {
                items.emplace_back(child.get(), std::move(item));
            }
        }
    }
    return items;
}

} // namespace talvoshell
