#pragma once

#include "platform/com/Types.h"

#include <span>
#include <vector>

struct IAimingCollection;
struct IShotCollection;

namespace talvodesk {

/// A shot as the series statistics see it.
struct ShotTime {
    DATE time = 0;
    /// Hidden (for the shot rhythm) or missed (for the intervals), as VARIANT_TRUE marks them.
    bool excluded = false;
};

/// The regularity of the shot rhythm within each aiming, 100 being perfectly even, averaged over the aimings with
/// at least two counted shots and rounded. Excluded (hidden) shots count only with `includeExcluded`. An aiming
/// whose shots span no time is left out. 0 when no aiming counts.
int ComputeSeriesShotIntervals(std::span<const std::vector<ShotTime>> aimings, bool includeExcluded);
/// The same over the document model's aimings; an aiming or shot that cannot be read is left out.
int ComputeSeriesShotIntervals(IAimingCollection& aimings, bool includeHidden);

/// The regularity of the intervals between the shots that were not missed (excluded), 0..100 truncated; the raw
/// deviation sum when the first and last time are equal; 0 for fewer than two shots of either kind.
int ComputeCollectionValueStatistics(std::span<const ShotTime> shots);
int ComputeCollectionValueStatistics(IShotCollection& shots);

/// The direction of (x, y) in whole degrees 0..359, with 0 at positive y; y = 0 counts as y = 1, and the half
/// degree offset and truncation of the designed arithmetic are kept.
int BearingDegrees(double x, double y);

struct PlanePoint {
    float x = 0;
    float y = 0;
};

/// The largest dx * dx + dy * dy, in float, over all pairs of `points`; 0 for fewer than two. Exactly what a walk
/// over every pair gives, in time near linear in the points: the farthest pair lies on their convex hull, and only
/// points within a hair of it (where float rounding could still tie) are paired.
float LargestSquaredDistance(std::span<const PlanePoint> points);

} // namespace talvodesk
