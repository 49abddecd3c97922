#pragma once

#include "talvolink/usb/Resampler.h"
#include "talvolink/usb/WirelessDecoder.h"

#include <array>
#include <cstdint>
#include <span>

namespace talvolink {

/// One sample as the USB models' aiming rules take it: a position in sensor units with what the sensor measured.
struct UsbSample {
    bool valid = false;
    std::int16_t level = 0;
    std::int16_t piezo = 0;
    std::int16_t trigger = 0;
    int kind = -1; ///< The wireless kind; -1 for the optical sensor.
    double scale = kNoValue;
    double angle = kNoValue;
    double x = kNoValue;
    double y = kNoValue;
    double zoneOffset = 0.0;
    double phase = kNoValue;
    double lens = kNoValue;
    double shotReference = 0.0;
};

/// Turns wireless packets into samples: decodes them, places the spots' mid-point by the roll angle, raises the
/// spot kinds' rate with the resamplers and splits the position kinds' two positions, and hands the piezo level to
/// the sample the microphone heard the shot in.
/// Thread rule: one thread at a time.
class WirelessRecords {
public:
    static constexpr std::size_t kMaxSamples = Resampler::kMaxOutputs;

    struct Result {
        WirelessSample packet;
        /// The packet came from another kind or ident than the last one.
        bool newSource = false;
        std::array<UsbSample, kMaxSamples> samples{};
        std::size_t count = 0;
    };

    WirelessDecoder& decoder() { return m_decoder; }
    const WirelessDecoder& decoder() const { return m_decoder; }
    /// 2 in wireless mode.
    void setRatio(int ratio);
    /// Forgets the trigger values seen so far.
    void resetTrigger();
    /// Trigger values came in the packets.
    bool triggerSeen() const { return m_triggerSeen; }

    void build(std::span<const std::uint8_t> packet, Result& result);

private:
    void buildSpots(const WirelessSample& packet, const UsbSample& base, Result& result);
    void buildPositions(const WirelessSample& packet, const UsbSample& base, Result& result);

    WirelessDecoder m_decoder;
    Resampler m_x{1};
    Resampler m_y{1};
    bool m_triggerSeen = false;
    std::int16_t m_lastTrigger = 0;
};

} // namespace talvolink
