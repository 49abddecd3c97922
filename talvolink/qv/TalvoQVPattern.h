#pragma once

#include "talvolink/qv/TalvoQVSettings.h"

#include <array>
#include <cstdint>
#include <limits>
#include <vector>

namespace talvolink {

/// The tracking patterns the sensor looks for: rings of points around the target's black at three scales, and the
/// scale, window and trigger distance that fit the target's size on the sensor.
/// Thread rule: owner thread.
struct TalvoQVPattern {
    static constexpr double kNotGiven = std::numeric_limits<double>::quiet_NaN();
    static constexpr int kMaxRadius = 47;
    static constexpr int kMinWindow = 40;
    static constexpr int kWindow = 80;
    static constexpr double kPixelPitch = 0.006; ///< Millimetres.

    // Inputs.
    bool choiceA = true;
    bool choiceB = false;           ///< Only together with choiceA.
    double focal = kNotGiven;       ///< The lens, millimetres.
    double distance = kNotGiven;    ///< Metres.
    double diameter = kNotGiven;    ///< Millimetres.
    double innerFactor = kNotGiven; ///< 0.55 when not given.
    double outerFactor = kNotGiven; ///< 1.9 when not given.
    double triggerTime = kNotGiven; ///< Metres of target travel the trigger window spans.

    struct Scale {
        bool succeeded = false;
        std::vector<QVPatternEntry> list;
        int size = 0;
        int radius = 0;
    };

    // Outputs.
    double millimetresPerPixel = kNotGiven;
    std::array<Scale, 3> scales;
    std::uint8_t scale = 0;
    std::uint8_t secondScale = 0;
    int window = 0;
    std::uint16_t parameter6 = 0;
    bool changeFlag = false;

    /// False, with every output cleared, when the inputs give no usable pattern.
    bool compute();
};

} // namespace talvolink
