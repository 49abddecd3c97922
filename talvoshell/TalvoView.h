#pragma once

#include "platform/com/ComObject.h"
#include "platform/shell/ShellInterfaces.h"

#include <QPointer>
#include <QWidget>

class QTreeView;

namespace talvoshell {

class CTalvoFolder;
class CTalvoView;
class CatalogItemModel;

/// The view's window: a list of the folder's items, with the practice columns when it holds practices.
class TalvoViewWidget : public QWidget {
public:
    TalvoViewWidget(CTalvoView& view, CatalogItemModel* model, QWidget* parent);

    QTreeView* List() const { return m_list; }
    /// Report style (all columns, header shown) or list style (names only).
    void SetReportStyle(bool report);
    /// The selected rows in list order.
    std::vector<int> SelectedRows() const;
    /// The designed column widths, widened where a title or a value needs more.
    void FitColumns();

private:
    void ShowContextMenu(const QPoint& at);

    CTalvoView& m_view;
    QTreeView* m_list;
};

/// The shell view of a catalog folder inside a browser.
/// Thread rule: the browser's user-interface thread.
class CTalvoView : public platform::com::ComObject<platform::shell::IShellView> {
public:
    explicit CTalvoView(platform::com::ComPtr<CTalvoFolder> folder);
    ~CTalvoView() override;

    HRESULT GetWindow(platform::shell::HWND* phwnd) override;
    HRESULT UIActivate(UINT uState) override;
    HRESULT Refresh() override;
    HRESULT CreateViewWindow(platform::shell::IShellView* psvPrevious, const platform::shell::FOLDERSETTINGS* pfs,
                             platform::shell::IShellBrowser* psb, platform::shell::HWND parent,
                             platform::shell::HWND* phWnd) override;
    HRESULT DestroyViewWindow() override;
    HRESULT GetCurrentInfo(platform::shell::FOLDERSETTINGS* pfs) override;
    HRESULT SaveViewState() override { return S_OK; }
    HRESULT GetItemObject(UINT uItem, REFIID riid, void** ppv) override;

    CatalogItemModel* Model() const { return m_model.get(); }
    /// The first selected item: the browser's default command, else a folder is browsed and a practice opened.
    void Activate();
    void SelectionChanged();
    /// The menu of the selected item, or of the folder itself with none selected, as the items to show.
    platform::com::ComPtr<platform::shell::IContextMenu> ContextMenu();

private:
    platform::com::ComPtr<CTalvoFolder> m_folder;
    platform::com::ComPtr<platform::shell::IShellBrowser> m_browser;
    platform::com::ComPtr<platform::shell::ICommDlgBrowser> m_dialog;
    platform::shell::FOLDERSETTINGS m_settings;
    std::unique_ptr<CatalogItemModel> m_model;
    QPointer<TalvoViewWidget> m_widget;
    UINT m_uiState = 0;
    ULONG m_notify = 0;
};

} // namespace talvoshell
