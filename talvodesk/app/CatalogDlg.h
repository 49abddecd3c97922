#pragma once

#include "platform/com/ComPtr.h"
#include "platform/shell/ShellInterfaces.h"

#include <QDialog>
#include <QTimer>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class QVBoxLayout;

namespace platform::registry {
class Key;
}

namespace talvodesk {

class CTalvoAppModule;

/// The catalog's open dialog: the catalog's event and shooter folders in a tree on the left, the shell view of the
/// chosen folder on the right; it answers the full path of the chosen practice. It is the view's browser.
/// Thread rule: the user-interface thread.
class CCatalogDlg : public QDialog, public platform::shell::IShellBrowser, public platform::shell::ICommDlgBrowser {
public:
    /// The text shown for a top-level folder's event name; none keeps the name.
    using EventNamer = std::function<std::optional<std::u16string>(const std::u16string& name)>;

    static constexpr int kRefreshMilliseconds = 2000;

    /// Its buttons and default caption in the module's language; none: English.
    explicit CCatalogDlg(QWidget* parent = nullptr, const CTalvoAppModule* module = nullptr);
    ~CCatalogDlg() override;

    // Set-up before DoModal.
    void SetCaption(const QString& caption) { setWindowTitle(caption); }
    void SetEventFilter(std::u16string event) { m_eventFilter = std::move(event); }
    void SetStartFolder(std::u16string event, std::u16string shooter);
    void SetEventNamer(EventNamer namer) { m_eventNamer = std::move(namer); }
    /// Where the dialog keeps its rectangle ("WindowRectOpen"); none keeps nothing.
    void SetSettingsRoot(const platform::registry::Key* root) { m_settingsRoot = root; }

    /// 1 (Open) or 2 (Cancel); the path is meant only after 1.
    int DoModal();
    const std::u16string& Path() const { return m_path; }

    /// Lists the catalog and selects the start folder; with no catalog root the dialog stays empty and can only be
    /// cancelled.
    void OnInitDialog();
    /// The debounce timer's end: the tree listed afresh and the folder shown before shown again.
    void OnRefreshTimer();

    QTreeWidget* Tree() const { return m_tree; }
    QPushButton* OpenButton() const { return m_open; }
    const QTimer& RefreshTimer() const { return m_refreshTimer; }
    platform::shell::IShellView* View() const { return m_view.get(); }
    platform::shell::LPCITEMIDLIST CurrentFolder() const { return m_current.get(); }

    // IUnknown: the dialog lives on its caller's stack; references do not own it.
    HRESULT QueryInterface(REFIID riid, void** ppvObject) override;
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; }
    // IShellBrowser
    HRESULT GetWindow(platform::shell::HWND* phwnd) override;
    HRESULT BrowseObject(platform::shell::LPCITEMIDLIST pidl, UINT wFlags) override;
    // ICommDlgBrowser
    HRESULT OnDefaultCommand(platform::shell::IShellView* ppshv) override;
    HRESULT OnStateChange(platform::shell::IShellView* ppshv, ULONG uChange) override;
    HRESULT IncludeObject(platform::shell::IShellView*, platform::shell::LPCITEMIDLIST) override { return S_OK; }

    void done(int result) override;

private:
    struct TreeRecord {
        platform::com::ComPtr<platform::shell::IShellFolder> parent;
        platform::shell::ItemIdPtr relative;
        platform::shell::ItemIdPtr absolute;
        bool unlisted = false;
    };
    /// A selected item of the shown view: whether it is a folder, and its parsing name.
    struct Selected {
        bool isFolder;
        std::u16string path;
    };

    bool RefreshTree();
    void FillTreeLevel(platform::shell::IShellFolder& folder, platform::shell::LPCITEMIDLIST parentList,
                       QTreeWidgetItem* parentItem);
    void ListChildren(QTreeWidgetItem* item);
    bool SelectTreeItem(platform::shell::LPCITEMIDLIST list, bool force);
    QTreeWidgetItem* FindTreeItem(platform::shell::LPCITEMIDLIST list, const std::vector<QTreeWidgetItem*>& level);
    void SelectionChanged(QTreeWidgetItem* item);
    bool BrowseTo(platform::shell::LPCITEMIDLIST list);
    void ReleaseView();
    std::vector<Selected> ReadSelection();
    void SetPath(std::u16string path);
    void ClearTree();
    std::vector<QTreeWidgetItem*> ChildrenOf(QTreeWidgetItem* item) const;

    QTreeWidget* m_tree;
    QWidget* m_viewArea;
    QVBoxLayout* m_viewLayout;
    QWidget* m_placeholder;
    QPushButton* m_open;
    std::u16string m_path;
    std::u16string m_eventFilter;
    std::u16string m_startEvent;
    std::u16string m_startShooter;
    EventNamer m_eventNamer;
    const platform::registry::Key* m_settingsRoot = nullptr;
    platform::shell::ItemIdPtr m_root;
    platform::com::ComPtr<platform::shell::IShellFolder> m_rootFolder;
    platform::shell::ItemIdPtr m_current;
    platform::com::ComPtr<platform::shell::IShellFolder> m_currentFolder;
    platform::com::ComPtr<platform::shell::IShellView> m_view;
    platform::shell::HWND m_viewWindow = nullptr;
    platform::shell::FOLDERSETTINGS m_folderSettings;
    platform::shell::ItemIdPtr m_pending;
    ULONG m_notify = 0;
    QTimer m_refreshTimer;
    std::map<QTreeWidgetItem*, std::unique_ptr<TreeRecord>> m_records;
};

} // namespace talvodesk
