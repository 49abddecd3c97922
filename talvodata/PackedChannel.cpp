#include "talvodata/PackedChannel.h"

#include "platform/com/LittleEndian.h"
#include "platform/com/StreamForms.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <span>
#include <type_traits>
#include <utility>

namespace talvodata::packed {

using platform::com::loadLittleEndian;
using platform::com::readBytes;

namespace {

struct Run {
    std::uint8_t kind;
    std::size_t length;
};

std::size_t headerSize(std::size_t length)
{
    return length <= 0xFF ? 2 : length <= 0xFFFF ? 3 : 5;
}

std::vector<Run> formRuns(const std::vector<std::uint8_t>& kinds)
{
    std::vector<Run> runs;
    for (std::uint8_t kind : kinds) {
        if (!runs.empty() && runs.back().kind == kind) {
            ++runs.back().length;
        } else {
            runs.push_back({kind, 1});
        }
    }
    return runs;
}

// A short run of cheaper samples between two runs of a wider class costs more in headers than it saves.
std::uint8_t promotedKind(std::uint8_t previous, const Run& run, const Run* next)
{
    const std::uint8_t kind = run.kind;
    if (kind == previous || kind == 0) {
        return kind;
    }
    const std::size_t length = run.length;
    const std::size_t header = headerSize(length);
    if (next && next->kind == previous) {
        const std::size_t headers = header + headerSize(next->length);
        if (previous == 2 && kind == 1 && headers >= length) {
            return 2;
        }
        if (previous == 3 && kind == 1 && headers >= 3 * length) {
            return 3;
        }
        if (previous == 3 && kind == 2 && headers >= 2 * length) {
            return 3;
        }
        return kind;
    }
    if (previous == 2 && kind == 1 && header >= length) {
        return 2;
    }
    if (previous == 3 && kind == 2 && header >= 2 * length) {
        return 3;
    }
    return kind;
}

void appendLittleEndian(std::vector<std::uint8_t>& bytes, std::uint32_t value, std::size_t size)
{
    for (std::size_t i = 0; i < size; ++i) {
        bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

bool isInvalid(const TraceChannel& channel, std::int32_t value)
{
    return !channel.isNarrow() && value == TraceChannel::kInvalid;
}

} // namespace

std::vector<std::uint8_t> classify(const TraceChannel& channel, std::size_t from, std::size_t count)
{
    std::vector<std::uint8_t> kinds(count);
    std::int64_t previous = 0;
    bool previousInvalid = false;
    for (std::size_t i = 0; i < count; ++i) {
        const std::int32_t value = channel.at(from + i);
        if (isInvalid(channel, value)) {
            kinds[i] = 0;
            previousInvalid = true;
            continue;
        }
        const std::int64_t difference = static_cast<std::int64_t>(value) - previous;
        if (previousInvalid) {
            kinds[i] = 3;
        } else if (difference >= -127 && difference <= 127) {
            kinds[i] = 1;
        } else if (difference >= -32767 && difference <= 32767) {
            kinds[i] = 2;
        } else {
            kinds[i] = 3;
        }
        previous = value;
        previousInvalid = false;
    }
    return kinds;
}

std::vector<std::uint8_t> encode(const TraceChannel& channel, std::size_t from, std::size_t count)
{
    std::vector<std::uint8_t> kinds = classify(channel, from, count);
    const std::vector<Run> runs = formRuns(kinds);

    std::size_t sample = 0;
    std::uint8_t previousKind = 0;
    for (std::size_t r = 0; r < runs.size(); ++r) {
        const std::uint8_t kind =
            r == 0 ? runs[r].kind : promotedKind(previousKind, runs[r], r + 1 < runs.size() ? &runs[r + 1] : nullptr);
        std::memset(kinds.data() + sample, kind, runs[r].length);
        sample += runs[r].length;
        previousKind = kind;
    }

    std::vector<std::uint8_t> bytes;
    bytes.reserve(count + 16);
    std::int32_t previous = 0;
    sample = 0;
    for (const Run& run : formRuns(kinds)) {
        const std::size_t lengthSize = headerSize(run.length) - 1;
        const std::uint8_t sizeCode = lengthSize == 1 ? 0x10 : lengthSize == 2 ? 0x20 : 0x30;
        bytes.push_back(static_cast<std::uint8_t>(sizeCode | run.kind));
        appendLittleEndian(bytes, static_cast<std::uint32_t>(run.length), lengthSize);
        for (std::size_t end = sample + run.length; sample < end; ++sample) {
            const std::int32_t value = channel.at(from + sample);
            if (run.kind == 0) {
                continue;
            }
            // Differences of class 1 and 2 samples fit their field: they were classified against this value.
            const auto difference = static_cast<std::uint32_t>(static_cast<std::int64_t>(value) - previous);
            appendLittleEndian(bytes, run.kind == 3 ? static_cast<std::uint32_t>(value) : difference,
                               run.kind == 3 ? 4 : run.kind);
            previous = value;
        }
    }
    return bytes;
}

namespace {

// Payload is read through a buffer of this size, so a run's length never decides an allocation.
constexpr std::size_t kChunkBytes = 1024;
// Samples per range check: short enough that differences of one byte cannot leave 16 bits from most values.
constexpr std::size_t kBlock = 64;

/// Reads a run header; E_FAIL for an unknown length size or class, or a run longer than `most` samples.
HRESULT readRunHeader(IStream* stream, std::size_t most, Run& run)
{
    std::uint8_t header = 0;
    RETURN_IF_FAILED(readBytes(stream, &header, 1));
    run.kind = header & 0x0F;
    const std::size_t lengthSize = header >> 4 == 1 ? 1 : header >> 4 == 2 ? 2 : header >> 4 == 3 ? 4 : 0;
    if (lengthSize == 0 || run.kind > 3) {
        return E_FAIL;
    }
    std::uint8_t lengthBytes[4] = {};
    RETURN_IF_FAILED(readBytes(stream, lengthBytes, lengthSize));
    run.length = loadLittleEndian<std::uint32_t>(lengthBytes);
    return run.length > most ? E_FAIL : S_OK;
}

/// Stores the samples whose fields (differences, or values when not `kRelative`) are at `fields`. False when a
/// value leaves what T holds; a `kChecked` of false is for runs the caller proved cannot.
template <typename Field, bool kRelative, bool kChecked, typename T>
bool storeFields(const std::uint8_t* fields, std::span<T> out, std::int64_t& previous)
{
    using Unsigned = std::make_unsigned_t<Field>;
    std::int64_t value = previous;
#pragma GCC unroll 4
    for (T& sample : out) {
        const auto field = static_cast<Field>(loadLittleEndian<Unsigned>(fields));
        fields += sizeof(Field);
        value = kRelative ? value + field : field;
        if (kChecked && !std::in_range<T>(value)) {
            return false;
        }
        sample = static_cast<T>(value);
    }
    previous = value;
    return true;
}

template <typename Field, bool kRelative, typename T>
bool storeChunk(const std::uint8_t* fields, std::span<T> out, std::int64_t& previous)
{
    // Differences alone move a value at most this far in a block, so most blocks need no check per sample.
    constexpr std::int64_t kLowest = std::numeric_limits<Field>::min() * std::int64_t{kBlock};
    constexpr std::int64_t kHighest = std::numeric_limits<Field>::max() * std::int64_t{kBlock};
    for (std::size_t start = 0; start < out.size(); start += kBlock) {
        const std::span<T> block = out.subspan(start, std::min(kBlock, out.size() - start));
        const std::uint8_t* blockFields = fields + start * sizeof(Field);
        const bool fits = kRelative ? std::in_range<T>(previous + kLowest) && std::in_range<T>(previous + kHighest)
                                    : std::in_range<T>(std::numeric_limits<Field>::min()) &&
                                          std::in_range<T>(std::numeric_limits<Field>::max());
        if (!(fits ? storeFields<Field, kRelative, false>(blockFields, block, previous)
                   : storeFields<Field, kRelative, true>(blockFields, block, previous))) {
            return false;
        }
    }
    return true;
}

template <typename Field, bool kRelative, typename T>
HRESULT decodeRun(IStream* stream, std::span<T> out, std::int64_t& previous)
{
    std::uint8_t chunk[kChunkBytes];
    while (!out.empty()) {
        const std::size_t length = std::min(out.size(), kChunkBytes / sizeof(Field));
        RETURN_IF_FAILED(readBytes(stream, chunk, length * sizeof(Field)));
        if (!storeChunk<Field, kRelative>(chunk, out.first(length), previous)) {
            return E_FAIL;
        }
        out = out.subspan(length);
    }
    return S_OK;
}

template <typename T> HRESULT decodeInto(IStream* stream, std::span<T> samples)
{
    std::int64_t previous = 0;
    std::size_t done = 0;
    while (done < samples.size()) {
        Run run{};
        RETURN_IF_FAILED(readRunHeader(stream, samples.size() - done, run));
        const std::span<T> out = samples.subspan(done, run.length);
        done += run.length;
        if (run.kind == 1) {
            RETURN_IF_FAILED((decodeRun<std::int8_t, true>(stream, out, previous)));
        } else if (run.kind == 2) {
            RETURN_IF_FAILED((decodeRun<std::int16_t, true>(stream, out, previous)));
        } else if (run.kind == 3) {
            RETURN_IF_FAILED((decodeRun<std::int32_t, false>(stream, out, previous)));
        } else if (std::in_range<T>(TraceChannel::kInvalid)) {
            std::fill(out.begin(), out.end(), static_cast<T>(TraceChannel::kInvalid));
        } else {
            return E_FAIL; // Invalid samples exist only in 32-bit storage.
        }
    }
    return S_OK;
}

} // namespace

HRESULT decode(IStream* stream, std::size_t count, TraceChannel& channel)
{
    return channel.isNarrow() ? decodeInto(stream, channel.narrowStorage().first(count))
                              : decodeInto(stream, channel.wideStorage().first(count));
}

} // namespace talvodata::packed
