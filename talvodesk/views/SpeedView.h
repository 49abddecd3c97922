#pragma once

#include "talvodesk/core/analysis/chart/SpeedGraph.h"
#include "talvodesk/views/ChartView.h"

namespace talvodesk {

/// The main pane's speed page: the speed of the practice's and the model's match shots (top) and of the current
/// shot (bottom), split in halves the user cannot move, with the "Control interval 2" box. Main thread only.
class CSpeedView final : public CChartView {
public:
    explicit CSpeedView(ChartServices services, QWidget* parent = nullptr);

    SpeedGraph& graph() { return m_graph; }
    CChartWindow* shotsWindow() const { return m_top; }

private:
    void Recalculate(unsigned parts) override;
    void LoadTexts() override;
    void placeSplitterBar(int height) override;

    SpeedGraph m_graph;
    CChartWindow* m_top;
    CChartWindow* m_bottom;
};

} // namespace talvodesk
