#pragma once

#include "talvodesk/core/report/ReportPrintout.h"

namespace talvodesk {

class CChartImpl;
class CCoordinationView;
class CInfoView;
class CProbabilityView;
class CSeriesView;
class CSpeedView;
class CTimeIntervalsView;
class CTimeShiftView;

/// What the report reads of the frame's views: the info view's summary under its titles, the series view's match
/// group and the graph views' charts, each after the view has computed what it put off while hidden. Main thread
/// only.
class ViewReportSources final : public ReportSources {
public:
    /// The graph views whose charts the report prints; a missing one leaves its section out.
    struct Charts {
        CCoordinationView* coordination = nullptr;
        CTimeShiftView* timeShift = nullptr;
        CSpeedView* speed = nullptr;
        CTimeIntervalsView* timeIntervals = nullptr;
        CProbabilityView* probability = nullptr;
    };
    struct Views {
        CTalvoData& data;
        const CTalvoAppModule& module;
        CInfoView* info = nullptr;
        CSeriesView* series = nullptr;
        Charts charts;
    };

    explicit ViewReportSources(Views views) : m_views(views) {}

    ReportRows GeneralInformation() override;
    const CGroup* SeriesGroup() override;
    bool DrawChart(ReportChart chart, platform::gfx::DrawContext& context, const platform::gfx::Rect& rect,
                   const ReportFonts& fonts) override;

private:
    /// The chart of a section with its view's pending update applied; null without that view.
    CChartImpl* chartOf(ReportChart chart);

    Views m_views;
};

} // namespace talvodesk
