#pragma once

#include "talvodesk/core/analysis/chart/DistanceGraph.h"
#include "talvodesk/views/ChartView.h"

namespace talvodesk {

/// The main pane's distance page: the current shot's displacement (top) and distance with the trigger pressure
/// (bottom), with the "Control interval 2" box on the top chart. Main thread only.
class CDistanceView final : public CChartView {
public:
    explicit CDistanceView(ChartServices services, QWidget* parent = nullptr);

    DistanceGraph& graph() { return m_graph; }

private:
    void Recalculate(unsigned parts) override;
    void LoadTexts() override;

    DistanceGraph m_graph;
    CChartWindow* m_top;
    CChartWindow* m_bottom;
};

} // namespace talvodesk
