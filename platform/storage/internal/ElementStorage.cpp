#include "platform/storage/internal/ElementStorage.h"

#include "platform/storage/internal/CompoundFileWriter.h"
#include "platform/storage/internal/ElementStream.h"

#include "platform/com/Bstr.h"

namespace platform::storage::internal {
namespace {

HRESULT checkName(const OLECHAR* name)
{
    return name ? checkElementName(name).code() : STG_E_INVALIDPOINTER;
}

} // namespace

ElementStorage::ElementStorage(std::shared_ptr<Document> document, std::shared_ptr<Element> element, AccessMode access,
                               Kind kind)
    : m_document(std::move(document)), m_element(std::move(element)), m_access(access), m_kind(kind)
{
}

HRESULT ElementStorage::createElement(const OLECHAR* name, DWORD mode, ElementType type,
                                      std::shared_ptr<Element>& created, AccessMode& access)
{
    RETURN_IF_FAILED(checkName(name));
    const Result<AccessMode> requested = accessMode(mode);
    RETURN_IF_FAILED(requested.code());
    if (!m_access.write) {
        return STG_E_ACCESSDENIED;
    }
    ElementMap& children = m_element->children;
    if (const auto existing = children.find(std::u16string_view(name)); existing != children.end()) {
        if (!(mode & STGM_CREATE)) {
            return STG_E_FILEALREADYEXISTS;
        }
        children.erase(existing);
    }
    created = std::make_shared<Element>();
    created->name = name;
    created->type = type;
    children.emplace(created->name, created);
    m_document->markChanged();
    access = *requested;
    return S_OK;
}

HRESULT ElementStorage::openElement(const OLECHAR* name, DWORD mode, ElementType type, std::shared_ptr<Element>& found,
                                    AccessMode& access)
{
    RETURN_IF_FAILED(checkName(name));
    const Result<AccessMode> requested = accessMode(mode);
    RETURN_IF_FAILED(requested.code());
    if (requested->write && !m_access.write) {
        return STG_E_ACCESSDENIED;
    }
    const auto existing = m_element->children.find(std::u16string_view(name));
    if (existing == m_element->children.end() || existing->second->type != type) {
        return STG_E_FILENOTFOUND;
    }
    found = existing->second;
    access = *requested;
    return S_OK;
}

template <typename Object, typename Interface, typename Last>
HRESULT ElementStorage::child(Reach reach, const OLECHAR* name, DWORD mode, ElementType type, Interface** out,
                              Last last)
{
    std::lock_guard guard(m_document->mutex());
    if (!out) {
        return STG_E_INVALIDPOINTER;
    }
    *out = nullptr;
    std::shared_ptr<Element> element;
    AccessMode access;
    RETURN_IF_FAILED((this->*reach)(name, mode, type, element, access));
    *out = com::makeComObject<Object>(m_document, std::move(element), access, last).detach();
    return S_OK;
}

HRESULT ElementStorage::CreateStream(const OLECHAR* name, DWORD mode, IStream** stream)
{
    return child<ElementStream>(&ElementStorage::createElement, name, mode, ElementType::Stream, stream,
                                std::uint64_t{0});
}

HRESULT ElementStorage::OpenStream(const OLECHAR* name, DWORD mode, IStream** stream)
{
    return child<ElementStream>(&ElementStorage::openElement, name, mode, ElementType::Stream, stream,
                                std::uint64_t{0});
}

HRESULT ElementStorage::CreateStorage(const OLECHAR* name, DWORD mode, IStorage** storage)
{
    return child<ElementStorage>(&ElementStorage::createElement, name, mode, ElementType::Storage, storage,
                                 Kind::Nested);
}

HRESULT ElementStorage::OpenStorage(const OLECHAR* name, DWORD mode, IStorage** storage)
{
    return child<ElementStorage>(&ElementStorage::openElement, name, mode, ElementType::Storage, storage, Kind::Nested);
}

HRESULT ElementStorage::Commit(DWORD /*flags*/)
{
    std::lock_guard guard(m_document->mutex());
    return m_kind == Kind::Root ? toHresult(m_document->commit()) : S_OK;
}

HRESULT ElementStorage::Revert()
{
    std::lock_guard guard(m_document->mutex());
    if (m_kind == Kind::Root) {
        m_document->abandonChanges();
    }
    return S_OK;
}

HRESULT ElementStorage::ListElements(std::vector<STATSTG>* elements)
{
    std::lock_guard guard(m_document->mutex());
    if (!elements) {
        return STG_E_INVALIDPOINTER;
    }
    elements->clear();
    for (const auto& [name, child] : m_element->children) {
        STATSTG stat;
        stat.name = child->name;
        stat.type = child->type == ElementType::Storage ? STGTY_STORAGE : STGTY_STREAM;
        stat.size = child->data.size();
        stat.clsid = child->clsid;
        elements->push_back(std::move(stat));
    }
    return S_OK;
}

HRESULT ElementStorage::DestroyElement(const OLECHAR* name)
{
    std::lock_guard guard(m_document->mutex());
    RETURN_IF_FAILED(checkName(name));
    if (!m_access.write) {
        return STG_E_ACCESSDENIED;
    }
    const auto existing = m_element->children.find(std::u16string_view(name));
    if (existing == m_element->children.end()) {
        return STG_E_FILENOTFOUND;
    }
    m_element->children.erase(existing);
    m_document->markChanged();
    return S_OK;
}

HRESULT ElementStorage::SetClass(REFCLSID clsid)
{
    std::lock_guard guard(m_document->mutex());
    if (!m_access.write) {
        return STG_E_ACCESSDENIED;
    }
    m_element->clsid = clsid;
    m_document->markChanged();
    return S_OK;
}

HRESULT ElementStorage::Stat(STATSTG* statstg, DWORD flags)
{
    std::lock_guard guard(m_document->mutex());
    if (!statstg) {
        return STG_E_INVALIDPOINTER;
    }
    *statstg = STATSTG{};
    if (!(flags & STATFLAG_NONAME)) {
        statstg->name = m_kind == Kind::Root ? com::utf8ToUtf16(m_document->path().string()) : m_element->name;
    }
    statstg->type = STGTY_STORAGE;
    statstg->mode = stgmOf(m_access);
    statstg->clsid = m_element->clsid;
    return S_OK;
}

Result<std::vector<std::uint8_t>> ElementStorage::fileBytes() const
{
    std::lock_guard guard(m_document->mutex());
    if (m_kind != Kind::Root) {
        return Error{E_INVALIDARG, "a nested storage is not a compound file"};
    }
    return writeCompoundFile(*m_element);
}

} // namespace platform::storage::internal
