#pragma once

#include "platform/com/ComObject.h"
#include "platform/shell/ShellInterfaces.h"
#include "talvoshell/CatalogServices.h"

#include <memory>

namespace talvoshell {

/// The menu of a catalog folder or practice: "Open", for a folder "New practice", and "Delete".
/// Thread rule: the browser's thread; the catalog's lock is released before a program starts or the user is asked.
class CContextMenu : public platform::com::ComObject<platform::shell::IContextMenu> {
public:
    /// Null when the list names no node of the tree.
    static platform::com::ComPtr<CContextMenu> Create(std::shared_ptr<const CatalogServices> services,
                                                      platform::shell::LPCITEMIDLIST absolute);

    /// "Open" (default) at offset 1, "New practice" at 2 for a folder unless only the default is asked, "Delete"
    /// next; answers the highest offset plus one.
    HRESULT QueryContextMenu(platform::shell::HMENU hmenu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast,
                             UINT uFlags) override;
    /// A verb given by name is "Open". E_INVALIDARG for an offset the menu did not give out.
    HRESULT InvokeCommand(const platform::shell::CMINVOKECOMMANDINFO* pici) override;
    HRESULT GetCommandString(UINT_PTR, UINT, UINT*, char*, UINT) override { return E_NOTIMPL; }

    static constexpr int kOpenOffset = 1;

    CContextMenu(std::shared_ptr<const CatalogServices> services, platform::shell::ItemIdPtr absolute, bool isFolder);

private:
    void Open();
    void NewPractice();
    void Delete(platform::shell::HWND owner);

    std::shared_ptr<const CatalogServices> m_services;
    platform::shell::ItemIdPtr m_idList;
    bool m_isFolder;
    int m_newOffset = -1;
    int m_deleteOffset = -1;
};

} // namespace talvoshell
