#include "talvodesk/views/SpeedView.h"

#include "talvodesk/core/document/TalvoData.h"
#include "talvodesk/views/ChartWindow.h"

#include <QSplitter>

namespace talvodesk {

CSpeedView::CSpeedView(ChartServices services, QWidget* parent)
    : CChartView(services,
                 {SpeedGraph::kAllParts, SpeedGraph::kModelPart, SpeedGraph::kCurrentShotPart,
                  SpeedGraph::kDocumentPart,
                  /*matchAimingsOnly=*/true},
                 parent),
      m_graph(services), m_top(new CChartWindow(m_graph.shots(), this)),
      m_bottom(new CChartWindow(m_graph.currentShot(), this))
{
    setCharts(m_top, m_bottom);
    splitter()->handle(1)->setEnabled(false);
    addControlIntervalBox(*m_top);
}

void CSpeedView::LoadTexts()
{
    m_graph.LoadTexts();
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
