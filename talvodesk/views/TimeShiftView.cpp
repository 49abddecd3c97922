#include "talvodesk/views/TimeShiftView.h"

#include "talvodesk/views/ChartWindow.h"

namespace talvodesk {

CTimeShiftView::CTimeShiftView(ChartServices services, QWidget* parent)
    : CChartView(services, {TimeShiftGraph::kAllParts, TimeShiftGraph::kModelPart, 0, TimeShiftGraph::kDocumentPart},
                 parent),
      m_graph(services), m_window(new CChartWindow(m_graph.chart(), this))
{
    setCharts(m_window);
    addControlIntervalBox(*m_window);
    addFractionModeBox(*m_window, TimeShiftGraph::kAllParts);
}

void CTimeShiftView::LoadTexts()
{
    m_graph.LoadTexts();
}

void CTimeShiftView::Recalculate(unsigned parts)
{
    syncControlIntervalBox();
    m_graph.Recalculate(parts, fractionMode());
    m_window->update();
}

} // namespace talvodesk
