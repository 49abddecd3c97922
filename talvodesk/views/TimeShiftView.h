#pragma once

#include "talvodesk/core/analysis/chart/TimeShiftGraph.h"
#include "talvodesk/views/ChartView.h"

namespace talvodesk {

/// The main pane's time shift page: one chart of the totals the practice's and the model's match shots would have
/// scored released earlier or later, with the "Fraction mode" and "Control interval 2" boxes. Main thread only.
class CTimeShiftView final : public CChartView {
public:
    explicit CTimeShiftView(ChartServices services, QWidget* parent = nullptr);

    TimeShiftGraph& graph() { return m_graph; }
    CChartWindow* chartWindow() const { return m_window; }

private:
    void Recalculate(unsigned parts) override;
    void LoadTexts() override;

    TimeShiftGraph m_graph;
    CChartWindow* m_window;
};

} // namespace talvodesk
