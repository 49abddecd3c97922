#pragma once

#include "talvodesk/core/document/ShotCollectionFactory.h"
#include "talvodesk/core/report/ReportLayout.h"
#include "talvodesk/core/report/ReportSections.h"

#include "interfaces/talvodata/IAiming.h"
#include "interfaces/talvodata/IEventParams.h"
#include "interfaces/talvodata/IShot.h"
#include "platform/com/ComPtr.h"
#include "platform/gfx/IPicture.h"

#include <span>

namespace platform::gfx {
class DrawContext;
class TextMeasure;
} // namespace platform::gfx

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

/// A target picture of the report: the event's face with the aimings of some of its shots.
struct TargetPicture {
    IEventParams& event;
    /// In the order of their shots.
    std::span<const platform::com::ComPtr<IAiming>> aimings;
    /// The cell the picture fills, at least a unit wide: the picture has its proportions.
    platform::gfx::Size size;
    LONG subTarget = 1;
    /// Half the area around the centre in millimetres; 0 leaves the whole face.
    float halfX = 0;
    float halfY = 0;
    bool trace = false;
    bool match = true;
};

/// Draws the report's target pictures as the target control draws them; the views do it with a hidden target
/// window. Owner thread only.
class TargetPictures {
public:
    virtual ~TargetPictures() = default;
    /// The recorded picture; null when it cannot be made.
    virtual platform::com::ComPtr<IPicture> Draw(const TargetPicture& picture) = 0;
};

/// What a report or one-shot page is made of and for.
struct ReportRequest {
    CTalvoData& data;
    const COptions& options;
    const CTalvoAppModule& module;
    TargetPictures& pictures;
    /// The collections of the shots each target picture shows.
    const ShotCollectionFactory& newShots;
    /// None: the sections that need the views are left out.
    ReportSources* sources = nullptr;
    /// The printer's context for measuring; it is not drawn on.
    platform::gfx::DrawContext& printer;
    /// How the printer measures text, for the charts recorded at its resolution.
    const platform::gfx::TextMeasure* measure = nullptr;
    PrinterPage page;
    PageMargins margins;
};

/// Lays the report of the open practice out into `printout`, keeping `fonts` for its text cells; nothing to do
/// when it already has pages. False, with no pages, when a part cannot be laid out.
bool BuildReportPrintout(const ReportRequest& request, ReportFonts& fonts, Printout& printout);
/// Replaces `printout` by one page of `shot` with its trace; false, with no pages, when it cannot be laid out.
bool BuildShotPrintout(const ReportRequest& request, IShot& shot, ReportFonts& fonts, Printout& printout);

} // namespace talvodesk
