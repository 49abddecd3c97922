#include "talvolink/usb/TargetCommands.h"

#include "talvolink/serial/Pause.h"
#include "talvolink/usb/UsbDevice.h"

#include "platform/time/Clock.h"

#include <array>

namespace talvolink {

namespace {

constexpr std::uint8_t kRequestCommand = 0xF0;
constexpr std::uint8_t kRequestReply = 0xF1;
constexpr std::uint8_t kRequestTargetList = 0x82;
constexpr std::chrono::milliseconds kDefaultTimeout{500};
constexpr std::chrono::milliseconds kRetryPause{50};

} // namespace

TargetCommands::TargetCommands(UsbDevice& receiver, platform::time::Clock& clock, PauseFunction pause)
    : m_receiver(receiver), m_clock(clock), m_pause(std::move(pause))
{
    if (!m_pause) {
        m_pause = [this](std::chrono::milliseconds duration) { Pause(m_clock, duration); };
    }
}

bool TargetCommands::send(int target, std::span<const std::uint8_t> bytes, CommandTiming timing)
{
    if (target < 0 || target > kMaxTarget || bytes.empty() || bytes.size() > kMaxCommand) {
        return false;
    }
    const auto timeout = timing.timeout.count() == 0 ? kDefaultTimeout : timing.timeout;
    const auto attempt = [&] {
        return m_receiver.WriteVendor(kRequestCommand, static_cast<std::uint16_t>(timeout.count()),
                                      static_cast<std::uint16_t>(target), bytes);
    };
    const auto first = m_clock.steadyNow();
    if (attempt()) {
        return true;
    }
    while (timing.retryWindow.count() > 0 && m_clock.steadyNow() - first < timing.retryWindow) {
        m_pause(kRetryPause);
        if (attempt()) {
            return true;
        }
    }
    return false;
}

bool TargetCommands::sendWithReply(int target, std::span<const std::uint8_t> bytes, std::span<std::uint8_t> reply,
                                   CommandTiming timing)
{
    return send(target, bytes, timing) && m_receiver.ReadVendor(kRequestReply, 0, 0, reply);
}

int TargetCommands::firstPresentTarget()
{
    std::array<std::uint8_t, kMaxTarget> present{};
    if (!m_receiver.ReadVendor(kRequestTargetList, 0, 0, present)) {
        return 0;
    }
    // The answer's first byte stands for target 1.
    for (std::size_t i = 0; i < present.size(); ++i) {
        if (present[i] != 0) {
            return static_cast<int>(i) + 1;
        }
    }
    return 0;
}

SubTargetPair SelectSubTargetPair(bool wireless, int recordKind, long firingPoint)
{
    const int parity = static_cast<int>(((firingPoint % 2) + 2) % 2);
    if (!wireless) {
        return parity == 0 ? SubTargetPair{12, 14, parity} : SubTargetPair{16, 18, parity};
    }
    const bool positionKind = recordKind == 2 || recordKind == 3 || (recordKind >= 5 && recordKind <= 8);
    if (!positionKind) {
        return {10, 16, parity};
    }
    static constexpr std::array<std::array<std::uint8_t, 2>, 5> kPairs{
        {{10, 16}, {12, 14}, {18, 22}, {20, 26}, {24, 28}}};
    const auto index = static_cast<std::size_t>((((firingPoint - 1) % 5) + 5) % 5);
    return {kPairs[index][0], kPairs[index][1], parity};
}

LampBytes SwitchLamp(LampBytes lamps, bool hitLamp, int lamp, bool on)
{
    if (lamp < 1 || lamp > 8) {
        return lamps;
    }
    std::uint8_t& byte = hitLamp ? lamps.hit : lamps.miss;
    const auto bit = static_cast<std::uint8_t>(1U << (lamp - 1));
    byte = on ? static_cast<std::uint8_t>(byte | bit) : static_cast<std::uint8_t>(byte & ~bit);
    return lamps;
}

std::array<std::uint8_t, 3> LampCommand(LampBytes lamps, int descriptorKind)
{
    if (descriptorKind == kZoneTargetKind) {
        return {command::kLamps, lamps.miss, lamps.hit};
    }
    return {command::kLamps, lamps.hit, lamps.miss};
}

} // namespace talvolink
