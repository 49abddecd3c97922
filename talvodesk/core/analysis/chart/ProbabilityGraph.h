#pragma once

#include "talvodesk/core/analysis/chart/ChartImpl.h"
#include "talvodesk/core/analysis/chart/GraphServices.h"

#include <functional>
#include <span>

struct IEventParams;

namespace talvodesk {

class ChartProgress;

/// A match shot's breach point to re-score.
struct ScoredBreach {
    float x = 0;
    float y = 0;
    long subTarget = 0;
};

/// The next simulated dispersion offset (dx, dy) in millimetres for a dispersion.
using DispersionSource = std::function<void(float& dx, float& dy, float dispersion)>;

/// The probability view's two charts: the match shots re-scored with simulated bullet dispersion of 0 to 20 mm,
/// the chance of scoring at least (or more than) the actual total on top, the mean, lowest and highest change of
/// the total below. Owner thread only.
class ProbabilityGraph {
public:
    enum SeriesId : std::int32_t {
        kAtLeast = 1,
        kAbove = 2,
        kMeanChange = 3,
        kLowestChange = 4,
        kHighestChange = 5,
    };

    /// An empty `dispersion` draws from the program's one generator, whose state lasts across computations.
    ProbabilityGraph(ChartServices services, DispersionSource dispersion = {});

    void LoadTexts();
    /// Empty charts for an invalid document and for the biathlon event. With `fractionMode` clear every score
    /// counts its whole points only.
    void Recalculate(bool fractionMode);

    CChartImpl& probability() { return m_probability; }
    CChartImpl& result() { return m_result; }
    ChartServices& services() { return m_services; }

private:
    ChartServices m_services;
    DispersionSource m_dispersion;
    CChartImpl m_probability;
    CChartImpl m_result;
};

/// Scores the breaches at every dispersion from 0 to 20 mm in steps of 0.5 (30 trials each, one at 0) into the
/// two charts' series; the actual total is the one at dispersion 0.
void ScoreDispersions(IEventParams& event, std::span<const ScoredBreach> breaches, bool fractionMode,
                      const DispersionSource& dispersion, CChartImpl& probability, CChartImpl& result,
                      ChartProgress* progress);

} // namespace talvodesk
