#pragma once

#include "talvolink/DeviceRecord.h"
#include "talvolink/serial/BiathlonPacket.h"

#include <array>

namespace talvolink {

/// Finds which target of the Biathlon plate the weapon points at and where, from the five light spots: the spot
/// nearest the sensor's axis is the target aimed at, its neighbours give the scale and the plate's rotation.
/// Keeps the previous spots (smoothing) and the last computed geometry (held while the shot jolts the sensor).
/// Thread rule: the model's reader thread only.
class BiathlonGeometry {
public:
    /// Fills level, x and y (tenths of a millimetre, y upwards negative), scale, angle and the aim-valid flag of
    /// `record` from a packet whose check holds. `piezoThreshold` is P: above it the last geometry is kept.
    void Compute(const BiathlonPacket& packet, int piezoThreshold, DeviceRecord& record);
    /// Forgets the last geometry and the previous spots (the model's state reset).
    void forget();

private:
    struct Geometry {
        double x = 0.0;
        double y = 0.0;
        double angle = 0.0;
        double scale = -1.0; ///< Below 0: none computed yet.
        int level = 0;
    };

    bool m_smoothing = true;
    bool m_havePrevious = false;
    std::array<double, kBiathlonTargets> m_previousA{};
    std::array<double, kBiathlonTargets> m_previousB{};
    Geometry m_last;
};

} // namespace talvolink
