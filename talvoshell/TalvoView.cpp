#include "talvoshell/TalvoView.h"

#include "platform/shell/ChangeNotify.h"
#include "talvoshell/CatalogItemModel.h"
#include "talvoshell/ContextMenu.h"
#include "talvoshell/DataObject.h"
#include "talvoshell/TalvoFolder.h"

#include <QCursor>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMenu>
#include <QTreeView>
#include <QVBoxLayout>

namespace talvoshell {

using namespace platform::shell;
using platform::com::ComPtr;

namespace {

constexpr LONG kViewEvents =
    SHCNE_CREATE | SHCNE_DELETE | SHCNE_MKDIR | SHCNE_RMDIR | SHCNE_UPDATEDIR | SHCNE_UPDATEITEM;
constexpr UINT kFirstMenuId = 0;
constexpr UINT kLastMenuId = 100;

} // namespace

TalvoViewWidget::TalvoViewWidget(CTalvoView& view, CatalogItemModel* model, QWidget* parent)
    : QWidget(parent), m_view(view), m_list(new QTreeView(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);
    m_list->setModel(model);
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    m_list->header()->setSectionsClickable(false);
    m_list->setFocusPolicy(Qt::StrongFocus);
    setFocusProxy(m_list);
    FitColumns();
    connect(model, &QAbstractItemModel::modelReset, this, [this] { FitColumns(); });
    connect(m_list, &QAbstractItemView::activated, this, [this] { m_view.Activate(); });
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { m_view.SelectionChanged(); });
    connect(m_list, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) { ShowContextMenu(at); });
}

void TalvoViewWidget::FitColumns()
{
    for (int column = 0; column < m_list->model()->columnCount(); ++column) {
        m_list->resizeColumnToContents(column); // the title's and the values' width
        m_list->setColumnWidth(column, std::max(CatalogItemModel::kColumnWidths[column], m_list->columnWidth(column)));
    }
}

void TalvoViewWidget::SetReportStyle(bool report)
{
    m_list->setHeaderHidden(!report);
    for (int column = 1; column < m_list->model()->columnCount(); ++column) {
        m_list->setColumnHidden(column, !report);
    }
}

std::vector<int> TalvoViewWidget::SelectedRows() const
{
    std::vector<int> rows;
    for (const QModelIndex& index : m_list->selectionModel()->selectedRows()) {
        rows.push_back(index.row());
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

void TalvoViewWidget::ShowContextMenu(const QPoint& at)
{
    ComPtr<IContextMenu> menu = m_view.ContextMenu();
    std::vector<MenuItem> items;
    if (!menu || FAILED(menu->QueryContextMenu(&items, 0, kFirstMenuId, kLastMenuId, CMF_NORMAL))) {
        return;
    }
    QMenu popup(this);
    for (const MenuItem& item : items) {
        QAction* action = popup.addAction(QString::fromStdU16String(item.text));
        action->setData(item.id);
        if (item.isDefault) {
            popup.setDefaultAction(action);
        }
    }
    QAction* chosen = popup.exec(m_list->viewport()->mapToGlobal(at));
    if (!chosen) {
        return;
    }
    CMINVOKECOMMANDINFO command;
    command.hwnd = this;
    command.lpVerb = MakeIntVerb(chosen->data().toUInt() - kFirstMenuId);
    (void)menu->InvokeCommand(&command); // A vanished item does nothing.
}

CTalvoView::CTalvoView(ComPtr<CTalvoFolder> folder)
    : m_folder(std::move(folder)), m_model(std::make_unique<CatalogItemModel>(m_folder))
{
}

CTalvoView::~CTalvoView()
{
    (void)DestroyViewWindow();
}

HRESULT CTalvoView::GetWindow(HWND* phwnd)
{
    if (!phwnd) {
        return E_POINTER;
    }
    *phwnd = m_widget.data();
    return m_widget ? S_OK : E_FAIL;
}

HRESULT CTalvoView::UIActivate(UINT uState)
{
    m_uiState = uState;
    return S_OK;
}

HRESULT CTalvoView::Refresh()
{
    m_model->Fill([this](LPCITEMIDLIST item) { return !m_dialog || m_dialog->IncludeObject(this, item) == S_OK; });
    if (m_widget) {
        m_widget->SetReportStyle(m_model->HoldsPractices());
    }
    return S_OK;
}

HRESULT CTalvoView::CreateViewWindow(IShellView*, const FOLDERSETTINGS* pfs, IShellBrowser* psb, HWND parent,
                                     HWND* phWnd)
{
    if (!psb || !phWnd) {
        return E_INVALIDARG;
    }
    m_browser = ComPtr<IShellBrowser>(psb);
    if (pfs) {
        m_settings = *pfs;
    }
    (void)psb->QueryInterface(ICommDlgBrowser::kIid, m_dialog.putVoid()); // A plain browser has none.
    m_widget = new TalvoViewWidget(*this, m_model.get(), parent);
    m_notify = SHChangeNotifyRegister(m_folder->FolderIdList(), false, kViewEvents,
                                      [this](LONG, LPCITEMIDLIST) { (void)Refresh(); });
    (void)Refresh();
    m_widget->show();
    *phWnd = m_widget.data();
    return S_OK;
}

HRESULT CTalvoView::DestroyViewWindow()
{
    if (m_notify != 0) {
        SHChangeNotifyDeregister(m_notify);
        m_notify = 0;
    }
    delete m_widget.data();
    m_browser.reset();
    m_dialog.reset();
    return S_OK;
}

HRESULT CTalvoView::GetCurrentInfo(FOLDERSETTINGS* pfs)
{
    if (!pfs) {
        return E_POINTER;
    }
    *pfs = m_settings;
    return S_OK;
}

HRESULT CTalvoView::GetItemObject(UINT uItem, REFIID riid, void** ppv)
{
    if (!ppv) {
        return E_POINTER;
    }
    *ppv = nullptr;
    if (riid != IDataObject::kIid || (uItem != SVGIO_SELECTION && uItem != SVGIO_ALLVIEW)) {
        return E_NOINTERFACE;
    }
    std::vector<LPCITEMIDLIST> items;
    if (uItem == SVGIO_SELECTION) {
        for (int row : m_widget ? m_widget->SelectedRows() : std::vector<int>()) {
            items.push_back(m_model->Item(row));
        }
    } else {
        for (int row = 0; row < m_model->rowCount(); ++row) {
            items.push_back(m_model->Item(row));
        }
    }
    auto data = platform::com::makeComObject<CTalvoDataObject>(m_folder->FolderIdList(), items);
    return data->QueryInterface(riid, ppv);
}

void CTalvoView::Activate()
{
    const std::vector<int> rows = m_widget ? m_widget->SelectedRows() : std::vector<int>();
    if (rows.empty()) {
        return;
    }
    if (m_dialog && m_dialog->OnDefaultCommand(this) == S_OK) {
        return;
    }
    ItemIdPtr item(ILClone(m_model->Item(rows.front())));
    ULONG attributes = 0;
    const LPCITEMIDLIST items[] = {item.get()};
    (void)m_folder->GetAttributesOf(1, items, &attributes);
    if ((attributes & SFGAO_FOLDER) != 0) {
        if (m_browser) {
            (void)m_browser->BrowseObject(item.get(), SBSP_RELATIVE);
        }
        return;
    }
    ItemIdPtr absolute(ILCombine(m_folder->FolderIdList(), item.get()));
    if (ComPtr<CContextMenu> menu = CContextMenu::Create(m_folder->SharedServices(), absolute.get())) {
        CMINVOKECOMMANDINFO open;
        open.lpVerb = "open";
        (void)menu->InvokeCommand(&open);
    }
}

void CTalvoView::SelectionChanged()
{
    if (m_dialog) {
        (void)m_dialog->OnStateChange(this, CDBOSC_SELCHANGE);
    }
}

ComPtr<IContextMenu> CTalvoView::ContextMenu()
{
    ComPtr<IContextMenu> menu;
    const std::vector<int> rows = m_widget ? m_widget->SelectedRows() : std::vector<int>();
    if (!rows.empty()) {
        const LPCITEMIDLIST items[] = {m_model->Item(rows.front())};
        (void)m_folder->GetUIObjectOf(m_widget, 1, items, IContextMenu::kIid, nullptr, menu.putVoid());
    } else {
        (void)m_folder->CreateViewObject(m_widget, IContextMenu::kIid, menu.putVoid());
    }
    return menu;
}

} // namespace talvoshell
