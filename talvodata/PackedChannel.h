#pragma once

#include "talvodata/TraceChannel.h"

#include "platform/com/Stream.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// The run-based difference codec of trace channels. A run holds samples of one class: 0 invalid (no payload),
// 1 int8 difference, 2 int16 difference, 3 int32 value. Its header byte is the class in the low nibble and the
// size of the length field in the high nibble (1: u8, 2: u16, 3: u32). Differences are taken against the last
// valid value before the sample (0 at the start).
namespace talvodata::packed {

/// The packed bytes of `count` samples from position `from` of `channel`.
std::vector<std::uint8_t> encode(const TraceChannel& channel, std::size_t from, std::size_t count);

/// The run classes of each sample before runs are formed and promoted (exposed for tests).
std::vector<std::uint8_t> classify(const TraceChannel& channel, std::size_t from, std::size_t count);

/// Decodes exactly `count` samples into positions 0 .. count-1 of `channel`, whose storage (of the declared
/// width) the caller allocated. E_FAIL for a short stream, an unknown header or class, a run past `count`, or
/// a value its storage cannot hold.
HRESULT decode(IStream* stream, std::size_t count, TraceChannel& channel);

} // namespace talvodata::packed
