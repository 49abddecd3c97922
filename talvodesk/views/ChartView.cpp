#include "talvodesk/views/ChartView.h"

#include "talvodesk/core/analysis/chart/ChartStrings.h"
#include "talvodesk/core/document/ShotFacts.h"
#include "talvodesk/core/document/TalvoData.h"
#include "talvodesk/core/options/Options.h"
#include "talvodesk/views/ChartWindow.h"

#include "interfaces/talvodata/IAiming.h"
#include "platform/com/ComPtr.h"

#include "platform/ui/QtText.h"

#include <QCheckBox>
#include <QSplitter>

namespace talvodesk {

namespace {

bool aimingHasShots(IAiming* aiming)
{
    LONG shots = 0;
    return aiming && SUCCEEDED(aiming->get_ShotCount(&shots)) && shots > 0;
}

} // namespace

CChartView::CChartView(ChartServices services, HintParts hints, QWidget* parent)
    : QWidget(parent), m_services(services), m_hints(hints)
{
}

CChartView::~CChartView()
{
    if (m_pDocument) {
        m_pDocument->RemoveView(this);
    }
}

void CChartView::OnUpdate(CView*, DocumentHint hint, const HintPayload& payload)
{
    unsigned parts = 0;
    switch (hint) {
    case HintReset:
    case HintShotParameters:
        parts = m_hints.reset;
        break;
    case HintModel:
        parts = m_hints.model;
        break;
    case HintCurrentShot:
        parts = m_hints.currentShot;
        break;
    case HintConcludeAiming: {
        IAiming* aiming = payload.aiming();
        if (aimingHasShots(aiming) && (!m_hints.matchAimingsOnly || isMatch(attributesOf(aiming).get()))) {
            parts = m_hints.concludedAiming;
        }
        break;
    }
    case HintLanguage:
        LoadTexts();
        LoadBoxTexts();
        for (QWidget* chart : {m_top, m_bottom}) {
            if (chart) {
                chart->update();
            }
        }
        break;
    default:
        break;
    }
    if (parts != 0) {
        RecalculateOrDefer(parts);
    }
}

bool CChartView::ApplyPendingUpdate()
{
    return m_pending.Apply([this](unsigned parts) { Recalculate(parts); });
}

bool CChartView::fractionMode() const
{
    return m_fractionMode && m_fractionMode->isChecked();
}

void CChartView::RecalculateOrDefer(unsigned parts)
{
    m_pending.Request(parts, isVisible(), [this](unsigned requested) { Recalculate(requested); });
}

void CChartView::setCharts(CChartWindow* top, QWidget* bottom)
{
    m_top = top;
    m_bottom = bottom;
    if (!bottom) {
        top->setParent(this);
        return;
    }
    m_splitter = new QSplitter(Qt::Vertical, this);
    m_splitter->setObjectName(QStringLiteral("ChartSplitter"));
    m_splitter->setChildrenCollapsible(false);
    m_splitter->addWidget(top);
    m_splitter->addWidget(bottom);
}

void CChartView::addControlIntervalBox(CChartWindow& chart)
{
    m_controlInterval = chart.addCheckBox(platform::ui::qtext(ChartText(m_services, chartstrings::kControlInterval2)),
                                          kControlIntervalId);
    m_controlIntervalChart = &chart;
    syncControlIntervalBox();
    connect(m_controlInterval, &QCheckBox::clicked, this,
            [this](bool checked) { ToggleControlInterval2(m_services, checked); });
}

void CChartView::addFractionModeBox(CChartWindow& chart, unsigned parts)
{
    m_fractionMode =
        chart.addCheckBox(platform::ui::qtext(ChartText(m_services, chartstrings::kFractionMode)), kFractionModeId);
    m_fractionModeChart = &chart;
    connect(m_fractionMode, &QCheckBox::clicked, this, [this, parts] { RecalculateOrDefer(parts); });
}

void CChartView::syncControlIntervalBox()
{
    if (m_controlInterval) {
        m_controlInterval->setChecked(m_services.options.showControlInterval2 != 0);
    }
}

void CChartView::LoadBoxTexts()
{
    struct Box {
        QCheckBox* box;
        CChartWindow* chart;
        std::uint32_t text;
    };
    for (const Box& box : {Box{m_controlInterval, m_controlIntervalChart, chartstrings::kControlInterval2},
                           Box{m_fractionMode, m_fractionModeChart, chartstrings::kFractionMode}}) {
        if (box.box) {
            box.box->setText(platform::ui::qtext(ChartText(m_services, box.text)));
            box.chart->placeCheckBoxes();
        }
    }
}

void CChartView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    ApplyPendingUpdate();
}

void CChartView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (!m_splitter && m_top) {
        m_top->setGeometry(rect());
    }
    if (m_splitter) {
        m_splitter->setGeometry(rect());
        placeSplitterBar(height());
    }
}

void CChartView::placeSplitterBar(int height)
{
    const int bar = m_splitter->handleWidth();
    const int top = (height - bar) * 3 / 5;
    m_splitter->setSizes({top, std::max(0, height - bar - top)});
}

} // namespace talvodesk
