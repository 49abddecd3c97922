#include "talvodesk/core/practice/TraceTimes.h"

#include "talvodesk/core/document/EventCodes.h"
#include "talvodesk/core/options/Options.h"

namespace talvodesk {

namespace {

constexpr std::uint32_t kBiathlonTraceSeconds = 5;
// The rapid-fire and turning-target events keep whole series around a shot.
constexpr std::uint32_t kSeriesTraceSeconds = 15;
constexpr std::int32_t kFirstSeriesEventCode = 7;
constexpr std::int32_t kLastSeriesEventCode = 11;

} // namespace

TraceTimes DeviceTraceTimes(const COptions& options, std::int32_t eventCode)
{
    if (eventCode == kBiathlonEventCode) {
        return {kBiathlonTraceSeconds, kBiathlonTraceSeconds};
    }
    if (eventCode >= kFirstSeriesEventCode && eventCode <= kLastSeriesEventCode) {
        return {kSeriesTraceSeconds, kSeriesTraceSeconds};
    }
    return {options.saveSecBeforeShot, options.saveSecAfterShot};
}

} // namespace talvodesk
