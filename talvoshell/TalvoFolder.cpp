#include "talvoshell/TalvoFolder.h"

#include "platform/shell/Computer.h"
#include "platform/text/CaseFolding.h"
#include "platform/time/OleDate.h"
#include "talvoshell/CatalogFiles.h"
#include "talvoshell/ContextMenu.h"
#include "talvoshell/ExtractIcon.h"
#include "talvoshell/TalvoView.h"

#include <QDate>
#include <QTime>

namespace talvoshell {

using namespace platform::shell;
using platform::com::ComPtr;
using platform::com::makeComObject;

namespace {

constexpr ULONG kRootAttributes = SFGAO_HASSUBFOLDER | SFGAO_FOLDER | SFGAO_BROWSABLE | SFGAO_DROPTARGET;
constexpr ULONG kFixedAttributes = SFGAO_FOLDER | SFGAO_BROWSABLE | SFGAO_CANLINK;
constexpr ULONG kFolderAttributes = kFixedAttributes | SFGAO_CANRENAME;

HRESULT orderResult(int order)
{
    return makeHresult(static_cast<std::uint16_t>(order < 0 ? -1 : order > 0 ? 1 : 0));
}

int compareIgnoringCase(std::u16string_view a, std::u16string_view b)
{
    return platform::text::foldCase(a).compare(platform::text::foldCase(b));
}

int compareFound(const TreeNode& a, const TreeNode& b)
{
    if (a.isFolder != b.isFolder) {
        return a.isFolder ? -1 : 1;
    }
    if (a.isFolder) {
        return compareIgnoringCase(a.name, b.name);
    }
    if (a.fileVersion != 0 || b.fileVersion != 0) {
        return b.date > a.date ? 1 : b.date < a.date ? -1 : 0; // Newer first.
    }
    return compareIgnoringCase(a.name, b.name);
}

} // namespace

int CompareCatalogNodes(const TreeNode* first, const TreeNode* second)
{
    if (first && second) {
        return compareFound(*first, *second);
    }
    return first ? 1 : second ? -1 : 0;
}

namespace {

ULONG attributesOf(const TreeNode* node)
{
    if (!node || !node->isFolder) {
        return 0;
    }
    ULONG attributes = node->isFixed ? kFixedAttributes : kFolderAttributes;
    for (const auto& child : node->children) {
        if (child->isFolder) {
            attributes |= SFGAO_HASSUBFOLDER;
            break;
        }
    }
    return attributes;
}

} // namespace

std::u16string PracticeDisplayName(double date, const QLocale& locale)
{
    auto time = platform::time::toCalendarTime(date);
    if (!time) {
        return {};
    }
    const QDate day(time.value().year, time.value().month, time.value().day);
    const QTime clock(time.value().hour, time.value().minute, time.value().second);
    const QString text =
        locale.toString(day, QLocale::ShortFormat) + u' ' + locale.toString(clock, QLocale::ShortFormat);
    return text.toStdU16String();
}

CTalvoFolder::CTalvoFolder(std::shared_ptr<const CatalogServices> services) : m_services(std::move(services)) {}

HRESULT CTalvoFolder::ParseDisplayName(HWND, const char16_t*, LPITEMIDLIST*)
{
    return E_NOTIMPL;
}

HRESULT CTalvoFolder::EnumObjects(HWND, DWORD, IEnumIDList** out)
{
    CCatalog& catalog = *m_services->catalog;
    catalog.Refresh();
    auto guard = catalog.Lock();
    return catalog.CreateEnumIDList(m_folderIdList.get(), out);
}

HRESULT CTalvoFolder::BindToObject(LPCITEMIDLIST pidl, void*, REFIID riid, void** ppv)
{
    if (!ppv) {
        return E_POINTER;
    }
    *ppv = nullptr;
    if (riid != IShellFolder::kIid) {
        return E_NOINTERFACE;
    }
    auto folder = makeComObject<CTalvoFolder>(m_services);
    ItemIdPtr list(ILCombine(m_folderIdList.get(), pidl));
    if (!list) {
        return E_OUTOFMEMORY;
    }
    folder->m_folderIdList = std::move(list);
    return folder->QueryInterface(riid, ppv);
}

HRESULT CTalvoFolder::BindToStorage(LPCITEMIDLIST, void*, REFIID, void** ppv)
{
    if (ppv) {
        *ppv = nullptr;
    }
    return E_NOTIMPL;
}

HRESULT CTalvoFolder::CompareIDs(LPARAM, LPCITEMIDLIST pidl1, LPCITEMIDLIST pidl2)
{
    auto guard = m_services->catalog->Lock();
    return orderResult(CompareCatalogNodes(NodeOf(pidl1), NodeOf(pidl2)));
}

HRESULT CTalvoFolder::CreateViewObject(HWND, REFIID riid, void** ppv)
{
    if (!ppv) {
        return E_POINTER;
    }
    *ppv = nullptr;
    if (riid == IShellView::kIid) {
        auto view = makeComObject<CTalvoView>(ComPtr<CTalvoFolder>(this));
        return view->QueryInterface(riid, ppv);
    }
    if (riid == IContextMenu::kIid) {
        ComPtr<CContextMenu> menu = CContextMenu::Create(m_services, m_folderIdList.get());
        return menu ? menu->QueryInterface(riid, ppv) : E_NOINTERFACE;
    }
    return E_NOINTERFACE;
}

HRESULT CTalvoFolder::GetAttributesOf(UINT cidl, const LPCITEMIDLIST* apidl, ULONG* rgfInOut)
{
    if (!rgfInOut) {
        return E_POINTER;
    }
    if (cidl == 0) {
        *rgfInOut = kRootAttributes;
        return S_OK;
    }
    auto guard = m_services->catalog->Lock();
    ULONG attributes = ~0U;
    for (UINT i = 0; i < cidl; ++i) {
        attributes &= attributesOf(NodeOf(apidl[i]));
    }
    *rgfInOut = attributes;
    return S_OK;
}

HRESULT CTalvoFolder::GetUIObjectOf(HWND, UINT cidl, const LPCITEMIDLIST* apidl, REFIID riid, UINT*, void** ppv)
{
    if (!ppv) {
        return E_POINTER;
    }
    *ppv = nullptr;
    if (cidl != 1 || !apidl) {
        return E_NOTIMPL;
    }
    if (riid == IExtractIconA::kIid) {
        auto guard = m_services->catalog->Lock();
        const TreeNode* node = NodeOf(apidl[0]);
        if (!node || node->iconClosed <= 0) {
            return E_NOTIMPL;
        }
        return makeComObject<CTalvoExtractIcon>(node->iconClosed, node->iconOpen)->QueryInterface(riid, ppv);
    }
    if (riid == IContextMenu::kIid) {
        ItemIdPtr list(ILCombine(m_folderIdList.get(), apidl[0]));
        ComPtr<CContextMenu> menu = CContextMenu::Create(m_services, list.get());
        return menu ? menu->QueryInterface(riid, ppv) : E_NOINTERFACE;
    }
    return E_NOTIMPL;
}

HRESULT CTalvoFolder::GetDisplayNameOf(LPCITEMIDLIST pidl, DWORD uFlags, STRRET* pName)
{
    if (!pName) {
        return E_POINTER;
    }
    std::u16string name;
    {
        auto guard = m_services->catalog->Lock();
        if (const TreeNode* node = NodeOf(pidl)) {
            const bool asPath = node->isFolder || (uFlags & SHGDN_FORPARSING) != 0 || node->fileVersion == 0;
            name = asPath ? node->name : PracticeDisplayName(node->date, m_services->locale);
        }
    }
    return StrRetFromText(name, pName);
}

HRESULT CTalvoFolder::SetNameOf(HWND, LPCITEMIDLIST pidl, const char16_t* name, DWORD, LPITEMIDLIST* ppidlOut)
{
    const std::u16string newName = name ? name : u"";
    std::vector<std::u16string> practices;
    {
        auto guard = m_services->catalog->Lock();
        const TreeNode* node = NodeOf(pidl);
        if (node && node->isFolder) {
            for (const auto& child : node->children) {
                if (child->isFile) {
                    practices.push_back(child->name);
                }
            }
        }
    }
    // Files are loaded and written with the catalog's lock released.
    for (const std::u16string& path : practices) {
        const std::u16string saved = RenameCatalogFile(path, newName, m_services->catalogFolder);
        // The old name must not take the new file with it.
        if (!saved.empty() && saved.compare(0, path.size(), path) != 0) {
            DeleteCatalogFile(path);
        }
    }
    if (ppidlOut) {
        *ppidlOut = MakeCatalogItem(1, newName);
    }
    return S_OK;
}

HRESULT CTalvoFolder::GetClassID(CLSID* pClassID)
{
    if (!pClassID) {
        return E_POINTER;
    }
    *pClassID = CLSID_TalvoFolder;
    return S_OK;
}

HRESULT CTalvoFolder::Initialize(LPCITEMIDLIST pidl)
{
    ItemIdPtr copy(ILClone(pidl));
    if (pidl && !copy) {
        return E_OUTOFMEMORY;
    }
    m_folderIdList = std::move(copy);
    return S_OK;
}

const TreeNode* CTalvoFolder::NodeOf(LPCITEMIDLIST item) const
{
    return m_services->catalog->FindItem(m_folderIdList.get(), item);
}

void RegisterCatalogFolder(std::shared_ptr<const CatalogServices> services)
{
    RegisterComputerFolder(kCatalogRootName, [services](LPCITEMIDLIST absolute) {
        auto folder = makeComObject<CTalvoFolder>(services);
        if (FAILED(folder->Initialize(absolute))) {
            return ComPtr<IShellFolder>();
        }
        return ComPtr<IShellFolder>(folder.get());
    });
}

} // namespace talvoshell
