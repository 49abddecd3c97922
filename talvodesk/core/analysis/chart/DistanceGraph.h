#pragma once

#include "talvodesk/core/analysis/chart/ChartImpl.h"
#include "talvodesk/core/analysis/chart/GraphServices.h"

namespace talvodesk {

/// The distance view's two charts: for the current shot, the displacement of the aim from the centre of the area
/// aimed at along x and y (top) and its distance with the trigger pressure (bottom), over the window before the
/// shot and 0.3 s after it. Owner thread only.
class DistanceGraph {
public:
    enum SeriesId : std::int32_t {
        kAbsoluteDistance = 1,
        kDisplacementX = 2,
        kDisplacementY = 3,
        kTrigger = 4,
    };

    explicit DistanceGraph(ChartServices services);

    /// Series names, titles and fonts in the user-interface language.
    void LoadTexts();
    /// Without a valid document, a current shot or with a missed one the curves are emptied and the labels and
    /// bands kept.
    void Recalculate();

    CChartImpl& displacement() { return m_displacement; }
    CChartImpl& distance() { return m_distance; }
    ChartServices& services() { return m_services; }

private:
    ChartServices m_services;
    CChartImpl m_displacement;
    CChartImpl m_distance;
};

} // namespace talvodesk
