#pragma once

#include <cstdint>

namespace talvodesk {

class COptions;

/// How many seconds of trace the device keeps before and after a shot: the options' values, 5 both ways for the
/// biathlon event and 15 both ways for the rapid-fire and turning-target events (codes 7..11). Practice start and
/// the options command both take them from here, so a change of options during a practice follows the same rule.
struct TraceTimes {
    std::uint32_t beforeShot = 0;
    std::uint32_t afterShot = 0;
    friend bool operator==(const TraceTimes&, const TraceTimes&) = default;
};
TraceTimes DeviceTraceTimes(const COptions& options, std::int32_t eventCode);

} // namespace talvodesk
