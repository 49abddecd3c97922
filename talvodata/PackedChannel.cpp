#include "talvodata/PackedChannel.h"

#include "platform/com/LittleEndian.h"
#include "platform/com/StreamForms.h"

#include <cstring>
#include <limits>

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

HRESULT decode(IStream* stream, std::size_t count, TraceChannel& channel)
{
    std::vector<std::uint8_t> payload;
    std::int64_t previous = 0;
    std::size_t done = 0;
    const std::int64_t low = channel.isNarrow() ? -32768 : std::numeric_limits<std::int32_t>::min();
    const std::int64_t high = channel.isNarrow() ? 32767 : std::numeric_limits<std::int32_t>::max();
    while (done < count) {
        std::uint8_t header = 0;
        RETURN_IF_FAILED(readBytes(stream, &header, 1));
        const std::uint8_t kind = header & 0x0F;
        const std::size_t lengthSize = header >> 4 == 1 ? 1 : header >> 4 == 2 ? 2 : header >> 4 == 3 ? 4 : 0;
        if (lengthSize == 0 || kind > 3) {
            return E_FAIL;
        }
        std::uint8_t lengthBytes[4] = {};
        RETURN_IF_FAILED(readBytes(stream, lengthBytes, lengthSize));
        std::size_t length = 0;
        for (std::size_t i = lengthSize; i > 0; --i) {
            length = (length << 8) | lengthBytes[i - 1];
        }
        if (length > count - done) {
            return E_FAIL;
        }
        if (kind == 0) {
            // Invalid samples exist only in 32-bit storage.
            if (channel.isNarrow()) {
                return E_FAIL;
            }
            for (std::size_t i = 0; i < length; ++i) {
                channel.set(done + i, TraceChannel::kInvalid);
            }
            done += length;
            continue;
        }
        const std::size_t fieldSize = kind == 3 ? 4 : kind;
        payload.resize(length * fieldSize);
        RETURN_IF_FAILED(readBytes(stream, payload.data(), payload.size()));
        for (std::size_t i = 0; i < length; ++i) {
            const std::uint8_t* field = payload.data() + i * fieldSize;
            std::int64_t value = 0;
            if (kind == 1) {
                value = previous + static_cast<std::int8_t>(field[0]);
            } else if (kind == 2) {
                value = previous + static_cast<std::int16_t>(loadLittleEndian<std::uint16_t>(field));
            } else {
                value = static_cast<std::int32_t>(loadLittleEndian<std::uint32_t>(field));
            }
            if (value < low || value > high) {
                return E_FAIL;
            }
            channel.set(done + i, static_cast<std::int32_t>(value));
            previous = value;
        }
        done += length;
    }
    return S_OK;
}

} // namespace talvodata::packed
