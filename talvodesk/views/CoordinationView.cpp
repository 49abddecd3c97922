#include "talvodesk/views/CoordinationView.h"

#include "talvodesk/views/ChartWindow.h"

namespace talvodesk {

CCoordinationView::CCoordinationView(ChartServices services, QWidget* parent)
    : CChartView(services, parent), m_graph(services), m_window(new CChartWindow(m_graph.chart(), this))
{
    setCharts(m_window);
    addControlIntervalBox(*m_window);
}

void CCoordinationView::OnUpdate(CView*, DocumentHint hint, std::intptr_t p1, std::intptr_t, std::intptr_t)
{
    switch (hint) {
    case HintReset:
    case HintShotParameters:
        RecalculateOrDefer(CoordinationGraph::kAllParts);
        break;
    case HintModel:
        RecalculateOrDefer(CoordinationGraph::kModelPart);
        break;
    case HintConcludeAiming:
        if (aimingHasShots(p1)) {
            RecalculateOrDefer(CoordinationGraph::kDocumentPart);
        }
        break;
    case HintLanguage:
        m_graph.LoadTexts();
        LoadBoxTexts();
        m_window->update();
        break;
    default:
        break;
    }
}

void CCoordinationView::Recalculate(unsigned parts)
{
    syncControlIntervalBox();
    m_graph.Recalculate(parts);
    m_window->update();
}

} // namespace talvodesk
