#include "talvodesk/core/analysis/ShotStatistics.h"

#include "interfaces/talvodata/IAiming.h"
#include "interfaces/talvodata/IAimingCollection.h"
#include "interfaces/talvodata/IShot.h"
#include "interfaces/talvodata/IShotCollection.h"
#include "platform/com/ComPtr.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace talvodesk {

using platform::com::ComPtr;

namespace {

/// The time and flag of a shot; nothing when it cannot be read.
std::optional<ShotTime> shotTime(IShot& shot, HRESULT (IShot::*flag)(VARIANT_BOOL*))
{
    ShotTime time;
    VARIANT_BOOL excluded = VARIANT_FALSE;
    if (FAILED(shot.get_ShotTime(&time.time)) || FAILED((shot.*flag)(&excluded))) {
        return std::nullopt;
    }
    time.excluded = excluded == VARIANT_TRUE;
    return time;
}

} // namespace

int ComputeSeriesShotIntervals(std::span<const std::vector<ShotTime>> aimings, bool includeExcluded)
{
    double scores = 0;
    int counted = 0;
    for (const std::vector<ShotTime>& shots : aimings) {
        int n = 0;
        DATE first = 0;
        DATE last = 0;
        for (const ShotTime& shot : shots) {
            if (shot.excluded && !includeExcluded) {
                continue;
            }
            ++n;
            if (first == 0) {
                first = shot.time;
            }
            last = n == 1 ? shot.time : std::max(last, shot.time);
        }
        const double span = last - first;
        // Shots that span no time have no rhythm, and would divide by zero.
        if (n < 2 || !(span > 0)) {
            continue;
        }
        const double mean = span / (n - 1);
        double sum = 0;
        DATE previous = 0;
        for (const ShotTime& shot : shots) {
            if (shot.excluded && !includeExcluded) {
                continue;
            }
            if (previous != 0) {
                sum += std::fabs(shot.time - previous - mean);
            }
            previous = shot.time;
        }
        scores += 100 - sum * 100 / span;
        ++counted;
    }
    return counted == 0 ? 0 : static_cast<int>(std::lround(scores / counted));
}

int ComputeSeriesShotIntervals(IAimingCollection& aimings, bool includeHidden)
{
    LONG count = 0;
    (void)aimings.get_Count(&count); // An unreadable collection counts as empty.
    std::vector<std::vector<ShotTime>> times;
    for (LONG index = 1; index <= count; ++index) {
        ComPtr<IAiming> aiming;
        LONG shots = 0;
        if (FAILED(aimings.get_Item(index, aiming.put())) || !aiming || FAILED(aiming->get_ShotCount(&shots))) {
            continue;
        }
        std::vector<ShotTime>& aimingTimes = times.emplace_back();
        for (LONG number = 1; number <= shots; ++number) {
            ComPtr<IShot> shot;
            if (SUCCEEDED(aiming->get_Shot(number, shot.put())) && shot) {
                if (const auto time = shotTime(*shot, &IShot::get_Hidden)) {
                    aimingTimes.push_back(*time);
                }
            }
        }
    }
    return ComputeSeriesShotIntervals(times, includeHidden);
}

int ComputeCollectionValueStatistics(std::span<const ShotTime> shots)
{
    if (shots.size() < 2) {
        return 0;
    }
    std::vector<DATE> times;
    for (const ShotTime& shot : shots) {
        if (!shot.excluded) {
            times.push_back(shot.time);
        }
    }
    if (times.size() < 2) {
        return 0;
    }
    const double mean = (times.back() - times.front()) / static_cast<double>(times.size() - 1);
    double sum = 0;
    for (std::size_t i = 1; i < times.size(); ++i) {
        sum += std::fabs(mean - (times[i] - times[i - 1]));
    }
    const double first = times.front();
    const double last = times.back();
    const double result = first != last ? 100 - sum / (last - first) * 100 : sum;
    return result < 0 ? 0 : static_cast<int>(std::min(result, 2147483647.0));
}

int ComputeCollectionValueStatistics(IShotCollection& shots)
{
    LONG count = 0;
    (void)shots.get_Count(&count); // An unreadable collection counts as empty.
    std::vector<ShotTime> times;
    for (LONG index = 1; index <= count; ++index) {
        ComPtr<IShot> shot;
        if (SUCCEEDED(shots.get_Item(index, shot.put())) && shot) {
            if (const auto time = shotTime(*shot, &IShot::get_Missed)) {
                times.push_back(*time);
            }
        }
    }
    return ComputeCollectionValueStatistics(times);
}

int BearingDegrees(double x, double y)
{
    const double v = y == 0 ? 1.0 : y;
    const double theta = std::atan2(x, std::fabs(v));
    if (std::isnan(theta)) {
        return 0;
    }
    int degrees = static_cast<int>(std::trunc((theta - 0.0087266462) / 0.0174532924));
    if (y < 0) {
        degrees = 180 - degrees;
    }
    if (degrees < 0) {
        degrees += 360;
    }
    return degrees;
}

} // namespace talvodesk
