#include "talvodesk/views/DistanceView.h"

#include "talvodesk/views/ChartWindow.h"

namespace talvodesk {

CDistanceView::CDistanceView(ChartServices services, QWidget* parent)
    : CChartView(services, parent), m_graph(services), m_top(new CChartWindow(m_graph.displacement(), this)),
      m_bottom(new CChartWindow(m_graph.distance(), this))
{
    setCharts(m_top, m_bottom);
    addControlIntervalBox(*m_top);
}

void CDistanceView::OnUpdate(CView*, DocumentHint hint, std::intptr_t, std::intptr_t, std::intptr_t)
{
    switch (hint) {
    case HintReset:
    case HintCurrentShot:
    case HintShotParameters:
        RecalculateOrDefer();
        break;
    case HintLanguage:
        m_graph.LoadTexts();
        LoadBoxTexts();
        m_top->update();
        m_bottom->update();
        break;
    default:
        break;
    }
}

void CDistanceView::Recalculate(unsigned)
{
    syncControlIntervalBox();
    m_graph.Recalculate();
    m_top->update();
    m_bottom->update();
}

} // namespace talvodesk
