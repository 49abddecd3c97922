#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <span>

namespace platform::time {
class Clock;
}

namespace talvolink {

class UsbDevice;

/// The commands a wireless target takes through its radio receiver.
namespace command {
inline constexpr std::uint8_t kStopLink = 0x12;
inline constexpr std::uint8_t kStartOptical = 0x15;
inline constexpr std::uint8_t kStartWireless = 0x16;
inline constexpr std::uint8_t kDescriptor = 0x20;
inline constexpr std::uint8_t kSettings = 0x21;
inline constexpr std::uint8_t kZone = 0x25;
inline constexpr std::uint8_t kLamps = 0x32;
inline constexpr std::uint8_t kLedBrightness = 0x33;
inline constexpr std::uint8_t kLampBrightness = 0x34;
inline constexpr std::uint8_t kSubTarget = 0x40;
inline constexpr std::uint8_t kSignals = 0x50;
} // namespace command

/// Time-out and retry window of a command; a time-out of 0 means 500 ms, a window of 0 one attempt.
struct CommandTiming {
    std::chrono::milliseconds timeout;
    std::chrono::milliseconds retryWindow;
};

inline constexpr CommandTiming kQuickCommand{std::chrono::milliseconds(500), std::chrono::milliseconds(250)};
inline constexpr CommandTiming kBrightnessCommand{std::chrono::milliseconds(500), std::chrono::milliseconds(500)};
inline constexpr CommandTiming kSubTargetCommand{std::chrono::milliseconds(500), std::chrono::milliseconds(20000)};
inline constexpr CommandTiming kSignalsCommand{std::chrono::milliseconds(1000), std::chrono::milliseconds(20000)};
inline constexpr CommandTiming kZoneCommand{std::chrono::milliseconds(0), std::chrono::milliseconds(0)};

/// The command exchange with the wireless targets (1..16, 0 the receiver's own link) through the receiver.
/// Thread rule: any thread; the receiver serialises its requests.
class TargetCommands {
public:
    static constexpr int kMaxTarget = 16;
    static constexpr std::size_t kMaxCommand = 16;
    static constexpr std::size_t kDescriptorLength = 17;
    static constexpr std::size_t kSettingsLength = 10;

    /// Waits between attempts; by default a pause on `clock`.
    using PauseFunction = std::function<void(std::chrono::milliseconds)>;

    TargetCommands(UsbDevice& receiver, platform::time::Clock& clock, PauseFunction pause = {});

    /// Request 0xF0 (wValue the time-out, wIndex the target) until it succeeds or the window has passed since the
    /// first attempt, 50 ms apart. A target above 16 or a command outside 1..16 bytes fails without a transfer.
    bool send(int target, std::span<const std::uint8_t> bytes, CommandTiming timing);
    /// send, then request 0xF1 reading exactly reply.size() bytes.
    bool sendWithReply(int target, std::span<const std::uint8_t> bytes, std::span<std::uint8_t> reply,
                       CommandTiming timing);

    /// Request 0x82: the first present target (1..16), 0 when none or the request fails.
    int firstPresentTarget();

private:
    UsbDevice& m_receiver;
    platform::time::Clock& m_clock;
    PauseFunction m_pause;
};

/// The two emitter codes of a sub-target and the firing point's parity that the target controller takes.
struct SubTargetPair {
    std::uint8_t a = 10;
    std::uint8_t b = 16;
    int parity = 0;
};

/// The pair for a firing point: wireless targets of the position kinds have five, other wireless targets one, the
/// optical sensor two by parity.
SubTargetPair SelectSubTargetPair(bool wireless, int recordKind, long firingPoint);

/// The hit-lamp and miss-lamp bytes of a wireless target; lamp n (1..8) is bit n - 1.
struct LampBytes {
    std::uint8_t hit = 0;
    std::uint8_t miss = 0;
};

LampBytes SwitchLamp(LampBytes lamps, bool hitLamp, int lamp, bool on);
/// Command 0x32: the hit byte first, the miss byte first on the zone-capable kind 18.
std::array<std::uint8_t, 3> LampCommand(LampBytes lamps, int descriptorKind);

/// The descriptor kind of the wireless target with distance zones and LEDs.
inline constexpr int kZoneTargetKind = 18;

} // namespace talvolink
