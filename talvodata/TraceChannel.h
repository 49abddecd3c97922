#pragma once

#include "talvodata/TracePoints.h"

#include "interfaces/talvodata/Sampling.h"
#include "platform/com/HResult.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace talvodata {

/// The samples of one channel of a trace, in 32-bit or 16-bit storage. Positions are array positions; the
/// trace keeps the offset and capacity that all its channels share. Thread rule: guarded by the trace's lock.
class TraceChannel {
public:
    static constexpr std::int32_t kInvalid = kInvalidSample;

    bool isNarrow() const { return m_isNarrow; }
    std::size_t capacity() const { return m_isNarrow ? m_narrow.size() : m_wide.size(); }
    std::int32_t at(std::size_t position) const { return m_isNarrow ? m_narrow[position] : m_wide[position]; }
    /// The `count` samples from `from` on, widened to 32 bits.
    void copyOut(std::size_t from, std::size_t count, std::int32_t* out) const;
    /// The samples from `from` on where they are stored; valid until the channel next changes.
    ChannelView view(std::size_t from) const
    {
        return m_isNarrow ? ChannelView{m_narrow.data() + from, nullptr} : ChannelView{nullptr, m_wide.data() + from};
    }
    /// A value outside -32768 .. 32767 needs 32-bit storage: `widen()` first.
    void set(std::size_t position, std::int32_t value);
    /// The storage itself, for filling whole runs; empty unless the channel has that width.
    std::span<std::int16_t> narrowStorage() { return m_narrow; }
    std::span<std::int32_t> wideStorage() { return m_wide; }

    /// Fresh storage of `capacity` zeros, of the given width.
    HRESULT allocate(std::size_t capacity, bool narrow);
    /// Fills `resized` with storage of `capacity` holding the `count` samples from `from` at position 0, in this
    /// channel's width. E_OUTOFMEMORY leaves both as they were.
    HRESULT resizedCopy(std::size_t capacity, std::size_t from, std::size_t count, TraceChannel& resized) const;
    /// Moves `count` samples from `from` down to position 0, in place.
    void moveDown(std::size_t from, std::size_t count);

    static bool fitsNarrow(std::int64_t value) { return value >= -32768 && value <= 32767; }
    /// Switches to 16-bit storage when every one of the `count` samples from `from` fits (an invalid one never does).
    HRESULT narrowIfPossible(std::size_t from, std::size_t count);
    HRESULT widen();

private:
    bool m_isNarrow = false;
    std::vector<std::int32_t> m_wide;
    std::vector<std::int16_t> m_narrow;
};

} // namespace talvodata
