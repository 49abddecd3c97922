#include "talvodesk/views/CoordinationView.h"

#include "talvodesk/views/ChartWindow.h"

namespace talvodesk {

CCoordinationView::CCoordinationView(ChartServices services, QWidget* parent)
    : CChartView(services,
                 {CoordinationGraph::kAllParts, CoordinationGraph::kModelPart, 0, CoordinationGraph::kDocumentPart},
                 parent),
      m_graph(services), m_window(new CChartWindow(m_graph.chart(), this))
{
    setCharts(m_window);
    addControlIntervalBox(*m_window);
}

void CCoordinationView::LoadTexts()
{
    m_graph.LoadTexts();
}

void CCoordinationView::Recalculate(unsigned parts)
{
    syncControlIntervalBox();
    m_graph.Recalculate(parts);
    m_window->update();
}

} // namespace talvodesk
