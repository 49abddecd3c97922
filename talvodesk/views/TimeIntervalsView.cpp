#include "talvodesk/views/TimeIntervalsView.h"

#include "talvodesk/core/document/EventCodes.h"
#include "talvodesk/core/document/TalvoData.h"
#include "talvodesk/views/ChartWindow.h"
#include "talvodesk/views/ShotDetailsPane.h"

#include <QSplitter>

#include <algorithm>

namespace talvodesk {

namespace {

COLORREF colorRefOf(const QColor& color)
{
    return static_cast<COLORREF>(color.red()) | static_cast<COLORREF>(color.green()) << 8 |
           static_cast<COLORREF>(color.blue()) << 16;
}

} // namespace

CTimeIntervalsView::CTimeIntervalsView(ChartServices services, QWidget* parent)
    : CChartView(services,
                 {TimeIntervalsGraph::kChartPart, 0, TimeIntervalsGraph::kColourPart, TimeIntervalsGraph::kChartPart},
                 parent),
      m_graph(services), m_details(services.module), m_window(new CChartWindow(m_graph.chart(), this)),
      m_pane(new CShotDetailsPane(m_services, this))
{
    m_graph.setHighlightColor(colorRefOf(palette().color(QPalette::Highlight)));
    m_window->setHitTesting(true);
    connect(m_window, &CChartWindow::seriesClicked, this, [this](int id) { m_graph.OnChartClick(id); });
    setCharts(m_window, m_pane);
    // The lower pane keeps its height; the chart takes what the view gains or loses.
    splitter()->setStretchFactor(0, 1);
    splitter()->setStretchFactor(1, 0);
    m_details.SetPage(&m_pane->page());
}

void CTimeIntervalsView::OnUpdate(CView* sender, DocumentHint hint, const HintPayload& payload)
{
    if (hint == HintReset && m_services.document.IsValid()) {
        m_pane->setVisible(m_services.document.GetEventCode() != kBiathlonEventCode);
    }
    CChartView::OnUpdate(sender, hint, payload);
}

void CTimeIntervalsView::LoadTexts()
{
    m_graph.LoadTexts();
    // The page is rebuilt in the new language and shows the same shot again.
    m_details.SetPage(nullptr);
    m_pane->Reload();
    m_details.SetPage(&m_pane->page());
    m_details.Update(m_services.document);
}

void CTimeIntervalsView::Recalculate(unsigned parts)
{
    if ((parts & TimeIntervalsGraph::kChartPart) != 0) {
        m_graph.Recalculate();
    }
    if ((parts & TimeIntervalsGraph::kColourPart) != 0) {
        m_graph.UpdateShotColors();
    }
    m_details.Update(m_services.document);
    // The highlight follows the selection at once.
    m_window->repaint();
}

void CTimeIntervalsView::placeSplitterBar(int height)
{
    if (height == 0 || m_pageHeight != 0) {
        return;
    }
    const int bar = splitter()->handleWidth();
    m_pageHeight = std::min(m_pane->pageHeight(), (height - bar) * 2 / 5);
    const int lower = m_pane->headerHeight() + m_pageHeight;
    splitter()->setSizes({std::max(0, height - bar - lower), lower});
}

} // namespace talvodesk
