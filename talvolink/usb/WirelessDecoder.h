#pragma once

#include "talvolink/ChebyshevFilter.h"

#include <array>
#include <cstdint>
#include <limits>
#include <span>

namespace talvolink {

inline constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();

/// What one wireless packet says. Every double is NaN until the packet gives it.
struct WirelessSample {
    enum class State : std::uint8_t { Nothing = 0, Sample = 1, Status = 2, StatusOn = 3 };

    State state = State::Nothing;
    bool valid = false;
    bool saturated = false;
    std::uint16_t kind = 0;
    std::uint16_t ident = 0;
    std::uint16_t counter = 0;
    /// Spot 0's four quadrants, then spot 1's.
    std::array<double, 8> quadrants{kNoValue, kNoValue, kNoValue, kNoValue, kNoValue, kNoValue, kNoValue, kNoValue};
    std::array<double, 2> spotDx{kNoValue, kNoValue};
    std::array<double, 2> spotDy{kNoValue, kNoValue};
    std::array<double, 2> spotSum{kNoValue, kNoValue};
    double midX = kNoValue;
    double midY = kNoValue;
    double distance = kNoValue;
    double rawScale = kNoValue;
    double scale = kNoValue;
    double rawAngle = kNoValue;
    double angle = kNoValue;
    /// Kinds 2, 3 and 5 to 8: the two positions (u, v) of the packet, in sensor units.
    std::array<std::array<double, 2>, 2> positions{{{kNoValue, kNoValue}, {kNoValue, kNoValue}}};
    /// The microphone phase as a fraction of a sample period.
    double phase = kNoValue;
    /// The piezo status value; 0 when the packet has none.
    std::uint8_t piezoStatus = 0;
    /// The 12-bit extra value (the trigger), -1 when none.
    int extra = -1;
    /// Kind 8's auxiliary byte, -1 when none.
    int auxiliary = -1;
    std::array<std::uint8_t, 11> statusBytes{};
    std::uint8_t statusByte = 0;
};

/// Kinds whose packets carry two positions and the side channels (level bytes, angle and scale codes).
bool IsPositionKind(int kind);

/// The battery voltage of a battery byte for a kind; NaN for kinds above 8.
double BatteryVoltage(std::uint8_t battery, int kind);
/// 0..100, rounded; -1 without a voltage.
int BatteryPercent(double voltage, int kind);

/// Decodes the wireless targets' packets into samples, keeping what arrives over several packets (the lens factor,
/// the side channels, the battery) and smoothing the scale and the roll angle.
/// Thread rule: one thread at a time (the control's thread of the model that owns it).
class WirelessDecoder {
public:
    /// The lens factor until a packet sends one.
    static constexpr double kDefaultLensFactor = 503.0 / 12.0;

    WirelessDecoder();

    /// Forgets everything learnt from earlier packets; the spacing stays.
    void reset();
    /// The nominal spacing of the two spots on the target (50 or 190).
    void setSpacing(double spacing) { m_spacing = spacing; }
    double spacing() const { return m_spacing; }

    /// One packet as received. A packet that is unusable (wrong length field, an unknown kind, too short for its
    /// kind) gives a sample in state Nothing.
    WirelessSample decode(std::span<const std::uint8_t> packet);

    double lensFactor() const { return m_lensFactor; }
    bool lensKnown() const { return m_lensMask == 0xF; }
    double batteryVoltage() const { return m_batteryVoltage; }
    int batteryPercent() const { return m_batteryPercent; }
    /// The level bytes A and B of the side channel (kinds 2, 3 and 5 to 8).
    std::uint8_t levelA() const { return m_levelA; }
    std::uint8_t levelB() const { return m_levelB; }
    /// The kind and ident of the last packet, -1 before the first.
    int lastKind() const { return m_lastKind; }
    int lastIdent() const { return m_lastIdent; }

private:
    void restartFilters();
    void setBattery(std::uint8_t battery, int kind);
    void decodeStatus(std::span<const std::uint8_t> p, WirelessSample& sample);
    void decodeSpots(std::span<const std::uint8_t> p, WirelessSample& sample);
    void decodePositions(std::span<const std::uint8_t> p, WirelessSample& sample);
    void smooth(WirelessSample& sample, double scale, double angle);

    double m_spacing = 0.0;
    int m_lastKind = -1;
    int m_lastIdent = -1;
    int m_lastCounter = -1;
    std::uint32_t m_lens = 0;
    unsigned m_lensMask = 0;
    double m_lensFactor = kDefaultLensFactor;
    std::uint8_t m_levelA = 0;
    std::uint8_t m_levelB = 0;
    std::uint16_t m_angleCode = 0;
    bool m_angleLow = false;
    std::uint16_t m_scaleCode = 0;
    bool m_scaleLow = false;
    double m_sideAngle = kNoValue;
    double m_sideScale = kNoValue;
    double m_batteryVoltage = kNoValue;
    int m_batteryPercent = -1;
    ChebyshevFilter m_scaleFilter;
    ChebyshevFilter m_angleFilter;
};

} // namespace talvolink
