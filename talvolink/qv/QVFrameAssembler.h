#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace talvolink {

/// The sensor's frame header packet.
inline constexpr std::size_t kQVHeaderLength = 55;
/// What is delivered for a frame: byte 0 = 2, then the 55 header bytes of the frame with the level (u16 at 32) and
/// the u32 at 38 of the frame after it.
inline constexpr std::size_t kQVFrameRecordLength = 56;
using QVHeader = std::array<std::uint8_t, kQVHeaderLength>;
using QVFrameRecord = std::array<std::uint8_t, kQVFrameRecordLength>;

/// Puts frames together from a header packet and numbered continuation packets, drops frames inside a hold-off,
/// and delivers each frame when the next arrives, carrying the next one's level over.
/// Thread rule: owner thread.
class QVFrameAssembler {
public:
    /// A frame with a payload is complete: its header and its pixels.
    using CompleteHandler = std::function<void(const QVHeader& header, std::span<const std::uint8_t> payload)>;
    /// A frame is delivered with the time of the frame after it.
    using DeliverHandler = std::function<void(const QVFrameRecord& record, std::uint64_t time)>;

    QVFrameAssembler(CompleteHandler complete, DeliverHandler deliver);

    /// One packet that arrived at `time` (milliseconds).
    void push(std::uint64_t time, std::span<const std::uint8_t> packet);
    /// Drops a frame being assembled.
    void endAssembly();
    /// Frames stamped before `time` are dropped.
    void holdUntil(std::uint64_t time) { m_holdUntil = time; }
    /// Forgets everything: assembly, hold-off and the frame kept for carry-over.
    void reset();

private:
    void onContinuation(std::uint64_t time, std::span<const std::uint8_t> packet);
    void finish(std::uint64_t time);

    CompleteHandler m_complete;
    DeliverHandler m_deliver;
    bool m_assembling = false;
    std::uint8_t m_expected = 255;
    std::size_t m_payloadLength = 0;
    std::vector<std::uint8_t> m_buffer;
    QVHeader m_header{};
    std::uint64_t m_holdUntil = 0;
    std::optional<QVHeader> m_previous;
};

} // namespace talvolink
