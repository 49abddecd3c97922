#include "talvodesk/views/DistanceView.h"

#include "talvodesk/views/ChartWindow.h"

namespace talvodesk {

CDistanceView::CDistanceView(ChartServices services, QWidget* parent)
    : CChartView(services, {kAllParts, 0, kAllParts, 0}, parent), m_graph(services),
      m_top(new CChartWindow(m_graph.displacement(), this)), m_bottom(new CChartWindow(m_graph.distance(), this))
{
    setCharts(m_top, m_bottom);
    addControlIntervalBox(*m_top);
}

void CDistanceView::LoadTexts()
{
    m_graph.LoadTexts();
}

void CDistanceView::Recalculate(unsigned)
{
    syncControlIntervalBox();
    m_graph.Recalculate();
    m_top->update();
    m_bottom->update();
}

} // namespace talvodesk
