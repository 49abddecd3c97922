#include "talvodesk/views/ProbabilityView.h"

#include "talvodesk/views/ChartWindow.h"

namespace talvodesk {

CProbabilityView::CProbabilityView(ChartServices services, QWidget* parent, DispersionSource dispersion)
    : CChartView(services, parent), m_graph(services, std::move(dispersion)),
      m_top(new CChartWindow(m_graph.probability(), this)), m_bottom(new CChartWindow(m_graph.result(), this))
{
    setCharts(m_top, m_bottom);
    addFractionModeBox(*m_top);
}

void CProbabilityView::OnUpdate(CView*, DocumentHint hint, std::intptr_t p1, std::intptr_t, std::intptr_t)
{
    switch (hint) {
    case HintReset:
    case HintShotParameters:
        RecalculateOrDefer();
        break;
    case HintConcludeAiming:
        if (aimingHasShots(p1)) {
            RecalculateOrDefer();
        }
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

void CProbabilityView::Recalculate(unsigned)
{
    m_graph.Recalculate(fractionMode());
    m_top->update();
    m_bottom->update();
}

} // namespace talvodesk
