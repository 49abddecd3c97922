#include "talvoshell/ContextMenu.h"

#include "catalogcache/CatalogEnglish.h"
#include "platform/com/Bstr.h"
#include "talvoshell/CatalogFiles.h"

#include <algorithm>

namespace talvoshell {

using namespace platform::shell;
using platform::com::ComPtr;
using platform::com::utf16ToUtf8;

namespace {

void collectPractices(const TreeNode& node, std::vector<std::u16string>& paths)
{
    if (node.isFile) {
        paths.push_back(node.name);
    }
    for (const auto& child : node.children) {
        collectPractices(*child, paths);
    }
}

} // namespace

ComPtr<CContextMenu> CContextMenu::Create(std::shared_ptr<const CatalogServices> services, LPCITEMIDLIST absolute)
{
    bool isFolder = false;
    {
        auto guard = services->catalog->Lock();
        const TreeNode* node = services->catalog->FindNode(absolute);
        if (!node) {
            return nullptr;
        }
        isFolder = node->isFolder;
    }
    ItemIdPtr copy(ILClone(absolute));
    return copy ? platform::com::makeComObject<CContextMenu>(std::move(services), std::move(copy), isFolder) : nullptr;
}

CContextMenu::CContextMenu(std::shared_ptr<const CatalogServices> services, ItemIdPtr absolute, bool isFolder)
    : m_services(std::move(services)), m_idList(std::move(absolute)), m_isFolder(isFolder)
{
}

HRESULT CContextMenu::QueryContextMenu(HMENU hmenu, UINT indexMenu, UINT idCmdFirst, UINT, UINT uFlags)
{
    if (!hmenu) {
        return E_INVALIDARG;
    }
    auto guard = lock();
    UINT position = std::min<UINT>(indexMenu, static_cast<UINT>(hmenu->size()));
    auto insert = [&](int offset, std::u16string text, bool isDefault) {
        hmenu->insert(hmenu->begin() + position++, MenuItem{idCmdFirst + offset, std::move(text), isDefault});
    };
    int offset = kOpenOffset;
    insert(offset++, CatalogText(*m_services, catalogcache::kOpenText), true);
    m_newOffset = -1;
    if (m_isFolder && (uFlags & CMF_DEFAULTONLY) == 0) {
        m_newOffset = offset++;
        insert(m_newOffset, CatalogText(*m_services, catalogcache::kNewPracticeText), false);
    }
    m_deleteOffset = offset++;
    insert(m_deleteOffset, CatalogText(*m_services, catalogcache::kDeleteText), false);
    return makeHresult(static_cast<std::uint32_t>(offset));
}

HRESULT CContextMenu::InvokeCommand(const CMINVOKECOMMANDINFO* pici)
{
    if (!pici) {
        return E_INVALIDARG;
    }
    const int offset = IsIntVerb(pici->lpVerb) ? static_cast<int>(reinterpret_cast<std::uintptr_t>(pici->lpVerb))
                                               : kOpenOffset; // A verb by name opens.
    int newPractice = 0;
    int remove = 0;
    {
        auto guard = lock();
        newPractice = m_newOffset;
        remove = m_deleteOffset;
    }
    if (offset == kOpenOffset) {
        Open();
    } else if (offset == newPractice) {
        NewPractice();
    } else if (offset == remove) {
        Delete(pici->hwnd);
    } else {
        return E_INVALIDARG;
    }
    return S_OK;
}

void CContextMenu::Open()
{
    std::vector<std::string> argv;
    {
        auto guard = m_services->catalog->Lock();
        const TreeNode* node = m_services->catalog->FindNode(m_idList.get());
        if (!node) {
            return;
        }
        if (node->isFile) {
            argv = {ProgramPath("talvodesk").string(), utf16ToUtf8(node->name)};
        } else {
            // A folder opens in a browser window of its own.
            argv = {ProgramPath("talvo-catalog").string()};
            for (LPCITEMIDLIST item = ILNext(ILNext(m_idList.get())); item; item = ILNext(item)) {
                argv.push_back(utf16ToUtf8(ILItemName(item)));
            }
        }
    }
    m_services->launcher->Start(argv);
}

void CContextMenu::NewPractice()
{
    std::vector<std::string> argv;
    {
        auto guard = m_services->catalog->Lock();
        const CCatalog& catalog = *m_services->catalog;
        const TreeNode* node = catalog.FindNode(m_idList.get());
        if (!node || !node->isFolder) {
            return;
        }
        const TreeNode* event = catalog.FindParent(*node);
        const std::u16string eventName = event ? event->name : node->name;
        const std::u16string shooter = event ? node->name : u"";
        argv = {ProgramPath("talvodesk").string(), "/n", utf16ToUtf8(eventName), utf16ToUtf8(shooter)};
    }
    m_services->launcher->Start(argv);
}

void CContextMenu::Delete(HWND owner)
{
    if (!m_services->confirm || !m_services->confirm(owner, CatalogText(*m_services, catalogcache::kDeleteQuestionText),
                                                     CatalogText(*m_services, catalogcache::kCatalogCaptionText))) {
        return;
    }
    std::vector<std::u16string> paths;
    {
        auto guard = m_services->catalog->Lock();
        if (const TreeNode* node = m_services->catalog->FindNode(m_idList.get())) {
            collectPractices(*node, paths);
        }
    }
    for (const std::u16string& path : paths) {
        DeleteCatalogFile(path);
    }
}

} // namespace talvoshell
