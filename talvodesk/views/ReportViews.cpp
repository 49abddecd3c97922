#include "talvodesk/views/ReportViews.h"

#include "talvodesk/core/analysis/chart/ChartImpl.h"
#include "talvodesk/core/document/TalvoData.h"
#include "talvodesk/core/options/AppModule.h"
#include "talvodesk/views/ChartWindow.h"
#include "talvodesk/views/CoordinationView.h"
#include "talvodesk/views/InfoView.h"
#include "talvodesk/views/ProbabilityView.h"
#include "talvodesk/views/SeriesView.h"
#include "talvodesk/views/SpeedView.h"
#include "talvodesk/views/TimeIntervalsView.h"
#include "talvodesk/views/TimeShiftView.h"

namespace talvodesk {

namespace {

constexpr std::uint32_t kMillimetresFormat = 61224;
constexpr std::uint32_t kSecondsFormat = 61229;
constexpr int kMatchGroup = 1;

/// The view's chart after its pending update; null without the view.
template <typename View, typename Window> CChartImpl* chartAfterUpdate(View* view, Window* (View::*window)() const)
{
    if (view == nullptr || (view->*window)() == nullptr) {
        return nullptr;
    }
    (void)view->ApplyPendingUpdate(); // nothing pending leaves the chart as it is
    return &((view->*window)()->chart());
}

} // namespace

ReportRows ViewReportSources::GeneralInformation()
{
    if (m_views.info == nullptr) {
        return {};
    }
    InfoViewLogic& info = m_views.info->logic();
    (void)info.ApplyPendingUpdate(); // always true
    InfoPageFormats formats;
    formats.millimetres = m_views.module.LoadString(kMillimetresFormat);
    formats.seconds = m_views.module.LoadString(kSecondsFormat);
    formats.centreGroup = m_views.data.CentreGroup();
    return ReportGeneralInformation(info.summary(), info.titles(), formats);
}

const CGroup* ViewReportSources::SeriesGroup()
{
    return m_views.series != nullptr ? &m_views.series->logic().group(kMatchGroup) : nullptr;
}

CChartImpl* ViewReportSources::chartOf(ReportChart chart)
{
    const Charts& charts = m_views.charts;
    switch (chart) {
    case ReportChart::Coordination:
        return chartAfterUpdate(charts.coordination, &CCoordinationView::chartWindow);
    case ReportChart::TimeShift:
        return chartAfterUpdate(charts.timeShift, &CTimeShiftView::chartWindow);
    case ReportChart::Speed:
        return chartAfterUpdate(charts.speed, &CSpeedView::shotsWindow);
    case ReportChart::TimeIntervals:
        return chartAfterUpdate(charts.timeIntervals, &CTimeIntervalsView::chartWindow);
    case ReportChart::ProbabilityUpper:
        return chartAfterUpdate(charts.probability, &CProbabilityView::probabilityWindow);
    case ReportChart::ProbabilityLower:
        return chartAfterUpdate(charts.probability, &CProbabilityView::resultWindow);
    }
    return nullptr;
}

bool ViewReportSources::DrawChart(ReportChart chart, platform::gfx::DrawContext& context,
                                  const platform::gfx::Rect& rect, const ReportFonts& fonts)
{
    CChartImpl* impl = chartOf(chart);
    if (impl == nullptr) {
        return false;
    }
    // The report's bold font is the chart's text font and its normal font the titles'.
    const ChartFonts printFonts{fonts.bold, fonts.normal, fonts.vertical};
    impl->Draw(context, rect, ChartMargins{}, /*legend=*/false, /*print=*/true, &printFonts);
    return true;
}

} // namespace talvodesk
