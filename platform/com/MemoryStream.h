#pragma once

#include "platform/com/ComObject.h"
#include "platform/com/Stream.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace platform::com {

/// An IStream over a growable byte buffer. Clones share the buffer and keep their own seek pointer.
/// Thread rule: any thread (locks internally).
class MemoryStream final : public ComObject<IStream> {
public:
    MemoryStream();
    explicit MemoryStream(std::span<const std::uint8_t> initial);

    HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) override;
    HRESULT Write(const void* pv, ULONG cb, ULONG* pcbWritten) override;
    HRESULT Seek(LONGLONG move, DWORD origin, ULONGLONG* newPosition) override;
    HRESULT SetSize(ULONGLONG newSize) override;
    HRESULT Commit(DWORD flags) override;
    HRESULT Stat(STATSTG* statstg, DWORD flags) override;
    HRESULT Clone(IStream** stream) override;

    /// A copy of the whole content, whatever the seek pointer.
    std::vector<std::uint8_t> bytes() const;
    std::uint64_t position() const;

private:
    struct Buffer {
        std::mutex mutex;
        std::vector<std::uint8_t> data;
    };
    explicit MemoryStream(std::shared_ptr<Buffer> buffer, std::uint64_t position);

    // Shared with clones, which is what IStream::Clone promises.
    std::shared_ptr<Buffer> m_buffer;
    std::uint64_t m_position = 0;
};

} // namespace platform::com
