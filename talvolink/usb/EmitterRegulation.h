#pragma once

#include "platform/kernel/Mutex.h"

#include <array>
#include <optional>
#include <span>

namespace talvolink {

using Currents = std::array<int, 2>;

/// How one kind of target's emitter currents follow the measured spot intensities.
struct RegulationRule {
    int low; ///< Limits of a current.
    int high;
    double minIntensity;    ///< Every quadrant at least this (or the sensor saturated) before anything starts.
    double startDifference; ///< A spot sum this far from the target level starts an adjustment.
    int countdown;          ///< Samples between adjustments.
    bool followsSaturation; ///< A saturated sensor halves the currents.
};

/// The rules of the optical sensor with a target controller, a Dovecote target or a wireless target, and of the
/// wireless sensors on a Dovecote target or on a wireless target.
inline constexpr RegulationRule kOpticalControllerRule{4096, 63488, 50.0, 100.0, 25, false};
inline constexpr RegulationRule kOpticalDovecoteRule{2000, 49152, 50.0, 100.0, 25, false};
inline constexpr RegulationRule kOpticalWirelessRule{16, 192, 50.0, 100.0, 25, false};
inline constexpr RegulationRule kWirelessDovecoteRule{2000, 55000, 50.0, 25.0, 12, true};
inline constexpr RegulationRule kWirelessTargetRule{32, 192, 25.0, 100.0, 12, true};

/// New currents from the two spot sums: a spot more than 100 from `target` gets current x target / sum (the
/// maximum for a sum of 1 or less); a saturated sensor halves the larger current for both.
Currents RegulateSpots(const RegulationRule& rule, Currents currents, std::array<double, 2> sums, double target,
                       bool saturated);

/// New currents from the level bytes of the position kinds against 35: `eightBit` for a wireless target
/// (20..215), else a Dovecote target (2000..55000).
Currents RegulateLevels(Currents currents, std::array<int, 2> levels, bool saturated, bool eightBit);

/// The currents a model keeps and the countdown of its regulation, shared by a reader thread that measures and
/// the control's thread that restarts the regulation.
/// Thread rule: any thread.
class EmitterRegulator {
public:
    Currents currents() const;
    void setCurrents(Currents currents);
    /// Idle until the next sample that calls for an adjustment.
    void restart();
    int countdown() const;

    /// One sample in calibration mode: the currents to send now, none when nothing is to change. A sample that
    /// starts or continues the regulation counts the countdown down; the adjustment comes at 0 and restarts it.
    std::optional<Currents> onSpots(const RegulationRule& rule, std::span<const double> quadrants,
                                    std::array<double, 2> sums, double target, bool saturated);

private:
    mutable platform::kernel::Mutex m_mutex;
    Currents m_currents TALVO_GUARDED_BY(m_mutex){0x8000, 0x8000};
    int m_countdown TALVO_GUARDED_BY(m_mutex) = -1;
};

} // namespace talvolink
