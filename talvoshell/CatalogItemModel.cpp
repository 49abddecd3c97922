#include "talvoshell/CatalogItemModel.h"

#include "catalogcache/CatalogEnglish.h"
#include "platform/shell/Computer.h"
#include "talvoshell/TalvoFolder.h"

#include <QApplication>
#include <QStyle>

#include <algorithm>

namespace talvoshell {

using namespace platform::shell;
using platform::com::ComPtr;

namespace {

enum Column { kDateTime, kPosition, kShotCount, kResult, kComments, kColumnCount };

} // namespace

CatalogItemModel::CatalogItemModel(ComPtr<CTalvoFolder> folder, QObject* parent)
    : QAbstractTableModel(parent), m_folder(std::move(folder))
{
}

CatalogItemModel::~CatalogItemModel() = default;

void CatalogItemModel::Fill(const std::function<bool(LPCITEMIDLIST)>& include)
{
    CCatalog& catalog = *m_folder->Services().catalog;
    catalog.Refresh();
    std::vector<ItemIdPtr> items;
    bool holdsPractices = false;
    {
        // The items come with their nodes, so none is looked up by name; the nodes stay valid under the lock.
        auto guard = catalog.Lock();
        auto sorted = catalog.ChildItems(m_folder->FolderIdList());
        if (include) {
            std::erase_if(sorted, [&](const auto& child) { return !include(child.second.get()); });
        }
        holdsPractices = !sorted.empty() && sorted.front().first && sorted.front().first->isFile;
        std::stable_sort(sorted.begin(), sorted.end(),
                         [](const auto& a, const auto& b) { return CompareCatalogNodes(a.first, b.first) < 0; });
        items.reserve(sorted.size());
        for (auto& child : sorted) {
            items.push_back(std::move(child.second));
        }
    }
    beginResetModel();
    m_items = std::move(items);
    m_holdsPractices = holdsPractices;
    endResetModel();
}

LPCITEMIDLIST CatalogItemModel::Item(int row) const
{
    return row >= 0 && static_cast<std::size_t>(row) < m_items.size() ? m_items[row].get() : nullptr;
}

int CatalogItemModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_items.size());
}

int CatalogItemModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant CatalogItemModel::data(const QModelIndex& index, int role) const
{
    LPCITEMIDLIST item = Item(index.row());
    if (!item) {
        return {};
    }
    if (role == Qt::TextAlignmentRole) {
        const bool number = index.column() == kShotCount || index.column() == kResult;
        return QVariant::fromValue(number ? Qt::AlignRight | Qt::AlignVCenter : Qt::AlignLeft | Qt::AlignVCenter);
    }
    if (role == Qt::DisplayRole && index.column() == kDateTime) {
        STRRET name;
        if (FAILED(m_folder->GetDisplayNameOf(item, SHGDN_INFOLDER, &name))) {
            return {};
        }
        const QString text = QString::fromUtf16(name.pOleStr);
        SHFree(name.pOleStr);
        return text;
    }
    auto guard = m_folder->Services().catalog->Lock();
    const TreeNode* node = m_folder->NodeOf(item);
    if (!node) {
        return {};
    }
    if (role == Qt::DecorationRole && index.column() == kDateTime) {
        return CatalogIconImage(node->iconClosed);
    }
    if (role != Qt::DisplayRole || !node->isFile) {
        return {};
    }
    switch (index.column()) {
    case kPosition:
        return QString::fromStdU16String(node->position);
    case kShotCount:
        return QString::number(node->shotCount);
    case kResult:
        return QString::number(node->total);
    case kComments:
        return QString::fromStdU16String(node->comments);
    default:
        return {};
    }
}

QVariant CatalogItemModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kColumnCount) {
        return {};
    }
    return QString::fromStdU16String(
        CatalogText(m_folder->Services(), catalogcache::kColumnTitleTexts + static_cast<std::uint32_t>(section)));
}

QIcon CatalogIconImage(int index)
{
    QStyle* style = QApplication::style();
    switch (index) {
    case kIconRoot:
        return style->standardIcon(QStyle::SP_ComputerIcon);
    case kIconShooter:
    case kIconEvent:
        return style->standardIcon(QStyle::SP_DirClosedIcon);
    case kIconShooterOpen:
    case kIconEventOpen:
        return style->standardIcon(QStyle::SP_DirOpenIcon);
    default:
        return style->standardIcon(QStyle::SP_FileIcon);
    }
}

} // namespace talvoshell
