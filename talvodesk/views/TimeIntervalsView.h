#pragma once

#include "talvodesk/core/analysis/ShotDetails.h"
#include "talvodesk/core/analysis/chart/TimeIntervalsGraph.h"
#include "talvodesk/views/ChartView.h"

namespace talvodesk {

class CShotDetailsPane;

/// The main pane's time intervals page: the chart of the match shots over the practice's time, where a click on a
/// bar makes its shot current, above the "Shot details" pane, which keeps its height as the view is resized and
/// is hidden for the biathlon event. Main thread only.
class CTimeIntervalsView final : public CChartView {
public:
    explicit CTimeIntervalsView(ChartServices services, QWidget* parent = nullptr);

    void OnUpdate(CView* sender, DocumentHint hint, const HintPayload& payload) override;

    TimeIntervalsGraph& graph() { return m_graph; }
    CChartWindow* chartWindow() const { return m_window; }
    CShotDetailsPane* detailsPane() const { return m_pane; }

private:
    void Recalculate(unsigned parts) override;
    void LoadTexts() override;
    void placeSplitterBar(int height) override;

    TimeIntervalsGraph m_graph;
    ShotDetails m_details;
    CChartWindow* m_window;
    CShotDetailsPane* m_pane;
    /// Measured once, at the first layout with a height.
    int m_pageHeight = 0;
};

} // namespace talvodesk
