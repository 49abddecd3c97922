#pragma once

#include "talvodesk/core/analysis/chart/ChartImpl.h"
#include "talvodesk/core/analysis/chart/GraphServices.h"

struct IRange;

namespace talvodesk {

/// The top of a speed axis: the highest speed at or before the shot raised to a multiple of 20 mm/s, 20 for none.
float SpeedTop(float highest);
/// The speed of the aim at every sample of `range` in mm/s, over 40 ms (one sample below 25 samples a second): to
/// the sample that far ahead near the start of the range, to the one that far behind elsewhere. A sample whose
/// partner lies outside the range is left out. Returns the highest speed at or before the shot.
float AddTraceSpeed(IRange& range, CChartImpl& chart, std::int32_t id);

/// The speed view's two charts: the speed curve of the practice's and the model's match shots on top, the current
/// shot's own speed below, over the window before the shot and 0.3 s after it. Owner thread only.
class SpeedGraph {
public:
    enum Part : unsigned {
        kDocumentPart = 1,
        kModelPart = 2,
        kCurrentShotPart = 4,
        /// Repaints both charts.
        kRepaintPart = 8,
        kAllParts = 15,
    };
    enum SeriesId : std::int32_t {
        kDocument = 1,
        kModel = 2,
        kCurrentShot = 1,
    };

    explicit SpeedGraph(ChartServices services);

    void LoadTexts();
    /// Recomputes the parts given; a part left out keeps its curve and its share of the top chart's axis. False
    /// without a valid document (curves, labels, bands emptied).
    bool Recalculate(unsigned parts);

    CChartImpl& shots() { return m_shots; }
    CChartImpl& currentShot() { return m_current; }
    long count(int part) const { return m_counts[part]; }

private:
    void RecalculatePart(int part, float window);
    void RecalculateCurrentShot(float window);
    std::u16string Legend(int part) const;

    ChartServices m_services;
    CChartImpl m_shots;
    CChartImpl m_current;
    long m_counts[2] = {0, 0};
    float m_highest[3] = {0, 0, 0};
};

} // namespace talvodesk
