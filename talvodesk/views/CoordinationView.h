#pragma once

#include "talvodesk/core/analysis/chart/CoordinationGraph.h"
#include "talvodesk/views/ChartView.h"

namespace talvodesk {

/// The main pane's coordination page: one chart of the practice's and the model's coordination curves, with the
/// "Control interval 2" box. Main thread only.
class CCoordinationView final : public CChartView {
public:
    explicit CCoordinationView(ChartServices services, QWidget* parent = nullptr);

    CoordinationGraph& graph() { return m_graph; }
    CChartWindow* chartWindow() const { return m_window; }

private:
    void Recalculate(unsigned parts) override;
    void LoadTexts() override;

    CoordinationGraph m_graph;
    CChartWindow* m_window;
};

} // namespace talvodesk
