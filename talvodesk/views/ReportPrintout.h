#pragma once

#include "talvodesk/core/report/ReportLayout.h"
#include "talvodesk/core/report/ReportSections.h"

#include "interfaces/talvodata/IShot.h"
#include "interfaces/talvodata/IShotCollection.h"

#include <string>
#include <utility>
#include <vector>

class QWidget;

namespace platform::gfx {
class DrawContextQt;
}

namespace talvodesk {

class COptions;
class CTalvoAppModule;
class CTalvoData;

/// What the report reads of the analysis views. Each is asked after the view has applied its pending update.
class ReportSources {
public:
    virtual ~ReportSources() = default;
    /// The general information as titles and values, as the info page shows them.
    virtual ReportRows GeneralInformation() = 0;
    /// The series view's match group, its rows computed; null without one.
    virtual const CGroup* SeriesGroup() = 0;
    /// Draws a chart into `context` over `rect` for print, with the bold, normal and vertical fonts; false when the
    /// view has nothing to draw.
    virtual bool DrawChart(ReportChart chart, platform::gfx::DrawContext& context, const platform::gfx::Rect& rect,
                           const ReportFonts& fonts) = 0;
};

/// What a report or one-shot page is made of and for.
struct ReportRequest {
    CTalvoData& data;
    const COptions& options;
    const CTalvoAppModule& module;
    /// The parent of the hidden target windows that draw the target pictures.
    QWidget* frame = nullptr;
    /// None: the sections that need the views are left out.
    ReportSources* sources = nullptr;
    /// The printer's context for measuring; it is not drawn on.
    platform::gfx::DrawContextQt& printer;
    PrinterPage page;
    PageMargins margins;
};

/// Lays the report of the open practice out into `printout`, keeping `fonts` for its text cells; nothing to do
/// when it already has pages. False, with no pages, when a part cannot be laid out.
bool BuildReportPrintout(const ReportRequest& request, ReportFonts& fonts, Printout& printout);
/// Replaces `printout` by one page of `shot` with its trace; false, with no pages, when it cannot be laid out.
bool BuildShotPrintout(const ReportRequest& request, IShot& shot, ReportFonts& fonts, Printout& printout);

} // namespace talvodesk
