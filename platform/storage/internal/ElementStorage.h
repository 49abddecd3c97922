#pragma once

#include "platform/storage/internal/AccessMode.h"
#include "platform/storage/internal/Document.h"

#include "platform/com/ComObject.h"
#include "platform/storage/Storage.h"

namespace platform::storage::internal {

/// An IStorage over one storage element of a compound file; the root one also commits the file.
/// Thread rule: any thread; every method holds the document's lock.
class ElementStorage final : public com::ComObject<IStorage> {
public:
    enum class Kind { Root, Nested };

    ElementStorage(std::shared_ptr<Document> document, std::shared_ptr<Element> element, AccessMode access, Kind kind);

    HRESULT CreateStream(const OLECHAR* name, DWORD mode, IStream** stream) override;
    HRESULT OpenStream(const OLECHAR* name, DWORD mode, IStream** stream) override;
    HRESULT CreateStorage(const OLECHAR* name, DWORD mode, IStorage** storage) override;
    HRESULT OpenStorage(const OLECHAR* name, DWORD mode, IStorage** storage) override;
    HRESULT Commit(DWORD flags) override;
    HRESULT Revert() override;
    HRESULT ListElements(std::vector<STATSTG>* elements) override;
    HRESULT DestroyElement(const OLECHAR* name) override;
    HRESULT SetClass(REFCLSID clsid) override;
    HRESULT Stat(STATSTG* statstg, DWORD flags) override;

    /// The compound file this root storage stands for. E_INVALIDARG for a nested storage.
    Result<std::vector<std::uint8_t>> fileBytes() const;

private:
    HRESULT createElement(const OLECHAR* name, DWORD mode, ElementType type, std::shared_ptr<Element>& created,
                          AccessMode& access);
    HRESULT openElement(const OLECHAR* name, DWORD mode, ElementType type, std::shared_ptr<Element>& found,
                        AccessMode& access);
    using Reach = HRESULT (ElementStorage::*)(const OLECHAR* name, DWORD mode, ElementType type,
                                              std::shared_ptr<Element>& element, AccessMode& access);
    /// Creates or opens (by `reach`) a child element under the document's lock and hands out an `Object` over it,
    /// made with `last` as its last argument.
    template <typename Object, typename Interface, typename Last>
    HRESULT child(Reach reach, const OLECHAR* name, DWORD mode, ElementType type, Interface** out, Last last);

    std::shared_ptr<Document> m_document;
    std::shared_ptr<Element> m_element;
    AccessMode m_access;
    Kind m_kind;
};

} // namespace platform::storage::internal
