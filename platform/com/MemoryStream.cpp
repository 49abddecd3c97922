#include "platform/com/MemoryStream.h"

#include "platform/com/SeekTarget.h"
#include "platform/com/WriteAt.h"

#include <algorithm>
#include <cstring>

namespace platform::com {

MemoryStream::MemoryStream() : m_buffer(std::make_shared<Buffer>()) {}

MemoryStream::MemoryStream(std::span<const std::uint8_t> initial) : MemoryStream()
{
    m_buffer->data.assign(initial.begin(), initial.end());
}

MemoryStream::MemoryStream(std::shared_ptr<Buffer> buffer, std::uint64_t position)
    : m_buffer(std::move(buffer)), m_position(position)
{
}

HRESULT MemoryStream::Read(void* pv, ULONG cb, ULONG* pcbRead)
{
    auto guard = lock();
    if (!pv && cb > 0) {
        return STG_E_INVALIDPOINTER;
    }
    std::lock_guard bufferGuard(m_buffer->mutex);
    const std::uint64_t size = m_buffer->data.size();
    const std::uint64_t available = m_position < size ? size - m_position : 0;
    const auto count = static_cast<ULONG>(std::min<std::uint64_t>(cb, available));
    if (count > 0) {
        std::memcpy(pv, m_buffer->data.data() + m_position, count);
    }
    m_position += count;
    if (pcbRead) {
        *pcbRead = count;
    }
    return S_OK;
}

HRESULT MemoryStream::Write(const void* pv, ULONG cb, ULONG* pcbWritten)
{
    auto guard = lock();
    if (pcbWritten) {
        *pcbWritten = 0;
    }
    if (!pv && cb > 0) {
        return STG_E_INVALIDPOINTER;
    }
    std::lock_guard bufferGuard(m_buffer->mutex);
    const std::uint64_t end = m_position + cb;
    if (end > m_buffer->data.max_size()) {
        return STG_E_MEDIUMFULL;
    }
    writeAt(m_buffer->data, m_position, pv, cb);
    m_position = end;
    if (pcbWritten) {
        *pcbWritten = cb;
    }
    return S_OK;
}

HRESULT MemoryStream::Seek(LONGLONG move, DWORD origin, ULONGLONG* newPosition)
{
    auto guard = lock();
    ULONGLONG end = 0;
    {
        std::lock_guard bufferGuard(m_buffer->mutex);
        end = m_buffer->data.size();
    }
    RETURN_IF_FAILED(seekTarget(move, origin, m_position, end, m_position));
    if (newPosition) {
        *newPosition = m_position;
    }
    return S_OK;
}

HRESULT MemoryStream::SetSize(ULONGLONG newSize)
{
    auto guard = lock();
    std::lock_guard bufferGuard(m_buffer->mutex);
    if (newSize > m_buffer->data.max_size()) {
        return STG_E_MEDIUMFULL;
    }
    m_buffer->data.resize(newSize);
    return S_OK;
}

HRESULT MemoryStream::Commit(DWORD /*flags*/)
{
    return S_OK;
}

HRESULT MemoryStream::Stat(STATSTG* statstg, DWORD /*flags*/)
{
    auto guard = lock();
    if (!statstg) {
        return STG_E_INVALIDPOINTER;
    }
    std::lock_guard bufferGuard(m_buffer->mutex);
    *statstg = STATSTG{};
    statstg->type = STGTY_STREAM;
    statstg->size = m_buffer->data.size();
    return S_OK;
}

HRESULT MemoryStream::Clone(IStream** stream)
{
    auto guard = lock();
    if (!stream) {
        return STG_E_INVALIDPOINTER;
    }
    *stream = ComPtr<MemoryStream>(new MemoryStream(m_buffer, m_position)).detach();
    return S_OK;
}

std::vector<std::uint8_t> MemoryStream::bytes() const
{
    std::lock_guard bufferGuard(m_buffer->mutex);
    return m_buffer->data;
}

std::uint64_t MemoryStream::position() const
{
    auto guard = lock();
    return m_position;
}

} // namespace platform::com
