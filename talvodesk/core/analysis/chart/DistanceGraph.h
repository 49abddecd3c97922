#pragma once

#include "talvodesk/core/analysis/chart/ChartImpl.h"
#include "talvodesk/core/analysis/chart/GraphServices.h"

struct IEventParams;
struct IRange;
struct IShot;
struct ITargetParams;

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
    /// The distance and displacement curves over samples first..last; the largest distance up to the shot.
    float plotDistances(IRange& range, LONG first, LONG last);
    /// Labels the biathlon's two areas or the face's rings; the scale's top, from the largest distance.
    float labelRadii(IEventParams* event, ITargetParams* target, float largest);
    /// The trigger pressure scaled to `top`, shown only when the shot's trace holds some at the shot.
    void plotTrigger(IShot* shot, IRange* range, LONG first, LONG last, float top);

    ChartServices m_services;
    CChartImpl m_displacement;
    CChartImpl m_distance;
};

} // namespace talvodesk
