#pragma once

#include "platform/com/ComObject.h"
#include "platform/com/Result.h"
#include "platform/com/Stream.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace platform::com {

/// Reads another stream through a buffer, so that a record read field by field costs a call into that stream per
/// buffer rather than per field. Read-only. It reads ahead: the source's own seek pointer is left past this
/// stream's. Thread rule: one thread at a time; it takes no lock, as one load reads it.
class BufferedStream final : public ComObject<IStream> {
public:
    /// Fails when the source cannot tell its seek pointer.
    static Result<ComPtr<BufferedStream>> create(ComPtr<IStream> source);

    /// As the source's Read; a failure of the source is returned with the count of the bytes read before it.
    HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) override;
    /// STG_E_ACCESSDENIED.
    HRESULT Write(const void* pv, ULONG cb, ULONG* pcbWritten) override;
    HRESULT Seek(LONGLONG move, DWORD origin, ULONGLONG* newPosition) override;
    /// STG_E_ACCESSDENIED.
    HRESULT SetSize(ULONGLONG newSize) override;
    HRESULT Commit(DWORD flags) override;
    /// The source's.
    HRESULT Stat(STATSTG* statstg, DWORD flags) override;
    /// E_NOTIMPL.
    HRESULT Clone(IStream** stream) override;

    /// Reads of this size or more go straight to the source.
    static constexpr std::size_t kBufferSize = 16 * 1024;

private:
    BufferedStream(ComPtr<IStream> source, std::uint64_t position);
    ~BufferedStream() override = default;

    std::uint64_t position() const { return m_sourcePosition - (m_filled - m_cursor); }
    HRESULT readThrough(std::uint8_t* out, ULONG cb, ULONG* pcbRead);
    HRESULT seekSource(LONGLONG move, DWORD origin, ULONGLONG* newPosition);

    ComPtr<IStream> m_source;
    /// The source's seek pointer, which lies just past the buffered bytes.
    std::uint64_t m_sourcePosition;
    std::size_t m_filled = 0;
    std::size_t m_cursor = 0;
    std::array<std::uint8_t, kBufferSize> m_buffer;
};

} // namespace platform::com
