#include "platform/shell/Computer.h"

#include "platform/com/ComObject.h"
#include "platform/shell/EnumIDList.h"

#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

namespace platform::shell {

namespace {

constexpr char16_t kComputerName[] = u"My Computer";

struct Registry {
    std::mutex mutex;
    std::map<std::u16string, FolderFactory> folders;
};

Registry& registry()
{
    static Registry instance;
    return instance;
}

FolderFactory factoryOf(const std::u16string& name)
{
    Registry& folders = registry();
    std::lock_guard guard(folders.mutex);
    auto found = folders.folders.find(name);
    return found == folders.folders.end() ? FolderFactory() : found->second;
}

/// Lists the registered folders; each item is named like a catalog item.
class ComputerFolder : public com::ComObject<IShellFolder> {
public:
    HRESULT ParseDisplayName(HWND, const char16_t*, LPITEMIDLIST*) override { return E_NOTIMPL; }
    HRESULT EnumObjects(HWND, DWORD, IEnumIDList** ppenumIDList) override
    {
        if (!ppenumIDList) {
            return E_POINTER;
        }
        auto list = com::makeComObject<CEnumIDList>();
        Registry& folders = registry();
        std::lock_guard guard(folders.mutex);
        for (const auto& folder : folders.folders) {
            ItemIdPtr item(MakeCatalogItem(1, folder.first));
            if (!item || !list->Add(item.get())) {
                return E_OUTOFMEMORY;
            }
        }
        *ppenumIDList = list.detach();
        return S_OK;
    }
    HRESULT BindToObject(LPCITEMIDLIST pidl, void*, REFIID riid, void** ppv) override
    {
        if (!ppv) {
            return E_POINTER;
        }
        *ppv = nullptr;
        FolderFactory create = factoryOf(ILItemName(pidl));
        if (!create || ILNext(pidl)) {
            return create ? E_INVALIDARG : E_FAIL;
        }
        ItemIdPtr absolute(ILCombine(ComputerIdList().get(), pidl));
        com::ComPtr<IShellFolder> folder = create(absolute.get());
        return folder ? folder->QueryInterface(riid, ppv) : E_FAIL;
    }
    HRESULT BindToStorage(LPCITEMIDLIST, void*, REFIID, void** ppv) override
    {
        if (ppv) {
            *ppv = nullptr;
        }
        return E_NOTIMPL;
    }
    HRESULT CompareIDs(LPARAM, LPCITEMIDLIST pidl1, LPCITEMIDLIST pidl2) override
    {
        const int order = ILItemName(pidl1).compare(ILItemName(pidl2));
        return makeHresult(static_cast<std::uint16_t>(order < 0 ? -1 : order > 0 ? 1 : 0));
    }
    HRESULT CreateViewObject(HWND, REFIID, void** ppv) override
    {
        if (ppv) {
            *ppv = nullptr;
        }
        return E_NOINTERFACE;
    }
    HRESULT GetAttributesOf(UINT cidl, const LPCITEMIDLIST* apidl, ULONG* rgfInOut) override
    {
        if (!rgfInOut) {
            return E_POINTER;
        }
        ULONG attributes = SFGAO_FOLDER | SFGAO_HASSUBFOLDER;
        for (UINT i = 0; i < cidl; ++i) {
            if (!factoryOf(ILItemName(apidl[i]))) {
                attributes = 0;
            }
        }
        *rgfInOut = attributes;
        return S_OK;
    }
    HRESULT GetUIObjectOf(HWND, UINT, const LPCITEMIDLIST*, REFIID, UINT*, void** ppv) override
    {
        if (ppv) {
            *ppv = nullptr;
        }
        return E_NOTIMPL;
    }
    HRESULT GetDisplayNameOf(LPCITEMIDLIST pidl, DWORD, STRRET* pName) override
    {
        return pName ? StrRetFromText(ILItemName(pidl), pName) : E_POINTER;
    }
    HRESULT SetNameOf(HWND, LPCITEMIDLIST, const char16_t*, DWORD, LPITEMIDLIST*) override { return E_NOTIMPL; }
};

} // namespace

void* SHAlloc(std::size_t size)
{
    return std::malloc(size);
}

void SHFree(void* block)
{
    std::free(block);
}

HRESULT StrRetFromText(std::u16string_view text, STRRET* out)
{
    auto* wide = static_cast<char16_t*>(SHAlloc(2 * (text.size() + 1)));
    if (!wide) {
        return E_OUTOFMEMORY;
    }
    std::memcpy(wide, text.data(), 2 * text.size());
    wide[text.size()] = 0;
    out->uType = STRRET::WSTR;
    out->pOleStr = wide;
    return S_OK;
}

void RegisterComputerFolder(const std::u16string& name, FolderFactory create)
{
    Registry& folders = registry();
    std::lock_guard guard(folders.mutex);
    folders.folders[name] = std::move(create);
}

void UnregisterComputerFolder(const std::u16string& name)
{
    Registry& folders = registry();
    std::lock_guard guard(folders.mutex);
    folders.folders.erase(name);
}

ItemIdPtr ComputerIdList()
{
    return ItemIdPtr(MakeCatalogItem(1, kComputerName));
}

HRESULT GetComputerFolder(IShellFolder** ppshf)
{
    if (!ppshf) {
        return E_POINTER;
    }
    *ppshf = com::makeComObject<ComputerFolder>().detach();
    return S_OK;
}

HRESULT BindToFolder(LPCITEMIDLIST absolute, IShellFolder** ppshf)
{
    if (!ppshf) {
        return E_POINTER;
    }
    *ppshf = nullptr;
    if (!absolute || ILItemName(absolute) != kComputerName) {
        return E_INVALIDARG;
    }
    com::ComPtr<IShellFolder> folder;
    HRESULT result = GetComputerFolder(folder.put());
    for (LPCITEMIDLIST item = ILNext(absolute); item && SUCCEEDED(result); item = ILNext(item)) {
        ItemIdPtr single(MakeCatalogItem(1, ILItemName(item)));
        com::ComPtr<IShellFolder> child;
        result = folder->BindToObject(single.get(), nullptr, IShellFolder::kIid, child.putVoid());
        folder = std::move(child);
    }
    if (FAILED(result)) {
        return result;
    }
    *ppshf = folder.detach();
    return S_OK;
}

ItemIcons GetItemIcons(LPCITEMIDLIST absolute)
{
    ItemIcons icons;
    LPCITEMIDLIST last = ILFindLastID(absolute);
    if (!last || last == absolute) {
        return icons;
    }
    const std::size_t parentSize = ILGetSize(absolute) - ILGetSize(last);
    ItemIdPtr parent(ILClone(absolute));
    std::memset(parent->bytes + parentSize, 0, 2);
    com::ComPtr<IShellFolder> folder;
    com::ComPtr<IExtractIconA> extract;
    if (FAILED(BindToFolder(parent.get(), folder.put())) ||
        FAILED(folder->GetUIObjectOf(nullptr, 1, &last, IExtractIconA::kIid, nullptr, extract.putVoid()))) {
        return icons;
    }
    char file[260] = {};
    UINT flags = 0;
    if (FAILED(extract->GetIconLocation(0, file, sizeof file, &icons.normal, &flags)) ||
        FAILED(extract->GetIconLocation(GIL_OPENICON, file, sizeof file, &icons.open, &flags))) {
        return ItemIcons{};
    }
    return icons;
}

} // namespace platform::shell
