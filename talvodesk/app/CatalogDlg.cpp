#include "talvodesk/app/CatalogDlg.h"

#include "platform/com/LittleEndian.h"
#include "platform/shell/ChangeNotify.h"
#include "platform/shell/Computer.h"
#include "talvodesk/app/ResText.h"
#include "talvodesk/app/internal/DialogParts.h"
#include "talvodesk/core/program/ShellItems.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace talvodesk {

using namespace platform::shell;
using platform::com::ComPtr;

namespace {

constexpr std::u16string_view kRectValue = u"WindowRectOpen";
constexpr std::uint32_t kOpenText = 61220;
constexpr std::size_t kTreeNameLength = 520;
constexpr std::size_t kPathLength = 32768;
constexpr FOLDERSETTINGS kStartSettings{FVM_SMALLICON, 0xC1};
constexpr LONG kTreeEvents = SHCNE_MKDIR | SHCNE_RMDIR | SHCNE_UPDATEDIR;
// The dialog's size in dialog units.
constexpr int kWidthUnits = 351;
constexpr int kHeightUnits = 188;

std::uint32_t loadU32(const std::vector<std::uint8_t>& block, std::size_t at)
{
    return platform::com::loadLittleEndian<std::uint32_t>(block.data() + at);
}

/// The item list at `offset` of a "Shell IDList Array", when it lies wholly inside the block.
LPCITEMIDLIST listAt(const std::vector<std::uint8_t>& block, std::size_t offset)
{
    std::size_t at = offset;
    while (at + 2 <= block.size()) {
        const std::size_t size = platform::com::loadLittleEndian<std::uint16_t>(block.data() + at);
        if (size == 0) {
            return reinterpret_cast<LPCITEMIDLIST>(block.data() + offset);
        }
        at += size;
    }
    return nullptr;
}

} // namespace

CCatalogDlg::CCatalogDlg(QWidget* parent, const CTalvoAppModule* module)
    : QDialog(parent), m_tree(new QTreeWidget(this)), m_viewArea(new QWidget(this)),
      m_viewLayout(new QVBoxLayout(m_viewArea)), m_placeholder(new QFrame(m_viewArea)),
      m_open(new QPushButton(ResText(ModuleOrEnglish(module), kOpenText), this)), m_folderSettings(kStartSettings)
{
    setWindowTitle(m_open->text());
    setSizeGripEnabled(true);
    m_tree->setHeaderHidden(true);
    m_tree->setColumnCount(1);
    static_cast<QFrame*>(m_placeholder)->setFrameShape(QFrame::StyledPanel);
    m_viewLayout->setContentsMargins(0, 0, 0, 0);
    m_viewLayout->addWidget(m_placeholder);
    auto* panes = new QHBoxLayout;
    panes->addWidget(m_tree, 149);
    panes->addWidget(m_viewArea, 185);
    auto* cancel = new QPushButton(ResText(ModuleOrEnglish(module), kCancelText), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_open);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(panes, 1);
    layout->addLayout(buttons);
    m_open->setDefault(true);
    m_open->setEnabled(false);
    connect(m_open, &QPushButton::clicked, this, [this] { done(1); });
    connect(cancel, &QPushButton::clicked, this, [this] { done(2); });
    connect(m_tree, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) { ListChildren(item); });
    connect(m_tree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) { SelectionChanged(item); });
    setMinimumSize(TemplateMinimumSize(*this, kWidthUnits, kHeightUnits));
    resize(minimumSize());
    m_refreshTimer.setSingleShot(true);
    m_refreshTimer.setInterval(kRefreshMilliseconds);
    connect(&m_refreshTimer, &QTimer::timeout, this, [this] { OnRefreshTimer(); });
}

CCatalogDlg::~CCatalogDlg()
{
    if (m_notify != 0) {
        SHChangeNotifyDeregister(m_notify);
    }
    ReleaseView();
    ClearTree();
}

void CCatalogDlg::SetStartFolder(std::u16string event, std::u16string shooter)
{
    m_startEvent = std::move(event);
    m_startShooter = std::move(shooter);
}

void CCatalogDlg::done(int result)
{
    StoreWindowRect(*this, m_settingsRoot, kRectValue);
    QDialog::done(result);
}

int CCatalogDlg::DoModal()
{
    OnInitDialog();
    return exec() == 1 ? 1 : 2;
}

void CCatalogDlg::OnInitDialog()
{
    CentreOnOwner(*this);
    (void)RestoreWindowRect(*this, m_settingsRoot, kRectValue); // else it stays centred
    if (!RefreshTree()) {
        return; // No catalog: an empty dialog that can only be cancelled.
    }
    if (m_tree->topLevelItemCount() > 0) {
        m_tree->setCurrentItem(m_tree->topLevelItem(0));
    }
    if (!m_startEvent.empty()) {
        ItemIdPtr list(ILClone(m_root.get()));
        list.reset(ILAppend(list.release(), ItemIdPtr(MakeCatalogItem(1, m_startEvent)).get()));
        if (!m_startShooter.empty()) {
            list.reset(ILAppend(list.release(), ItemIdPtr(MakeCatalogItem(1, m_startShooter)).get()));
        }
        SelectTreeItem(list.get(), true);
    }
    m_notify = SHChangeNotifyRegister(m_root.get(), true, kTreeEvents, [this](LONG, LPCITEMIDLIST) {
        m_refreshTimer.start(); // A burst of changes refreshes once, after the last.
    });
}

void CCatalogDlg::OnRefreshTimer()
{
    m_refreshTimer.stop();
    ItemIdPtr shown = std::move(m_current);
    ReleaseView();
    if (RefreshTree() && shown) {
        SelectTreeItem(shown.get(), true);
    }
}

HRESULT CCatalogDlg::QueryInterface(REFIID riid, void** ppvObject)
{
    if (!ppvObject) {
        return E_POINTER;
    }
    if (riid == IUnknown::kIid || riid == IShellBrowser::kIid) {
        *ppvObject = static_cast<IShellBrowser*>(this);
    } else if (riid == ICommDlgBrowser::kIid) {
        *ppvObject = static_cast<ICommDlgBrowser*>(this);
    } else {
        *ppvObject = nullptr;
        return E_NOINTERFACE;
    }
    return S_OK;
}

HRESULT CCatalogDlg::GetWindow(HWND* phwnd)
{
    if (!phwnd) {
        return E_POINTER;
    }
    *phwnd = this;
    return S_OK;
}

HRESULT CCatalogDlg::BrowseObject(LPCITEMIDLIST pidl, UINT wFlags)
{
    if (!pidl) {
        return E_INVALIDARG;
    }
    ItemIdPtr list;
    if ((wFlags & SBSP_RELATIVE) != 0) {
        if (!m_current) {
            return E_UNEXPECTED;
        }
        list.reset(ILCombine(m_current.get(), pidl));
    } else {
        list.reset(ILClone(pidl));
    }
    SelectTreeItem(list.get(), false);
    return S_OK;
}

HRESULT CCatalogDlg::OnDefaultCommand(IShellView*)
{
    const std::vector<Selected> selected = ReadSelection();
    if (std::any_of(selected.begin(), selected.end(), [](const Selected& item) { return item.isFolder; })) {
        return S_FALSE; // The view opens the folder itself.
    }
    if (!selected.empty() && !selected.front().path.empty()) {
        SetPath(selected.front().path);
        QMetaObject::invokeMethod(m_open, &QPushButton::click, Qt::QueuedConnection);
    }
    return S_OK;
}

HRESULT CCatalogDlg::OnStateChange(IShellView*, ULONG uChange)
{
    if (uChange != CDBOSC_SELCHANGE) {
        return S_OK;
    }
    SetPath({});
    for (const Selected& item : ReadSelection()) {
        if (!item.isFolder && !item.path.empty()) {
            SetPath(item.path);
            break;
        }
    }
    return S_OK;
}

bool CCatalogDlg::RefreshTree()
{
    ClearTree();
    if (!m_rootFolder && !FindCatalogRoot(m_rootFolder, m_root)) {
        return false;
    }
    FillTreeLevel(*m_rootFolder, m_root.get(), nullptr);
    return true;
}

void CCatalogDlg::FillTreeLevel(IShellFolder& folder, LPCITEMIDLIST parentList, QTreeWidgetItem* parentItem)
{
    ComPtr<IEnumIDList> items;
    if (FAILED(folder.EnumObjects(this, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, items.put()))) {
        return;
    }
    std::vector<QTreeWidgetItem*> added;
    std::vector<QTreeWidgetItem*> toExpand;
    LPITEMIDLIST next = nullptr;
    while (items->Next(1, &next, nullptr) == S_OK) {
        ItemIdPtr item(next);
        const LPCITEMIDLIST one[] = {item.get()};
        ULONG attributes = SFGAO_FOLDER | SFGAO_HASSUBFOLDER;
        char16_t name[kTreeNameLength] = {};
        if (FAILED(folder.GetAttributesOf(1, one, &attributes)) || (attributes & SFGAO_FOLDER) == 0 ||
            !GetItemDisplayName(folder, item.get(), SHGDN_NORMAL, name, kTreeNameLength)) {
            continue;
        }
        std::u16string text(name);
        if (!parentItem) {
            if (!m_eventFilter.empty() && m_eventFilter != text) {
                continue;
            }
            if (m_eventNamer) {
                text = m_eventNamer(text).value_or(text);
            }
        }
        auto record = std::make_unique<TreeRecord>();
        record->parent = ComPtr<IShellFolder>(&folder);
        record->absolute.reset(ILCombine(parentList, item.get()));
        record->relative = std::move(item);
        record->unlisted = (attributes & SFGAO_HASSUBFOLDER) != 0;
        auto* treeItem = new QTreeWidgetItem(QStringList{QString::fromStdU16String(text)});
        treeItem->setIcon(0, style()->standardIcon(QStyle::SP_DirIcon));
        treeItem->setChildIndicatorPolicy(record->unlisted ? QTreeWidgetItem::ShowIndicator
                                                           : QTreeWidgetItem::DontShowIndicatorWhenChildless);
        m_records.emplace(treeItem, std::move(record));
        added.push_back(treeItem);
        if (!parentItem && !m_eventFilter.empty()) {
            toExpand.push_back(treeItem);
        }
    }
    // The folder's own order; a failing comparison counts as equal.
    std::stable_sort(added.begin(), added.end(), [this](QTreeWidgetItem* a, QTreeWidgetItem* b) {
        const TreeRecord& first = *m_records.at(a);
        const HRESULT order = first.parent->CompareIDs(0, first.relative.get(), m_records.at(b)->relative.get());
        return SUCCEEDED(order) && static_cast<std::int16_t>(order & 0xFFFF) < 0;
    });
    for (QTreeWidgetItem* item : added) {
        if (parentItem) {
            parentItem->addChild(item);
        } else {
            m_tree->addTopLevelItem(item);
        }
    }
    for (QTreeWidgetItem* item : toExpand) {
        item->setExpanded(true);
    }
}

void CCatalogDlg::ListChildren(QTreeWidgetItem* item)
{
    auto found = m_records.find(item);
    if (found == m_records.end() || !found->second->unlisted) {
        return;
    }
    TreeRecord& record = *found->second;
    record.unlisted = false;
    ComPtr<IShellFolder> folder;
    if (SUCCEEDED(record.parent->BindToObject(record.relative.get(), nullptr, IShellFolder::kIid, folder.putVoid()))) {
        FillTreeLevel(*folder, record.absolute.get(), item);
    }
}

bool CCatalogDlg::SelectTreeItem(LPCITEMIDLIST list, bool force)
{
    if (!force && ILIsEqual(list, m_current.get())) {
        return false;
    }
    std::vector<QTreeWidgetItem*> roots;
    for (int i = 0; i < m_tree->topLevelItemCount(); ++i) {
        roots.push_back(m_tree->topLevelItem(i));
    }
    QTreeWidgetItem* item = FindTreeItem(list, roots);
    if (!item) {
        return false;
    }
    if (m_tree->currentItem() == item) {
        SelectionChanged(item); // Shown again after a refresh.
    } else {
        m_tree->setCurrentItem(item);
    }
    return true;
}

QTreeWidgetItem* CCatalogDlg::FindTreeItem(LPCITEMIDLIST list, const std::vector<QTreeWidgetItem*>& level)
{
    for (QTreeWidgetItem* item : level) {
        if (ILIsEqual(m_records.at(item)->absolute.get(), list)) {
            return item;
        }
    }
    for (QTreeWidgetItem* item : level) {
        ListChildren(item);
        if (QTreeWidgetItem* found = FindTreeItem(list, ChildrenOf(item))) {
            return found;
        }
    }
    return nullptr;
}

std::vector<QTreeWidgetItem*> CCatalogDlg::ChildrenOf(QTreeWidgetItem* item) const
{
    std::vector<QTreeWidgetItem*> children;
    for (int i = 0; i < item->childCount(); ++i) {
        children.push_back(item->child(i));
    }
    return children;
}

void CCatalogDlg::SelectionChanged(QTreeWidgetItem* item)
{
    auto found = m_records.find(item);
    if (found == m_records.end() || ILIsEqual(found->second->absolute.get(), m_current.get())) {
        return;
    }
    m_pending.reset(ILClone(found->second->absolute.get()));
    // Shown once the tree has settled, as a posted message would be.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (ItemIdPtr pending = std::move(m_pending)) {
                BrowseTo(pending.get());
            }
        },
        Qt::QueuedConnection);
}

bool CCatalogDlg::BrowseTo(LPCITEMIDLIST list)
{
    SetPath({});
    ReleaseView();
    ComPtr<IShellFolder> folder;
    ComPtr<IShellView> view;
    HWND window = nullptr;
    if (SUCCEEDED(BindToFolder(list, folder.put())) &&
        SUCCEEDED(folder->CreateViewObject(this, IShellView::kIid, view.putVoid())) &&
        SUCCEEDED(view->CreateViewWindow(nullptr, &m_folderSettings, this, m_viewArea, &window)) && window) {
        m_currentFolder = std::move(folder);
        m_view = std::move(view);
        m_viewWindow = window;
        m_current.reset(ILClone(list));
        m_placeholder->hide();
        m_viewLayout->addWidget(window);
        window->show();
        return true;
    }
    if (view) {
        (void)view->DestroyViewWindow();
    }
    m_placeholder->show();
    return false;
}

void CCatalogDlg::ReleaseView()
{
    if (m_view) {
        (void)m_view->GetCurrentInfo(&m_folderSettings);
        (void)m_view->DestroyViewWindow();
    }
    m_view.reset();
    m_currentFolder.reset();
    m_viewWindow = nullptr;
    m_current.reset();
    m_placeholder->show();
}

std::vector<CCatalogDlg::Selected> CCatalogDlg::ReadSelection()
{
    std::vector<Selected> selected;
    ComPtr<IDataObject> selection;
    if (!m_view || !m_currentFolder ||
        FAILED(m_view->GetItemObject(SVGIO_SELECTION, IDataObject::kIid, selection.putVoid()))) {
        return selected;
    }
    FORMATETC format;
    format.cfFormat = RegisterClipboardFormat(u"Shell IDList Array");
    STGMEDIUM medium;
    if (FAILED(selection->GetData(&format, &medium)) || medium.hGlobal.size() < 4) {
        return selected;
    }
    const std::vector<std::uint8_t>& block = medium.hGlobal;
    const std::size_t count = loadU32(block, 0);
    if (count > (block.size() - 4) / 4 - 1) {
        return selected;
    }
    for (std::size_t i = 1; i <= count; ++i) {
        LPCITEMIDLIST item = listAt(block, loadU32(block, 4 + 4 * i));
        if (!item) {
            continue;
        }
        ULONG attributes = SFGAO_FOLDER;
        (void)m_currentFolder->GetAttributesOf(1, &item, &attributes); // A failure reads as no folder.
        std::u16string path(kPathLength, u'\0');
        if (!GetItemDisplayName(*m_currentFolder, item, SHGDN_FORPARSING, path.data(), path.size())) {
            continue;
        }
        path.resize(std::char_traits<char16_t>::length(path.c_str()));
        selected.push_back({(attributes & SFGAO_FOLDER) != 0, std::move(path)});
    }
    return selected;
}

void CCatalogDlg::SetPath(std::u16string path)
{
    m_path = std::move(path);
    m_open->setEnabled(!m_path.empty());
}

void CCatalogDlg::ClearTree()
{
    m_tree->clear();
    m_records.clear();
}

} // namespace talvodesk
