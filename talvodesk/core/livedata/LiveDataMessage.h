#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace talvodesk {

/// The messages of live data, in the order of their names below.
enum class LiveDataMessage { Register, State, Point, Shot, Trigger, HeartBeat };

/// "TALVO:REGISTER", "TALVO:STATE", "TALVO:POINT", "TALVO:SHOT", "TALVO:TRIGGER", "TALVO:HEARTBEAT".
std::string_view liveDataMessageName(LiveDataMessage message);

/// The program's socket in the user's runtime folder, where clients send "TALVO:REGISTER".
inline constexpr std::string_view kLiveDataSocketName = "livedata";

/// One message on the wire: its name, a NUL, then wParam and lParam as 32-bit little-endian words.
class LiveDataDatagram {
public:
    static constexpr std::size_t kMaxSize = 24;

    LiveDataDatagram(LiveDataMessage message, std::uint32_t wParam, std::uint32_t lParam);

    std::span<const std::uint8_t> bytes() const { return {m_bytes.data(), m_size}; }

private:
    std::array<std::uint8_t, kMaxSize> m_bytes{};
    std::size_t m_size = 0;
};

struct LiveDataPacket {
    LiveDataMessage message;
    std::uint32_t wParam;
    std::uint32_t lParam;
};

/// Nothing for bytes that are not exactly one message.
std::optional<LiveDataPacket> decodeLiveData(std::span<const std::uint8_t> bytes);

/// value x factor in double precision, stored in single precision, rounded half to even. Beyond the 32-bit range
/// (and NaN) it is 0x80000000, as the processor's conversion gives.
std::int32_t scaleAndRound(float value, double factor);
/// A coordinate in millimetres as the 16-bit field of a position: twentieths of a millimetre, wrapping outside
/// -1638.4 .. 1638.35 mm.
inline std::uint16_t toTwentieths(float millimetres)
{
    return static_cast<std::uint16_t>(scaleAndRound(millimetres, 20.0));
}
/// A shot's result in tenths (9.7 gives 97).
inline std::int32_t toTenths(float result)
{
    return scaleAndRound(result, 10.0);
}
/// x in the low, y in the high word.
inline std::uint32_t makeLong(std::uint16_t low, std::uint16_t high)
{
    return static_cast<std::uint32_t>(low) | static_cast<std::uint32_t>(high) << 16;
}

} // namespace talvodesk
