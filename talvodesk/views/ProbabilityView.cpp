#include "talvodesk/views/ProbabilityView.h"

#include "talvodesk/views/ChartWindow.h"

namespace talvodesk {

CProbabilityView::CProbabilityView(ChartServices services, QWidget* parent, DispersionSource dispersion)
    : CChartView(services, {kAllParts, 0, 0, kAllParts}, parent), m_graph(services, std::move(dispersion)),
      m_top(new CChartWindow(m_graph.probability(), this)), m_bottom(new CChartWindow(m_graph.result(), this))
{
    setCharts(m_top, m_bottom);
    addFractionModeBox(*m_top);
}

void CProbabilityView::LoadTexts()
{
    m_graph.LoadTexts();
}

void CProbabilityView::Recalculate(unsigned)
{
    m_graph.Recalculate(fractionMode());
    m_top->update();
    m_bottom->update();
}

} // namespace talvodesk
