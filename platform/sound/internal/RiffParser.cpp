#include "platform/sound/internal/RiffParser.h"

#include "platform/com/LittleEndian.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace platform::sound::internal {

namespace {

constexpr std::size_t kChunkHeader = 8;
constexpr std::size_t kPcmFormatSize = 16;

std::uint32_t u32At(const std::vector<std::uint8_t>& bytes, std::size_t offset)
{
    return com::loadLittleEndian<std::uint32_t>(bytes.data() + offset);
}

std::uint16_t u16At(const std::vector<std::uint8_t>& bytes, std::size_t offset)
{
    return com::loadLittleEndian<std::uint16_t>(bytes.data() + offset);
}

bool hasId(const std::vector<std::uint8_t>& bytes, std::size_t offset, std::string_view id)
{
    return std::memcmp(bytes.data() + offset, id.data(), 4) == 0;
}

/// The format stored in a "fmt " chunk of `size` bytes at `body`; nothing when it is short of its own fields.
std::optional<WAVEFORMATEX> formatAt(const std::vector<std::uint8_t>& bytes, std::size_t body, std::size_t size)
{
    if (size < kPcmFormatSize) {
        return std::nullopt;
    }
    WAVEFORMATEX format{u16At(bytes, body),
                        u16At(bytes, body + 2),
                        u32At(bytes, body + 4),
                        u32At(bytes, body + 8),
                        u16At(bytes, body + 12),
                        u16At(bytes, body + 14),
                        {}};
    if (format.wFormatTag != WAVE_FORMAT_PCM) {
        if (size < kPcmFormatSize + 2) {
            return std::nullopt;
        }
        const std::size_t extra = u16At(bytes, body + kPcmFormatSize);
        if (size < kPcmFormatSize + 2 + extra) {
            return std::nullopt;
        }
        const auto first = bytes.begin() + static_cast<std::ptrdiff_t>(body + kPcmFormatSize + 2);
        format.extra.assign(first, first + static_cast<std::ptrdiff_t>(extra));
    }
    if (format.nChannels == 0 || format.nBlockAlign == 0) {
        return std::nullopt;
    }
    return format;
}

} // namespace

std::optional<ParsedWave> parseWave(const std::vector<std::uint8_t>& bytes)
{
    if (bytes.size() < 12 || !hasId(bytes, 0, "RIFF") || !hasId(bytes, 8, "WAVE")) {
        return std::nullopt;
    }
    const std::size_t riffEnd = std::min<std::size_t>(bytes.size(), kChunkHeader + std::size_t{u32At(bytes, 4)});
    std::optional<WAVEFORMATEX> format;
    std::optional<std::pair<std::size_t, std::size_t>> data;
    for (std::size_t chunk = 12; chunk + kChunkHeader <= riffEnd;) {
        const std::size_t body = chunk + kChunkHeader;
        const std::size_t size = u32At(bytes, chunk + 4);
        const std::size_t present = std::min(size, riffEnd - body);
        if (!format && hasId(bytes, chunk, "fmt ")) {
            // The whole chunk must be there, and hold the fields its format needs.
            format = size == present ? formatAt(bytes, body, size) : std::nullopt;
            if (!format) {
                return std::nullopt;
            }
        } else if (!data && hasId(bytes, chunk, "data")) {
            data.emplace(body, present);
        }
        chunk = body + present + (size & 1);
    }
    if (!format || !data) {
        return std::nullopt;
    }
    return ParsedWave{std::move(*format), data->first, static_cast<DWORD>(data->second)};
}

} // namespace platform::sound::internal
