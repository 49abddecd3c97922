#pragma once

#include "platform/storage/internal/AccessMode.h"
#include "platform/storage/internal/Document.h"

#include "platform/com/ComObject.h"
#include "platform/com/Stream.h"

namespace platform::storage::internal {

/// An IStream over one stream element of a compound file. Clones share the element and keep their own position.
/// Thread rule: any thread; every method holds the document's lock.
class ElementStream final : public com::ComObject<IStream> {
public:
    ElementStream(std::shared_ptr<Document> document, std::shared_ptr<Element> element, AccessMode access,
                  std::uint64_t position);

    /// STG_E_ACCESSDENIED when opened for writing only.
    HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) override;
    /// STG_E_ACCESSDENIED when opened for reading only; STG_E_MEDIUMFULL past the 4 GB a version 3 file can hold.
    HRESULT Write(const void* pv, ULONG cb, ULONG* pcbWritten) override;
    HRESULT Seek(LONGLONG move, DWORD origin, ULONGLONG* newPosition) override;
    HRESULT SetSize(ULONGLONG newSize) override;
    /// Streams write through to their compound file; the file itself is written by its root storage.
    HRESULT Commit(DWORD flags) override;
    HRESULT Stat(STATSTG* statstg, DWORD flags) override;
    HRESULT Clone(IStream** stream) override;

private:
    std::shared_ptr<Document> m_document;
    std::shared_ptr<Element> m_element;
    AccessMode m_access;
    std::uint64_t m_position;
};

} // namespace platform::storage::internal
