#include "talvodesk/views/TimeShiftView.h"

#include "talvodesk/views/ChartWindow.h"

namespace talvodesk {

CTimeShiftView::CTimeShiftView(ChartServices services, QWidget* parent)
    : CChartView(services, parent), m_graph(services), m_window(new CChartWindow(m_graph.chart(), this))
{
    setCharts(m_window);
    addControlIntervalBox(*m_window);
    addFractionModeBox(*m_window, TimeShiftGraph::kAllParts);
}

void CTimeShiftView::OnUpdate(CView*, DocumentHint hint, std::intptr_t p1, std::intptr_t, std::intptr_t)
{
    switch (hint) {
    case HintReset:
    case HintShotParameters:
        RecalculateOrDefer(TimeShiftGraph::kAllParts);
        break;
    case HintModel:
        RecalculateOrDefer(TimeShiftGraph::kModelPart);
        break;
    case HintConcludeAiming:
        if (aimingHasShots(p1)) {
            RecalculateOrDefer(TimeShiftGraph::kDocumentPart);
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

void CTimeShiftView::Recalculate(unsigned parts)
{
    syncControlIntervalBox();
    m_graph.Recalculate(parts, fractionMode());
    m_window->update();
}

} // namespace talvodesk
