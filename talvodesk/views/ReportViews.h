#pragma once

#include "talvodesk/views/ReportPrintout.h"

class QWidget;

namespace talvodesk {

class CChartImpl;
class CInfoView;
class CSeriesView;

/// What the report reads of the frame's views: the info view's summary under its titles, the series view's match
/// group and the graph views' charts, each after the view has computed what it put off while hidden. Main thread
/// only.
class ViewReportSources final : public ReportSources {
public:
    struct Views {
        CTalvoData& data;
        const CTalvoAppModule& module;
        CInfoView* info = nullptr;
        CSeriesView* series = nullptr;
        /// The parent of the graph views, found by their names.
        QWidget* charts = nullptr;
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
