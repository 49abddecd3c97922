#include "platform/storage/internal/ElementStream.h"

#include "platform/storage/internal/CompoundFileWriter.h"

#include "platform/com/SeekTarget.h"
#include "platform/com/WriteAt.h"

#include <algorithm>
#include <cstring>

namespace platform::storage::internal {

ElementStream::ElementStream(std::shared_ptr<Document> document, std::shared_ptr<Element> element, AccessMode access,
                             std::uint64_t position)
    : m_document(std::move(document)), m_element(std::move(element)), m_access(access), m_position(position)
{
}

HRESULT ElementStream::Read(void* pv, ULONG cb, ULONG* pcbRead)
{
    std::lock_guard guard(m_document->mutex());
    if (pcbRead) {
        *pcbRead = 0;
    }
    if (!pv && cb > 0) {
        return STG_E_INVALIDPOINTER;
    }
    if (!m_access.read) {
        return STG_E_ACCESSDENIED;
    }
    const std::vector<std::uint8_t>& data = m_element->data;
    const std::uint64_t available = m_position < data.size() ? data.size() - m_position : 0;
    const auto count = static_cast<ULONG>(std::min<std::uint64_t>(cb, available));
    if (count > 0) {
        std::memcpy(pv, data.data() + m_position, count);
    }
    m_position += count;
    if (pcbRead) {
        *pcbRead = count;
    }
    return S_OK;
}

HRESULT ElementStream::Write(const void* pv, ULONG cb, ULONG* pcbWritten)
{
    std::lock_guard guard(m_document->mutex());
    if (pcbWritten) {
        *pcbWritten = 0;
    }
    if (!pv && cb > 0) {
        return STG_E_INVALIDPOINTER;
    }
    if (!m_access.write) {
        return STG_E_ACCESSDENIED;
    }
    const std::uint64_t end = m_position + cb;
    if (end > kMaxStreamSize) {
        return STG_E_MEDIUMFULL;
    }
    com::writeAt(m_element->data, m_position, pv, cb);
    m_position = end;
    m_document->markChanged();
    if (pcbWritten) {
        *pcbWritten = cb;
    }
    return S_OK;
}

HRESULT ElementStream::Seek(LONGLONG move, DWORD origin, ULONGLONG* newPosition)
{
    std::lock_guard guard(m_document->mutex());
    RETURN_IF_FAILED(com::seekTarget(move, origin, m_position, m_element->data.size(), m_position));
    if (newPosition) {
        *newPosition = m_position;
    }
    return S_OK;
}

HRESULT ElementStream::SetSize(ULONGLONG newSize)
{
    std::lock_guard guard(m_document->mutex());
    if (!m_access.write) {
        return STG_E_ACCESSDENIED;
    }
    if (newSize > kMaxStreamSize) {
        return STG_E_MEDIUMFULL;
    }
    m_element->data.resize(static_cast<std::size_t>(newSize));
    m_document->markChanged();
    return S_OK;
}

HRESULT ElementStream::Commit(DWORD /*flags*/)
{
    return S_OK;
}

HRESULT ElementStream::Stat(STATSTG* statstg, DWORD flags)
{
    std::lock_guard guard(m_document->mutex());
    if (!statstg) {
        return STG_E_INVALIDPOINTER;
    }
    *statstg = STATSTG{};
    if (!(flags & STATFLAG_NONAME)) {
        statstg->name = m_element->name;
    }
    statstg->type = STGTY_STREAM;
    statstg->size = m_element->data.size();
    statstg->mode = stgmOf(m_access);
    return S_OK;
}

HRESULT ElementStream::Clone(IStream** stream)
{
    std::lock_guard guard(m_document->mutex());
    if (!stream) {
        return STG_E_INVALIDPOINTER;
    }
    *stream = com::makeComObject<ElementStream>(m_document, m_element, m_access, m_position).detach();
    return S_OK;
}

} // namespace platform::storage::internal
