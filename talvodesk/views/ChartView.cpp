#include "talvodesk/views/ChartView.h"

#include "talvodesk/core/Options.h"
#include "talvodesk/core/TalvoData.h"
#include "talvodesk/core/chart/ChartStrings.h"
#include "talvodesk/views/ChartWindow.h"

#include "interfaces/talvodata/IAiming.h"

#include "platform/ui/QtText.h"

#include <QCheckBox>
#include <QSplitter>

namespace talvodesk {

namespace {

} // namespace

CChartView::CChartView(ChartServices services, QWidget* parent) : QWidget(parent), m_services(services) {}

CChartView::~CChartView()
{
    if (m_pDocument) {
        m_pDocument->RemoveView(this);
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
    if (!bottom) {
        m_single = top;
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
    syncControlIntervalBox();
    connect(m_controlInterval, &QCheckBox::clicked, this,
            [this](bool checked) { ToggleControlInterval2(m_services, checked); });
}

void CChartView::addFractionModeBox(CChartWindow& chart, unsigned parts)
{
    m_fractionMode =
        chart.addCheckBox(platform::ui::qtext(ChartText(m_services, chartstrings::kFractionMode)), kFractionModeId);
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
    for (QCheckBox* box : {m_controlInterval, m_fractionMode}) {
        if (box) {
            const auto id = box == m_controlInterval ? chartstrings::kControlInterval2 : chartstrings::kFractionMode;
            box->setText(platform::ui::qtext(ChartText(m_services, id)));
            if (auto* chart = dynamic_cast<CChartWindow*>(box->parentWidget())) {
                chart->placeCheckBoxes();
            }
        }
    }
}

bool CChartView::aimingHasShots(std::intptr_t aiming)
{
    LONG shots = 0;
    auto* concluded = reinterpret_cast<IAiming*>(aiming);
    return concluded && SUCCEEDED(concluded->get_ShotCount(&shots)) && shots > 0;
}

void CChartView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    ApplyPendingUpdate();
}

void CChartView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_single) {
        m_single->setGeometry(rect());
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
