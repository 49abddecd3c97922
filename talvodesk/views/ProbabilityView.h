#pragma once

#include "talvodesk/core/analysis/chart/ProbabilityGraph.h"
#include "talvodesk/views/ChartView.h"

namespace talvodesk {

/// The main pane's probability page: the chance of the actual total under simulated bullet dispersion (top) and
/// the change of the total (bottom), with the "Fraction mode" box on the top chart. Main thread only.
class CProbabilityView final : public CChartView {
public:
    explicit CProbabilityView(ChartServices services, QWidget* parent = nullptr, DispersionSource dispersion = {});

    ProbabilityGraph& graph() { return m_graph; }
    CChartWindow* probabilityWindow() const { return m_top; }
    CChartWindow* resultWindow() const { return m_bottom; }

private:
    void Recalculate(unsigned parts) override;
    void LoadTexts() override;

    ProbabilityGraph m_graph;
    CChartWindow* m_top;
    CChartWindow* m_bottom;
};

} // namespace talvodesk
