#pragma once

#include "platform/com/Types.h"

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace talvodesk {

class CTalvoData;

/// One shot as the practice summary reads it.
struct SummaryShot {
    bool missed = false;
    DATE time = 0;
    float result = 0;
    float breachX = 0;
    float breachY = 0;
    long subTarget = 1;
    /// The trace over the control interval before the shot.
    float averageX = 0;
    float averageY = 0;
    float length = 0;
    float lengthX = 0;
    float lengthY = 0;
    /// Whole percent of that interval inside the ten; read only outside the biathlon layout.
    int steadiness = 0;
};

/// What one side (the practice or its model) gives the summary besides its shots.
struct SummarySideInput {
    /// The shot times strictly increase and begin after 1970.
    bool timesValid = false;
    /// Enter time of the first shot's aiming.
    DATE startDate = 0;
    /// The per-aiming rhythm figure the biathlon layout shows.
    int seriesIntervalStability = 0;
};

/// The summary figures of one side; all zero when it has no shots.
struct SideSummary {
    bool timesValid = false;
    std::int32_t shotCount = 0;
    std::int32_t hitCount = 0;
    std::int32_t standingCount = 0;
    std::int32_t proneCount = 0;
    float centreX = 0;
    float centreY = 0;
    DATE startDate = 0;
    std::int32_t integerResult = 0;
    float fractionalResult = 0;
    float averageResult = 0;
    float coincidedResult = 0;
    /// Days.
    double totalTime = 0;
    double averageTime = 0;
    double shortestInterval = 0;
    double longestInterval = 0;
    std::int32_t intervalStability = 0;
    float groupSize = 0;
    float aimingStability = 0;
    float accuracy = 0;
    std::int32_t steadiness = 0;
    float traceLength = 0;
    float traceLengthX = 0;
    float traceLengthY = 0;
    float groupEllipse = 0;
    float traceEllipse = 0;
};

/// The score of a breach moved by the group centre: (x, y, sub-target) to points.
using BreachScorer = std::function<float(float x, float y, long subTarget)>;

/// How a side is summed up.
struct SummaryRules {
    bool biathlon = false;
    /// The coincided result is left out when the group is centred anyway, or without a scorer.
    bool centreGroup = false;
    BreachScorer score;
};

/// The figures of one side from its shots in collection order (missed ones included). A single hit gets the
/// accuracy of its own aiming point; its group size and ellipse stay 0 as no pair exists. Every pair of hits is
/// compared, so the cost grows with the square of the hits.
SideSummary ComputeSideSummary(std::span<const SummaryShot> shots, const SummarySideInput& side,
                               const SummaryRules& rules);

/// The summary of the practice page: the document's match shots beside the model's shots.
struct InfoSummary {
    bool biathlon = false;
    float controlInterval = 0;
    std::u16string eventDisplayName;
    std::u16string eventShortName;
    std::u16string modelShooterName;
    std::array<std::u16string, 2> positionText;
    std::array<SideSummary, 2> sides;
};

/// Recomputes the asked sides of `summary` from the document and its model (side 0 the document's match shots,
/// side 1 the model's shots without hidden ones). Without a valid document or event only the asked sides are
/// zeroed. A side whose shots cannot be read stays zero.
void ComputeSummary(CTalvoData& data, InfoSummary& summary, bool documentPart, bool modelPart);

} // namespace talvodesk
