#include "talvodesk/core/report/ReportPrintout.h"

#include "talvodesk/core/document/EventCodes.h"
#include "talvodesk/core/document/ShotFacts.h"
#include "talvodesk/core/document/TalvoData.h"
#include "talvodesk/core/options/AppModule.h"
#include "talvodesk/core/options/OptionTemplate.h"
#include "talvodesk/core/options/Options.h"
#include "talvodesk/core/options/TextFormat.h"

#include "interfaces/talvodata/IAimingAttr.h"
#include "interfaces/talvodata/ITargetParams.h"
#include "platform/com/Bstr.h"
#include "platform/gfx/MulDiv.h"
#include "platform/text/Ascii.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace talvodesk {

using platform::com::ComPtr;
using platform::gfx::MulDiv;
using platform::gfx::Rect;

namespace {

constexpr std::uint32_t kUntitled = 32816;
constexpr std::uint32_t kFontFace = 61223;
constexpr std::uint32_t kShotNumber = 61230;
constexpr std::uint32_t kReportTitle = 37000;
constexpr LONG kTargetPoints = 200;
constexpr LONG kBiathlonTargetPoints = 300;

ReportHeaderTexts headerTexts(const ReportRequest& request)
{
    ReportHeaderTexts texts;
    texts.title = std::u16string(request.module.LoadString(kReportTitle));
    platform::com::Bstr shooter;
    if (request.data.GetShooterName(shooter) && !shooter.view().empty()) {
        texts.shooter = std::u16string(shooter.view());
    } else {
        texts.shooter = std::u16string(request.module.LoadString(kUntitled));
    }
    ComPtr<IShotCollection> match;
    LONG matchCount = 0;
    if (request.data.GetMatchShots(match) && match && SUCCEEDED(match->get_Count(&matchCount)) && matchCount > 0) {
        const DATE started = request.data.FirstMatchEnterTime();
        // A time at or before the calendar's zero means the aiming was never stamped.
        FormatDate(texts.date, started > 0 ? started : 0.0, request.module.m_lcid);
    }
    (void)request.data.GetEventDisplayName(texts.event); // an event without a name heads the page with nothing
    return texts;
}

/// The face with `shots` as a recorded picture over `rect`.
bool addTargetPictureCell(const ReportRequest& request, PrintoutPage& page, IShotCollection& shots, const Rect& rect,
                          LONG subTarget, float halfX, float halfY, bool displayTrace, bool match)
{
    LONG count = 0;
    if (FAILED(shots.get_Count(&count)) || count == 0 || rect.width() < 1) {
        return false;
    }
    ComPtr<IEventParams> event;
    if (!request.data.GetEvent(event)) {
        return false;
    }
    std::vector<ComPtr<IAiming>> aimings;
    for (LONG index = 1; index <= count; ++index) {
        ComPtr<IShot> shot;
        ComPtr<IAiming> aiming;
        if (SUCCEEDED(shots.get_Item(index, shot.put())) && request.data.FindAiming(shot.get(), aiming) && aiming) {
            aimings.push_back(std::move(aiming));
        }
    }
    auto picture = request.pictures.Draw(
        {*event, aimings, {rect.width(), rect.height()}, subTarget, halfX, halfY, displayTrace, match});
    if (!picture) {
        return false;
    }
    auto& cell = page.add<CPrintoutPictureCell>();
    cell.rect = rect;
    cell.picture = std::move(picture);
    return true;
}

/// The face of the shot's aiming; 0 when it cannot be read.
LONG aimingSubTarget(CTalvoData& data, IShot* shot)
{
    ComPtr<IAiming> aiming;
    return data.FindAiming(shot, aiming) ? subTargetOf(aiming.get()).value_or(0) : 0;
}

/// The target block at the top left: its size, (0, 0) when there is none.
bool addTargetSection(const ReportRequest& request, ReportBuilder& builder, IShotCollection& match, float halfX,
                      float halfY, platform::gfx::Size& block)
{
    block = {};
    LONG count = 0;
    if (FAILED(match.get_Count(&count)) || count == 0) {
        return true; // no match shots: the report goes on without a target picture
    }
    const Rect& layout = builder.layout();
    const platform::gfx::Resolution dpi = request.page.dpi;
    if (request.data.GetEventCode() != kBiathlonEventCode) {
        const Rect rect{layout.left, layout.top, layout.left + MulDiv(kTargetPoints, dpi.x, 72),
                        layout.top + MulDiv(kTargetPoints, dpi.y, 72)};
        block = {rect.width(), rect.height()};
        return addTargetPictureCell(request, builder.page(), match, rect, 1, halfX, halfY, false, true);
    }
    ComPtr<IEventParams> event;
    ComPtr<ITargetParams> face;
    float formWidth = 0;
    float formHeight = 0;
    if (!request.data.GetEvent(event) || FAILED(event->get_Target(1, face.put())) || !face ||
        FAILED(face->get_FormWidth(&formWidth)) || FAILED(face->get_FormHeight(&formHeight)) || formWidth <= 0) {
        return false;
    }
    const LONG width = MulDiv(kBiathlonTargetPoints, dpi.y, 72);
    const auto height = static_cast<LONG>(std::lround(width * formHeight / formWidth));
    // Prone and standing shots each get a picture of their own; a shot without a known sub-target is printed on
    // the first face rather than left off.
    LONG offset = 0;
    for (const LONG subTarget : {1, 2}) {
        const ComPtr<IShotCollection> shots = request.newShots(event);
        if (!shots) {
            return false;
        }
        for (LONG index = 1; index <= count; ++index) {
            ComPtr<IShot> shot;
            if (SUCCEEDED(match.get_Item(index, shot.put())) &&
                (aimingSubTarget(request.data, shot.get()) == 2 ? 2 : 1) == subTarget) {
                (void)shots->Add(shot.get()); // a shot of the event always fits its collection
            }
        }
        LONG found = 0;
        if (FAILED(shots->get_Count(&found)) || found == 0) {
            continue;
        }
        if (offset > 0) {
            offset += builder.units().gapY;
        }
        const Rect rect{layout.left, layout.top + offset, layout.left + width, layout.top + offset + height};
        if (!addTargetPictureCell(request, builder.page(), *shots, rect, subTarget, halfX, halfY, false, true)) {
            return false;
        }
        offset += height;
    }
    block = {width, offset};
    return true;
}

void addComments(const ReportRequest& request, ReportBuilder& builder, const platform::gfx::Size& block, LONG& height)
{
    height = 0;
    platform::com::Bstr comments;
    if (!request.data.GetComments(comments) || comments.view().empty()) {
        return;
    }
    const Rect& layout = builder.layout();
    const LONG left = block.cx > 0 ? layout.left + block.cx + builder.units().gapX : layout.left;
    height =
        builder
            .addText(builder.fonts().normal, std::u16string(comments.view()), {left, layout.top}, layout.right - left)
            .rect.height();
}

/// The serie's own shots on its face; a serie without shots gets no picture.
bool addSeriePicture(const ReportRequest& request, ReportBuilder& builder, const ComPtr<IEventParams>& event,
                     const CSerie& serie, const Rect& rect, float halfX, float halfY)
{
    if (event == nullptr) {
        return false; // no event, no face to draw on
    }
    const ComPtr<IShotCollection> shots = request.newShots(event);
    if (!shots) {
        return false;
    }
    IShot* first = nullptr;
    for (const CStatisticsRow& row : serie.rows) {
        if (row.shot && SUCCEEDED(shots->Add(row.shot.get())) && first == nullptr) {
            first = row.shot.get();
        }
    }
    if (first == nullptr) {
        return true;
    }
    return addTargetPictureCell(request, builder.page(), *shots, rect, aimingSubTarget(request.data, first), halfX,
                                halfY, false, true);
}

bool addSeries(const ReportRequest& request, ReportBuilder& builder, float halfX, float halfY)
{
    const CGroup* group = request.sources->SeriesGroup();
    if (group == nullptr) {
        return true;
    }
    ComPtr<IEventParams> event;
    ComPtr<ITargetParams> face;
    float formWidth = 0;
    float formHeight = 0;
    if (request.data.GetEvent(event) && SUCCEEDED(event->get_Target(1, face.put())) && face) {
        (void)face->get_FormWidth(&formWidth); // an unreadable form gives a square picture
        (void)face->get_FormHeight(&formHeight);
    }
    const bool biathlon = request.data.GetEventCode() == kBiathlonEventCode;
    const SeriesTable table = MeasureSeriesTable(builder.printer(), *group, builder.fonts(), builder.units(),
                                                 builder.layout().width(), biathlon, formWidth, formHeight);
    return AddSeriesSection(builder, *group, table, biathlon, [&](const CSerie& serie, const Rect& rect) {
        return addSeriePicture(request, builder, event, serie, rect, halfX, halfY);
    });
}

void addChartSections(const ReportRequest& request, ReportBuilder& builder)
{
    const COptions& options = request.options;
    const bool biathlon = request.data.GetEventCode() == kBiathlonEventCode;
    struct Section {
        bool on;
        ReportChart chart;
        std::uint32_t caption;
    };
    const Section candidates[] = {
        {options.printCoordination != 0, ReportChart::Coordination, 32791},
        {options.printShift != 0 && !biathlon, ReportChart::TimeShift, 32792},
        {options.printSpeed != 0, ReportChart::Speed, 32793},
        {options.printIntervals != 0 && request.data.HasOrderedShotTimes(), ReportChart::TimeIntervals, 32794},
        {options.printProbability != 0 && !biathlon, ReportChart::ProbabilityUpper, 32795},
    };
    std::vector<ReportChartSection> sections;
    for (const Section& candidate : candidates) {
        if (candidate.on) {
            sections.push_back({candidate.chart, std::u16string(request.module.LoadString(candidate.caption))});
        }
    }
    AddChartSections(builder, sections, request.measure,
                     [&](ReportChart chart, platform::gfx::DrawContext& context, const Rect& rect) {
                         return request.sources->DrawChart(chart, context, rect, builder.fonts());
                     });
}

} // namespace

bool BuildReportPrintout(const ReportRequest& request, ReportFonts& fonts, Printout& printout)
{
    if (!printout.empty()) {
        return true;
    }
    fonts = MakeReportFonts(request.module.LoadString(kFontFace), request.page.dpi.y);
    ReportBuilder builder(request.printer, request.page, request.margins, fonts, headerTexts(request), printout);
    builder.begin();

    ComPtr<IShotCollection> match;
    ComPtr<IEventParams> event;
    if (!request.data.GetMatchShots(match) || !match || !request.data.GetEvent(event)) {
        printout.clear();
        return false;
    }
    float halfX = 0;
    float halfY = 0;
    CalcPrintTargetExtent(*event, request.data.GetEventCode(), *match, halfX, halfY);

    platform::gfx::Size block;
    if (request.options.printAllShots != 0 && !addTargetSection(request, builder, *match, halfX, halfY, block)) {
        printout.clear();
        return false;
    }
    LONG commentsHeight = 0;
    addComments(request, builder, block, commentsHeight);
    const LONG topBlock = std::max(block.cy, commentsHeight);
    if (topBlock >= 1) {
        builder.layout().top += topBlock + 2 * builder.units().gapY;
    }
    if (request.sources != nullptr) {
        if (request.options.printGenInfo != 0) {
            for (const auto& [title, value] : request.sources->GeneralInformation()) {
                builder.addTitleValueRow(title, value);
            }
        }
        if (request.options.printSeries != 0 && !addSeries(request, builder, halfX, halfY)) {
            printout.clear();
            return false;
        }
        addChartSections(request, builder);
    }
    return true;
}

bool BuildShotPrintout(const ReportRequest& request, IShot& shot, ReportFonts& fonts, Printout& printout)
{
    fonts = MakeReportFonts(request.module.LoadString(kFontFace), request.page.dpi.y);
    ComPtr<IAiming> aiming;
    ComPtr<IAimingAttr> attributes;
    VARIANT_BOOL isMatch = VARIANT_TRUE;
    if (request.data.FindAiming(&shot, aiming) && aiming && SUCCEEDED(aiming->get_Attr(attributes.put())) &&
        attributes) {
        (void)attributes->get_Match(&isMatch); // unreadable: counted with the match shots
    }
    const bool match = isMatch != VARIANT_FALSE;
    ComPtr<IShotCollection> group;
    const bool haveGroup = match ? request.data.GetMatchShots(group) : request.data.GetSightingShots(group);
    LONG count = 0;
    LONG index = 0;
    if (haveGroup && group && SUCCEEDED(group->get_Count(&count))) {
        for (LONG position = 1; position <= count && index == 0; ++position) {
            ComPtr<IShot> candidate;
            if (SUCCEEDED(group->get_Item(position, candidate.put())) && candidate.get() == &shot) {
                index = position;
            }
        }
    }
    std::u16string extra;
    if (const auto segments = ParseOptionTemplate(request.module.LoadString(kShotNumber))) {
        for (const TemplateSegment& segment : *segments) {
            if (const auto* literal = std::get_if<std::u16string>(&segment)) {
                extra += *literal;
            } else {
                const std::string number = std::to_string(std::get<Placeholder>(segment).number == 1 ? index : count);
                extra += platform::text::widenAscii(number);
            }
        }
    }
    ReportBuilder builder(request.printer, request.page, request.margins, fonts, headerTexts(request), printout);
    builder.begin(extra);
    const Rect& layout = builder.layout();
    const LONG side = std::min(layout.width(), layout.height());
    ComPtr<IEventParams> event;
    (void)request.data.GetEvent(event); // without an event no picture can be made, which fails below
    const ComPtr<IShotCollection> single = request.newShots(event);
    if (!single || FAILED(single->Add(&shot)) ||
        !addTargetPictureCell(request, builder.page(), *single,
                              {layout.left, layout.top, layout.left + side, layout.top + side}, 1, 0, 0, true, match)) {
        printout.clear();
        return false;
    }
    return true;
}

} // namespace talvodesk
