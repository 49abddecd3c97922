#pragma once

#include "catalogcache/CatalogTexts.h"
#include "platform/com/ComPtr.h"
#include "platform/shell/ShellInterfaces.h"

#include <QMainWindow>

class QVBoxLayout;

namespace talvoshell {

/// The stand-alone catalog browser: one folder's view at a time; folders open in place, practices in the main
/// program, and "Up" goes back to the folder above (never above the catalog's root).
/// Thread rule: the user-interface thread.
class CatalogWindow : public QMainWindow, public platform::shell::IShellBrowser {
public:
    explicit CatalogWindow(catalogcache::CatalogTexts texts = {});
    ~CatalogWindow() override;

    /// Shows the folder an absolute list names; false when it cannot be shown (the folder shown stays).
    bool Navigate(platform::shell::LPCITEMIDLIST absolute);
    void Up();
    platform::shell::LPCITEMIDLIST Current() const { return m_current.get(); }
    platform::shell::IShellView* View() const { return m_view.get(); }

    // IUnknown: the window owns itself; references do not.
    HRESULT QueryInterface(REFIID riid, void** ppvObject) override;
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; }
    HRESULT GetWindow(platform::shell::HWND* phwnd) override;
    HRESULT BrowseObject(platform::shell::LPCITEMIDLIST pidl, UINT wFlags) override;

private:
    void ReleaseView();
    QString text(std::uint32_t id) const { return QString::fromStdU16String(m_texts.text(id)); }

    const catalogcache::CatalogTexts m_texts;
    QWidget* m_area;
    QVBoxLayout* m_layout;
    platform::shell::ItemIdPtr m_current;
    platform::com::ComPtr<platform::shell::IShellView> m_view;
    platform::shell::FOLDERSETTINGS m_settings{platform::shell::FVM_DETAILS, 0};
};

} // namespace talvoshell
