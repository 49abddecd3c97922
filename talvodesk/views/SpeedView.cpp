#include "talvodesk/views/SpeedView.h"

#include "talvodesk/core/TalvoData.h"
#include "talvodesk/views/ChartWindow.h"

#include "interfaces/talvodata/IAiming.h"
#include "interfaces/talvodata/IAimingAttr.h"
#include "platform/com/ComPtr.h"

#include <QSplitter>

namespace talvodesk {

namespace {

/// A concluded aiming that adds to the match shots' curve.
bool isMatchAiming(std::intptr_t p1)
{
    auto* aiming = reinterpret_cast<IAiming*>(p1);
    platform::com::ComPtr<IAimingAttr> attributes;
    VARIANT_BOOL match = VARIANT_FALSE;
    return aiming && SUCCEEDED(aiming->get_Attr(attributes.put())) && attributes &&
           SUCCEEDED(attributes->get_Match(&match)) && match == VARIANT_TRUE;
}

} // namespace

CSpeedView::CSpeedView(ChartServices services, QWidget* parent)
    : CChartView(services, parent), m_graph(services), m_top(new CChartWindow(m_graph.shots(), this)),
      m_bottom(new CChartWindow(m_graph.currentShot(), this))
{
    setCharts(m_top, m_bottom);
    splitter()->handle(1)->setEnabled(false);
    addControlIntervalBox(*m_top);
}

void CSpeedView::OnUpdate(CView*, DocumentHint hint, std::intptr_t p1, std::intptr_t, std::intptr_t)
{
    switch (hint) {
    case HintReset:
    case HintShotParameters:
        RecalculateOrDefer(SpeedGraph::kAllParts);
        break;
    case HintModel:
        RecalculateOrDefer(SpeedGraph::kModelPart);
        break;
    case HintCurrentShot:
        RecalculateOrDefer(SpeedGraph::kCurrentShotPart);
        break;
    case HintConcludeAiming:
        if (aimingHasShots(p1) && isMatchAiming(p1)) {
            RecalculateOrDefer(SpeedGraph::kDocumentPart);
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

void CSpeedView::Recalculate(unsigned parts)
{
    syncControlIntervalBox();
    m_graph.Recalculate(parts);
    if ((parts & (SpeedGraph::kRepaintPart | SpeedGraph::kDocumentPart | SpeedGraph::kModelPart)) != 0) {
        m_top->update();
    }
    if ((parts & (SpeedGraph::kRepaintPart | SpeedGraph::kCurrentShotPart)) != 0) {
        m_bottom->update();
    }
}

void CSpeedView::placeSplitterBar(int height)
{
    const int bar = splitter()->handleWidth();
    const int top = (height - bar) / 2;
    splitter()->setSizes({top, std::max(0, height - bar - top)});
}

} // namespace talvodesk
