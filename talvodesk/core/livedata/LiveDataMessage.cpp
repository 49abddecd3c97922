#include "talvodesk/core/livedata/LiveDataMessage.h"

#include "platform/com/LittleEndian.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace talvodesk {

namespace {

constexpr std::array<std::string_view, 6> kNames{"TALVO:REGISTER", "TALVO:STATE",   "TALVO:POINT",
                                                 "TALVO:SHOT",     "TALVO:TRIGGER", "TALVO:HEARTBEAT"};
constexpr std::size_t kWordsSize = 8;

void putU32(std::uint8_t* bytes, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i) {
        bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

} // namespace

std::string_view liveDataMessageName(LiveDataMessage message)
{
    return kNames[static_cast<std::size_t>(message)];
}

LiveDataDatagram::LiveDataDatagram(LiveDataMessage message, std::uint32_t wParam, std::uint32_t lParam)
{
    const std::string_view name = liveDataMessageName(message);
    std::copy(name.begin(), name.end(), m_bytes.begin());
    m_size = name.size() + 1; // The NUL is already there.
    putU32(m_bytes.data() + m_size, wParam);
    putU32(m_bytes.data() + m_size + 4, lParam);
    m_size += kWordsSize;
}

std::optional<LiveDataPacket> decodeLiveData(std::span<const std::uint8_t> bytes)
{
    for (std::size_t i = 0; i < kNames.size(); ++i) {
        const std::string_view name = kNames[i];
        if (bytes.size() == name.size() + 1 + kWordsSize && std::equal(name.begin(), name.end(), bytes.begin()) &&
            bytes[name.size()] == 0) {
            const std::uint8_t* words = bytes.data() + name.size() + 1;
            return LiveDataPacket{static_cast<LiveDataMessage>(i),
                                  platform::com::loadLittleEndian<std::uint32_t>(words),
                                  platform::com::loadLittleEndian<std::uint32_t>(words + 4)};
        }
    }
    return std::nullopt;
}

std::int32_t scaleAndRound(float value, double factor)
{
    const float scaled = static_cast<float>(static_cast<double>(value) * factor);
    if (!(std::fabs(scaled) < 2147483648.0f)) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(std::nearbyint(scaled));
}

} // namespace talvodesk
