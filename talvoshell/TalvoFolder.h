#pragma once

#include "platform/com/ComObject.h"
#include "platform/shell/ShellInterfaces.h"
#include "talvoshell/CatalogServices.h"

#include <memory>

namespace talvoshell {

inline constexpr char16_t kCatalogRootName[] = u"Talvo Catalog";
inline constexpr CLSID CLSID_TalvoFolder = platform::com::makeGuid("6B1E0C52-3D7A-4F0E-9A41-5C2D8E7F1A01");

/// A folder of the catalog: the root under the computer folder, an event or a shooter folder.
/// Thread rule: any thread; tree walks hold the catalog's lock, never while a program starts or a window shows.
class CTalvoFolder : public platform::com::ComObject<platform::shell::IShellFolder, platform::shell::IPersistFolder> {
public:
    explicit CTalvoFolder(std::shared_ptr<const CatalogServices> services);

    HRESULT ParseDisplayName(platform::shell::HWND, const char16_t*, platform::shell::LPITEMIDLIST*) override;
    HRESULT EnumObjects(platform::shell::HWND hwnd, DWORD grfFlags, platform::shell::IEnumIDList** out) override;
    HRESULT BindToObject(platform::shell::LPCITEMIDLIST pidl, void* pbc, REFIID riid, void** ppv) override;
    HRESULT BindToStorage(platform::shell::LPCITEMIDLIST pidl, void* pbc, REFIID riid, void** ppv) override;
    HRESULT CompareIDs(LPARAM lParam, platform::shell::LPCITEMIDLIST pidl1,
                       platform::shell::LPCITEMIDLIST pidl2) override;
    HRESULT CreateViewObject(platform::shell::HWND hwndOwner, REFIID riid, void** ppv) override;
    HRESULT GetAttributesOf(UINT cidl, const platform::shell::LPCITEMIDLIST* apidl, ULONG* rgfInOut) override;
    HRESULT GetUIObjectOf(platform::shell::HWND hwndOwner, UINT cidl, const platform::shell::LPCITEMIDLIST* apidl,
                          REFIID riid, UINT* rgfReserved, void** ppv) override;
    HRESULT GetDisplayNameOf(platform::shell::LPCITEMIDLIST pidl, DWORD uFlags,
                             platform::shell::STRRET* pName) override;
    HRESULT SetNameOf(platform::shell::HWND hwnd, platform::shell::LPCITEMIDLIST pidl, const char16_t* name,
                      DWORD uFlags, platform::shell::LPITEMIDLIST* ppidlOut) override;

    HRESULT GetClassID(CLSID* pClassID) override;
    HRESULT Initialize(platform::shell::LPCITEMIDLIST pidl) override;

    /// The node an item of this folder names; call under the catalog's lock.
    const TreeNode* NodeOf(platform::shell::LPCITEMIDLIST item) const;
    const CatalogServices& Services() const { return *m_services; }
    const std::shared_ptr<const CatalogServices>& SharedServices() const { return m_services; }
    platform::shell::LPCITEMIDLIST FolderIdList() const { return m_folderIdList.get(); }

private:
    std::shared_ptr<const CatalogServices> m_services;
    platform::shell::ItemIdPtr m_folderIdList;
};

/// The folder's order of two of its items, by their nodes (null: not found): folders first, by name ignoring
/// case; practices newest first, or by path when neither has a file version; items found before those not.
int CompareCatalogNodes(const TreeNode* first, const TreeNode* second);

/// "Date Time" as the locale writes a short date and a short time (so a 12-hour clock keeps its AM/PM).
std::u16string PracticeDisplayName(double date, const QLocale& locale);

/// Lists the catalog's root under the computer folder as "Talvo Catalog".
void RegisterCatalogFolder(std::shared_ptr<const CatalogServices> services);

} // namespace talvoshell
