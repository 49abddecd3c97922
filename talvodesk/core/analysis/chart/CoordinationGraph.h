#pragma once

#include "talvodesk/core/analysis/chart/ChartImpl.h"
#include "talvodesk/core/analysis/chart/GraphServices.h"

namespace talvodesk {

/// The coordination view's chart: the coordination curve of the practice's match shots and of the model's, each
/// drawn grey before its last sign change before the shot. Owner thread only.
class CoordinationGraph {
public:
    enum Part : unsigned {
        kDocumentPart = 1,
        kModelPart = 2,
        kAxesPart = 4,
        kAllParts = 7,
    };
    enum SeriesId : std::int32_t {
        kDocumentFinal = 1,
        kDocumentBefore = 2,
        kDocumentAfter = 3,
        kModelFinal = 4,
        kModelBefore = 5,
        kModelAfter = 6,
    };

    explicit CoordinationGraph(ChartServices services);

    /// Titles, the legend's texts and the fonts in the user-interface language; the model's text is empty while
    /// the model has no match shots.
    void LoadTexts();
    /// Recomputes the parts given; a part left out keeps its curve and its share of the scale. False without a
    /// valid document (everything emptied).
    bool Recalculate(unsigned parts);

    CChartImpl& chart() { return m_chart; }
    ChartServices& services() { return m_services; }

private:
    void RecalculatePart(int part, float t);
    std::u16string Legend(int part) const;

    ChartServices m_services;
    CChartImpl m_chart;
    long m_counts[2] = {0, 0};
    float m_largest[2] = {0, 0};
};

} // namespace talvodesk
