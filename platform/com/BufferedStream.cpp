#include "platform/com/BufferedStream.h"

#include "platform/com/SeekTarget.h"

#include <algorithm>

namespace platform::com {

BufferedStream::BufferedStream(ComPtr<IStream> source, std::uint64_t position)
    : m_source(std::move(source)), m_sourcePosition(position)
{
}

Result<ComPtr<BufferedStream>> BufferedStream::create(ComPtr<IStream> source)
{
    ULONGLONG position = 0;
    if (const HRESULT hr = source->Seek(0, STREAM_SEEK_CUR, &position); FAILED(hr)) {
        return Error{hr, "the stream to buffer cannot tell its position"};
    }
    return ComPtr<BufferedStream>(new BufferedStream(std::move(source), position));
}

HRESULT BufferedStream::Read(void* pv, ULONG cb, ULONG* pcbRead)
{
    if (!pv && cb > 0) {
        if (pcbRead) {
            *pcbRead = 0;
        }
        return STG_E_INVALIDPOINTER;
    }
    auto* out = static_cast<std::uint8_t*>(pv);
    if (cb > m_filled - m_cursor) {
        return readThrough(out, cb, pcbRead);
    }
    std::copy_n(m_buffer.data() + m_cursor, cb, out);
    m_cursor += cb;
    if (pcbRead) {
        *pcbRead = cb;
    }
    return S_OK;
}

HRESULT BufferedStream::readThrough(std::uint8_t* out, ULONG cb, ULONG* pcbRead)
{
    ULONG done = 0;
    HRESULT hr = S_OK;
    while (done < cb) {
        if (const std::size_t buffered = std::min<std::size_t>(m_filled - m_cursor, cb - done); buffered > 0) {
            std::copy_n(m_buffer.data() + m_cursor, buffered, out + done);
            m_cursor += buffered;
            done += static_cast<ULONG>(buffered);
            continue;
        }
        // The buffer is used up here: it starts afresh, empty when the rest goes straight to the caller.
        const ULONG wanted = cb - done;
        ULONG got = 0;
        if (wanted >= kBufferSize) {
            hr = m_source->Read(out + done, wanted, &got);
            done += got;
            m_filled = 0;
        } else {
            hr = m_source->Read(m_buffer.data(), static_cast<ULONG>(kBufferSize), &got);
            m_filled = got;
        }
        m_cursor = 0;
        m_sourcePosition += got;
        if (FAILED(hr) || got == 0) {
            break;
        }
    }
    if (pcbRead) {
        *pcbRead = done;
    }
    return hr;
}

HRESULT BufferedStream::Write(const void* /*pv*/, ULONG /*cb*/, ULONG* pcbWritten)
{
    if (pcbWritten) {
        *pcbWritten = 0;
    }
    return STG_E_ACCESSDENIED;
}

HRESULT BufferedStream::Seek(LONGLONG move, DWORD origin, ULONGLONG* newPosition)
{
    // Only the source knows its end.
    if (origin == STREAM_SEEK_END) {
        return seekSource(move, origin, newPosition);
    }
    ULONGLONG target = 0;
    RETURN_IF_FAILED(seekTarget(move, origin, position(), /*end=*/0, target));
    const std::uint64_t bufferStart = m_sourcePosition - m_filled;
    if (target < bufferStart || target > m_sourcePosition) {
        return seekSource(static_cast<LONGLONG>(target), STREAM_SEEK_SET, newPosition);
    }
    m_cursor = static_cast<std::size_t>(target - bufferStart);
    if (newPosition) {
        *newPosition = target;
    }
    return S_OK;
}

HRESULT BufferedStream::seekSource(LONGLONG move, DWORD origin, ULONGLONG* newPosition)
{
    ULONGLONG landed = 0;
    RETURN_IF_FAILED(m_source->Seek(move, origin, &landed));
    m_sourcePosition = landed;
    m_filled = 0;
    m_cursor = 0;
    if (newPosition) {
        *newPosition = landed;
    }
    return S_OK;
}

HRESULT BufferedStream::SetSize(ULONGLONG /*newSize*/)
{
    return STG_E_ACCESSDENIED;
}

HRESULT BufferedStream::Commit(DWORD /*flags*/)
{
    return S_OK;
}

HRESULT BufferedStream::Stat(STATSTG* statstg, DWORD flags)
{
    return m_source->Stat(statstg, flags);
}

HRESULT BufferedStream::Clone(IStream** stream)
{
    if (stream) {
        *stream = nullptr;
    }
    return E_NOTIMPL;
}

} // namespace platform::com
