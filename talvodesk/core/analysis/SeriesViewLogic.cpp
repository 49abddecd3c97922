#include "talvodesk/core/analysis/SeriesViewLogic.h"

#include "talvodesk/core/analysis/Drawing.h"
#include "talvodesk/core/analysis/SeriesStatistics.h"
#include "talvodesk/core/document/EventCodes.h"
#include "talvodesk/core/document/ShotFacts.h"
#include "talvodesk/core/document/TalvoData.h"
#include "talvodesk/core/options/Options.h"

#include "interfaces/talvoboard/ITarget.h"
#include "interfaces/talvodata/IAimingAttr.h"
#include "interfaces/talvodata/IEventParams.h"
#include "interfaces/talvodata/IRange.h"
#include "interfaces/talvodata/ITargetParams.h"
#include "platform/com/Bstr.h"
#include "platform/gfx/DrawContext.h"
#include "platform/text/Printf.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace talvodesk {

using platform::com::ComPtr;
using namespace platform::gfx;

namespace {

constexpr int kSighting = 0;
constexpr int kMatch = 1;
constexpr int kSelectionTimer = 1;
constexpr LONG kRowGap = 3;
constexpr LONG kHitSlack = 2;
constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kTitleBackground = 0xFF0000;
constexpr UINT kCentred = 6;

Rect united(const Rect& a, const Rect& b)
{
    return a.united(b);
}

bool contains(const Rect& rect, Point point)
{
    return point.x >= rect.left && point.x < rect.right && point.y >= rect.top && point.y < rect.bottom;
}

bool isHidden(IShot* shot)
{
    VARIANT_BOOL hidden = VARIANT_FALSE;
    return shot && SUCCEEDED(shot->get_Hidden(&hidden)) && hidden == VARIANT_TRUE;
}

/// How far from the centre the breaches, and with `traces` the whole traces, of the shots reach in x and y.
std::pair<float, float> shotExtents(IShotCollection& shots, bool traces)
{
    float extentX = 0;
    float extentY = 0;
    LONG count = 0;
    (void)shots.get_Count(&count); // Unreadable: no shots.
    for (LONG i = 1; i <= count; ++i) {
        ComPtr<IShot> shot;
        if (FAILED(shots.get_Item(i, shot.put())) || !shot) {
            continue;
        }
        ComPtr<IRange> range;
        float left = 0;
        float top = 0;
        float right = 0;
        float bottom = 0;
        if (traces && SUCCEEDED(shot->Range(0, 0, range.put())) && range &&
            SUCCEEDED(range->GetBounds(&left, &top, &right, &bottom))) {
            extentX = std::max({extentX, std::fabs(left), std::fabs(right)});
            extentY = std::max({extentY, std::fabs(top), std::fabs(bottom)});
        }
        float x = 0;
        float y = 0;
        if (SUCCEEDED(shot->Breach(&x, &y))) {
            extentX = std::max(extentX, std::fabs(x));
            extentY = std::max(extentY, std::fabs(y));
        }
    }
    return {extentX, extentY};
}

/// FNV-1a over the characters: a cell's text is a few of them, too few to pay for a general hash's setup.
struct CellTextHash {
    std::size_t operator()(const std::pair<const Font*, std::u16string_view>& key) const
    {
        std::size_t hash = 14695981039346656037ULL ^ reinterpret_cast<std::uintptr_t>(key.first);
        for (const char16_t c : key.second) {
            hash = (hash ^ c) * 1099511628211ULL;
        }
        return hash;
    }
};

} // namespace

SeriesViewLogic::SeriesViewLogic(Services services)
    : m_services(std::move(services)), m_normal(defaultGuiFont()), m_timers(m_services.clock)
{
    m_bold = m_normal;
    m_bold.weight = FW_BOLD;
    m_largeBold = m_bold;
    m_largeBold.height = m_bold.height * 12 / 10;
    UpdateColumnVisibility();
    LoadStrings();
}

SeriesViewLogic::~SeriesViewLogic() = default;

bool SeriesViewLogic::documentValid() const
{
    return document() && document()->IsValid();
}

bool SeriesViewLogic::biathlon() const
{
    return documentValid() && document()->GetEventCode() == kBiathlonEventCode;
}

int SeriesViewLogic::shotsPerSerie() const
{
    ComPtr<IEventParams> event;
    LONG perSerie = 0;
    if (document() && document()->GetEvent(event) && event) {
        (void)event->get_MaxShotsPerSerie(&perSerie); // Unreadable counts as none: 10.
    }
    return perSerie < 1 || perSerie > kSerieRows ? kSerieRows : static_cast<int>(perSerie);
}

LONG SeriesViewLogic::lineHeight() const
{
    DrawContext& context = m_services.host.measureContext();
    StateSaver saved(context);
    context.setFont(m_normal);
    const TextMetrics metrics = context.textMetrics();
    return metrics.height + metrics.internalLeading;
}

void SeriesViewLogic::LoadStrings()
{
    for (std::size_t column = 0; column < m_headers.size(); ++column) {
        m_headers[column] = column == ColumnBreachFromAap
                                ? std::u16string()
                                : m_services.loadString(kSeriesHeaderTexts + static_cast<std::uint32_t>(column));
    }
    m_missed = m_services.loadString(kSeriesMissedText);
    m_titleFormat = m_services.loadString(kSeriesGroupTitleText);
    m_sighting = m_services.loadString(kSeriesSightingText);
    m_match = m_services.loadString(kSeriesMatchText);
}

void SeriesViewLogic::UpdateColumnVisibility()
{
    m_shotListWidth.reset();
    const COptions& o = m_services.options;
    ShotListColumns& table = ShotListColumnTable();
    table.expertMode = o.advancedMode != 0;
    const std::array<std::uint32_t, kShotListColumns> flags{o.shotListIndex,
                                                            o.shotListResult,
                                                            o.shotListAimingTime,
                                                            o.shotListSteadiness6,
                                                            o.shotListSteadiness9,
                                                            o.shotListSteadiness10center,
                                                            o.shotListSteadiness10p5center,
                                                            o.shotListSteadiness10,
                                                            o.shotListSteadiness10p5,
                                                            o.shotListTraceSpeed,
                                                            o.shotListTraceSpeed250,
                                                            o.shotListBreachFromAAP};
    const bool hideSteadiness = biathlon();
    for (int column = 0; column < kShotListColumns; ++column) {
        const bool steadiness = column >= ColumnSteadiness6 && column <= ColumnSteadiness10p5;
        table.columns[static_cast<std::size_t>(column)].expert =
            flags[static_cast<std::size_t>(column)] == 1 && !(steadiness && hideSteadiness);
    }
}

void SeriesViewLogic::OnUpdate(CView* /*sender*/, DocumentHint hint, const HintPayload& payload)
{
    switch (hint) {
    case HintReset:
        UpdateColumnVisibility();
        m_current.reset();
        Rebuild();
        if (biathlon()) {
            SetShotListMode(true);
        }
        break;
    case HintLanguage:
        LoadStrings();
        Rebuild();
        break;
    case HintCurrentShot: {
        ComPtr<IShot> current;
        (void)document()->GetCurrentShot(current); // None selects nothing.
        SetCurrentShot(current.get(), false, false);
        break;
    }
    case HintShowSightings:
        UpdateVisibility();
        Layout(false);
        break;
    case HintShotParameters:
        UpdateVisibility();
        FillStatistics(true, true, true);
        Layout(true);
        ZoomTargets(true, true);
        break;
    case HintShotAdded:
        // Re-centring moved the group's other breaches, so its rows are read again.
        if (const auto* added = payload.get<ShotAddedHint>()) {
            AppendShot(added->aiming, added->shot, added->centred);
        }
        break;
    case HintExpertMode:
        // The shown columns follow the mode.
        UpdateColumnVisibility();
        Rebuild();
        break;
    default:
        break;
    }
}

CSerie& SeriesViewLogic::CreateSerie(int groupIndex, std::optional<long> subTarget)
{
    auto serie = std::make_unique<CSerie>();
    for (std::size_t column = 0; column < serie->header.cells.size(); ++column) {
        CTextCell& cell = serie->header.cells[column];
        cell.text = m_headers[column];
        cell.font = &m_bold;
        cell.align = kCentred;
        cell.background = kWhite;
        serie->total.cells[column].background = kWhite;
    }
    serie->targetState.subTarget = subTarget;
    m_groups[static_cast<std::size_t>(groupIndex)].series.push_back(std::move(serie));
    return *m_groups[static_cast<std::size_t>(groupIndex)].series.back();
}

SerieWindow* SeriesViewLogic::EnsureSerieWindow(CSerie& serie, int groupIndex)
{
    if (serie.window) {
        return serie.window.get();
    }
    serie.window = m_services.host.createSerieWindow();
    ITarget* target = serie.window ? serie.window->target() : nullptr;
    if (!target) {
        return serie.window.get();
    }
    const SerieTarget& state = serie.targetState;
    ComPtr<IEventParams> event;
    (void)document()->GetEvent(event); // Blocks exist only with an event.
    // A property or aiming the control refuses leaves its default; the block is still shown.
    (void)target->put_EnableUpdate(VARIANT_FALSE);
    (void)target->put_Event(event.get());
    (void)target->put_DisplayTrace(m_displayTraces ? VARIANT_TRUE : VARIANT_FALSE);
    (void)target->put_TraceThickness(0);
    (void)target->put_Match(groupIndex == kMatch ? VARIANT_TRUE : VARIANT_FALSE);
    (void)target->put_LabelColor(kWhite);
    (void)target->put_BreachColor(m_services.options.breachColor);
    (void)target->put_SelectedBreachColor(m_services.options.selectedBreachColor);
    if (state.subTarget) {
        (void)target->put_SubTarget(*state.subTarget);
    }
    for (const ComPtr<IAiming>& aiming : state.aimings) {
        (void)target->Add(aiming.get());
    }
    ShowTotals(*target, state);
    ApplyZoom(*target, m_zooms[static_cast<std::size_t>(groupIndex)]);
    (void)target->put_SelectedShot(m_current.get()); // A shot the control lacks selects nothing.
    (void)target->put_EnableUpdate(VARIANT_TRUE);
    return serie.window.get();
}

void SeriesViewLogic::ShowTotals(ITarget& target, const SerieTarget& state)
{
    (void)target.put_Label(1, platform::com::Bstr(state.label).get()); // A label is only a caption.
    if (state.cross) {
        (void)target.ClearElements();
        (void)AddGroupCross(&target, state.hits, state.cross->first, state.cross->second);
    }
}

void SeriesViewLogic::ApplyZoom(ITarget& target, const GroupZoom& zoom)
{
    // An extent or factor the control refuses keeps its zoom.
    if (zoom.box) {
        const auto& [left, top, width, height] = *zoom.box;
        (void)target.ZoomTo(left, top, width, height);
    }
    if (zoom.factor) {
        (void)target.put_Zoom(*zoom.factor);
    }
}

ITarget* SeriesViewLogic::targetOf(const CSerie& serie)
{
    return serie.window ? serie.window->target() : nullptr;
}

void SeriesViewLogic::AddAiming(CSerie& serie, IAiming* aiming)
{
    serie.targetState.aimings.emplace_back(aiming);
    if (ITarget* target = targetOf(serie)) {
        (void)target->Add(aiming); // An aiming the control refuses is only not drawn.
    }
}

void SeriesViewLogic::RebuildAimingGroup(int g)
{
    ComPtr<IAimingCollection> aimings;
    LONG count = 0;
    if (!(g == kSighting ? document()->GetSightingAimings(aimings) : document()->GetMatchAimings(aimings)) ||
        !aimings || FAILED(aimings->get_Count(&count))) {
        return;
    }
    const bool includeHidden = document()->IncludeHidden();
    for (LONG a = 1; a <= count; ++a) {
        ComPtr<IAiming> aiming;
        LONG shots = 0;
        if (FAILED(aimings->get_Item(a, aiming.put())) || !aiming || FAILED(aiming->get_ShotCount(&shots))) {
            continue;
        }
        std::vector<ComPtr<IShot>> shown;
        for (LONG s = 1; s <= shots; ++s) {
            ComPtr<IShot> shot;
            if (SUCCEEDED(aiming->get_Shot(s, shot.put())) && shot && (includeHidden || !isHidden(shot.get()))) {
                shown.push_back(shot);
            }
        }
        if (shown.empty()) {
            continue;
        }
        CSerie& serie = CreateSerie(g, subTargetOf(aiming.get()).value_or(1));
        AddAiming(serie, aiming.get());
        for (std::size_t i = 0; i < serie.rows.size(); ++i) {
            const bool filled = i < shown.size();
            serie.rows[i].SetShot(filled ? aiming.get() : nullptr, filled ? shown[i].get() : nullptr);
        }
    }
}

void SeriesViewLogic::RebuildSerieGroup(int g)
{
    ComPtr<IShotCollection> shots;
    LONG serieCount = 0;
    if (!(g == kSighting ? document()->GetSightingShots(shots) : document()->GetMatchShots(shots)) || !shots ||
        FAILED(shots->get_SerieCount(&serieCount))) {
        return;
    }
    for (LONG s = 1; s <= serieCount; ++s) {
        ComPtr<IShotCollection> serieShots;
        LONG count = 0;
        if (FAILED(shots->get_Serie(s, serieShots.put())) || !serieShots || FAILED(serieShots->get_Count(&count))) {
            continue;
        }
        CSerie& serie = CreateSerie(g, std::nullopt);
        // A serie longer than a block shows its first ten shots.
        const LONG filled = std::min<LONG>(count, kSerieRows);
        for (LONG i = 0; i < kSerieRows; ++i) {
            ComPtr<IShot> shot;
            ComPtr<IAiming> aiming;
            if (i < filled && SUCCEEDED(serieShots->get_Item(i + 1, shot.put())) && shot) {
                (void)document()->FindAiming(shot.get(), aiming); // A shot without its aiming has no trace.
                if (aiming) {
                    AddAiming(serie, aiming.get());
                }
            }
            serie.rows[static_cast<std::size_t>(i)].SetShot(aiming.get(), shot.get());
        }
    }
}

void SeriesViewLogic::Rebuild()
{
    m_shotListWidth.reset();
    for (CGroup& group : m_groups) {
        group.DeleteSeries();
    }
    m_zooms = {};
    if (!documentValid()) {
        UpdateVisibility();
        m_services.host.repaint(nullptr);
        return;
    }
    ComPtr<IEventParams> event;
    if (!document()->GetEvent(event) || !event) {
        return;
    }
    const bool isBiathlon = biathlon();
    for (int g = 0; g < 2; ++g) {
        CGroup& group = m_groups[static_cast<std::size_t>(g)];
        group.title.font = &m_largeBold;
        group.title.background = kTitleBackground;
        group.title.textColor = kWhite;
        for (CTextCell& cell : group.total.cells) {
            cell.background = kWhite;
        }
        if (isBiathlon) {
            RebuildAimingGroup(g);
        } else {
            RebuildSerieGroup(g);
        }
    }
    UpdateVisibility();
    FillStatistics(true, true, true);
    ZoomTargets(true, true);
    Layout(false);
    ComPtr<IShot> current;
    if (document()->GetCurrentShot(current) && current) {
        SetCurrentShot(current.get(), false, true);
    }
}

void SeriesViewLogic::AppendShot(IAiming* aiming, IShot* shot, bool recomputeGroup)
{
    ComPtr<IEventParams> event;
    if (!shot || !documentValid() || !document()->GetEvent(event) || !event) {
        return;
    }
    const bool isBiathlon = biathlon();
    RowReader reader(CurrentRowContext(event.get()));
    const int g = isMatch(attributesOf(shot).get()) ? kMatch : kSighting;
    CGroup& group = m_groups[static_cast<std::size_t>(g)];
    const int perSerie = shotsPerSerie();
    const int n = static_cast<int>(group.series.size());
    bool placed = false;
    if (n > 0 && perSerie > 1) {
        CSerie& last = *group.series.back();
        for (int index = 1; index < perSerie && !placed; ++index) {
            CStatisticsRow& row = last.rows[static_cast<std::size_t>(index)];
            if (row.shot) {
                continue;
            }
            if (isBiathlon && last.rows[static_cast<std::size_t>(index - 1)].aiming.get() != aiming) {
                break;
            }
            row.SetShot(aiming, shot);
            ComputeRowValues(row, isBiathlon ? index + 1 : (n - 1) * perSerie + 1 + index, reader);
            AddAiming(last, aiming);
            placed = true;
        }
    }
    if (!placed) {
        CSerie& serie = CreateSerie(g, subTargetOf(aiming).value_or(1));
        AddAiming(serie, aiming);
        serie.rows[0].SetShot(aiming, shot);
        ComputeRowValues(serie.rows[0], isBiathlon ? 1 : n * perSerie + 1, reader);
        for (std::size_t i = 1; i < serie.rows.size(); ++i) {
            serie.rows[i].SetShot(nullptr, nullptr);
        }
    }
    UpdateVisibility();
    FillStatistics(recomputeGroup, g == kSighting, g == kMatch);
    ZoomTargets(g == kSighting, g == kMatch);
    Layout(true);
}

RowContext SeriesViewLogic::CurrentRowContext(IEventParams* event) const
{
    const ShotListColumns& table = ShotListColumnTable();
    RowContext context;
    context.event = event;
    context.biathlon = biathlon();
    context.fCoefficient = document()->FCoefficient();
    context.controlInterval = document()->ControlInterval();
    context.includeHidden = document()->IncludeHidden();
    for (std::size_t i = 0; i < context.steadiness.size(); ++i) {
        context.steadiness[i] = table.shown(ColumnSteadiness6 + static_cast<int>(i));
    }
    return context;
}

void SeriesViewLogic::ComputeRowValues(CStatisticsRow& row, int number, RowReader& reader)
{
    if (!row.shot) {
        return;
    }
    row.values = reader.read(row.aiming.get(), *row.shot);
    FormatShotRow(row, number, !row.values.match, &m_normal, reader.context().biathlon, m_missed);
}

void SeriesViewLogic::FillStatistics(bool recompute, bool sighting, bool match)
{
    m_shotListWidth.reset();
    if (!documentValid()) {
        return;
    }
    const bool isBiathlon = biathlon();
    const int perSerie = shotsPerSerie();
    ComPtr<IEventParams> event;
    (void)document()->GetEvent(event); // Without one the values stay 0.
    RowReader reader(CurrentRowContext(event.get()));
    std::u16string position;
    (void)document()->GetPositionText(position); // No position: no suffix.
    const std::u16string suffix = position.empty() ? std::u16string() : u" (" + position + u")";
    for (int g = 0; g < 2; ++g) {
        if (!(g == kSighting ? sighting : match)) {
            continue;
        }
        CGroup& group = m_groups[static_cast<std::size_t>(g)];
        RowTotals groupTotals;
        int serieNumber = 0;
        for (const auto& serie : group.series) {
            ++serieNumber;
            RowTotals totals;
            for (std::size_t index = 0; index < serie->rows.size(); ++index) {
                CStatisticsRow& row = serie->rows[index];
                if (!row.shot) {
                    continue;
                }
                if (recompute) {
                    // Numbered by the event's serie length, as shots appended during a practice are.
                    const int number = isBiathlon ? static_cast<int>(index) + 1
                                                  : (serieNumber - 1) * perSerie + 1 + static_cast<int>(index);
                    ComputeRowValues(row, number, reader);
                }
                if (row.values.missed != VARIANT_TRUE) {
                    totals.add(row.values);
                }
            }
            groupTotals.add(totals);
            const RowTotals average = totals.averaged(!isBiathlon);
            FormatTotalRow(serie->total, average, isBiathlon);
            SerieTarget& state = serie->targetState;
            state.label = platform::text::formatC("#%i %3.1f (%i)", serieNumber, static_cast<double>(totals.result),
                                                  totals.score);
            state.hits = totals.count;
            state.cross.reset();
            if (!isBiathlon) {
                state.cross.emplace(average.breachX, average.breachY);
            }
            if (ITarget* target = targetOf(*serie)) {
                ShowTotals(*target, state);
            }
        }
        FormatTotalRow(group.total, groupTotals.averaged(true), isBiathlon);
        group.title.text =
            FormatGroupTitle(m_titleFormat, g == kSighting ? m_sighting : m_match, suffix, groupTotals.count);
    }
}

void SeriesViewLogic::UpdateVisibility()
{
    m_shotListWidth.reset();
    ShotListColumns& table = ShotListColumnTable();
    const bool valid = documentValid();
    table.setShown(ColumnTime,
                   m_services.options.shotListAimingTime == 1 && (!valid || document()->HasOrderedShotTimes()));
    const std::array<bool, 2> groupShown{valid && document()->ShowSightings(),
                                         valid && !(m_services.host.devicePresent() && !m_services.host.matchMode())};
    for (std::size_t g = 0; g < m_groups.size(); ++g) {
        CGroup& group = m_groups[g];
        const bool shown = groupShown[g];
        group.visible = shown;
        group.title.visible = shown && m_shotListMode;
        for (const auto& serie : group.series) {
            serie->visible = shown;
            if (serie->window) {
                serie->window->setVisible(shown);
            }
            serie->header.visible = shown && m_shotListMode;
            for (CStatisticsRow& row : serie->rows) {
                row.visible = shown && row.shot && m_shotListMode;
                for (int column = 0; column < kShotListColumns; ++column) {
                    row.cells[static_cast<std::size_t>(column)].visible = row.visible && table.shown(column);
                }
            }
            serie->total.visible = serie->visible && m_shotListMode;
        }
        group.total.visible = shown && m_shotListMode && !group.series.empty();
    }
}

void SeriesViewLogic::Layout(bool refresh)
{
    // A pane is laid out once it shows with an area, at the size it has then: opening a practice before the window
    // first shows, or while the splitter has not yet given the pane its width, would otherwise measure every row
    // twice.
    const Size client = m_services.host.clientSize();
    if (!m_services.host.shown() || client.cx <= 0 || client.cy <= 0) {
        m_layoutPending = true;
        return;
    }
    m_layoutPending = false;
    if (m_shotListMode) {
        LayoutShotList(refresh);
    } else {
        LayoutSeries(refresh);
    }
}

std::array<LONG, kShotListColumns> SeriesViewLogic::MeasureColumns(DrawContext& context) const
{
    const ShotListColumns& table = ShotListColumnTable();
    std::array<LONG, kShotListColumns> widths{};
    // A long practice repeats the same few texts thousands of times, and each measure asks the font.
    std::unordered_map<std::pair<const platform::gfx::Font*, std::u16string_view>, LONG, CellTextHash> measured;
    const auto textWidth = [&](const CTextCell& cell) {
        if (cell.icon) {
            return cell.Measure(context).cx;
        }
        const auto [known, added] = measured.try_emplace({cell.font, cell.text}, 0);
        if (added) {
            known->second = cell.Measure(context).cx;
        }
        return known->second;
    };
    const auto widen = [&](const CStatisticsRow& row, bool shownOnly) {
        for (int column = 0; column < kShotListColumns; ++column) {
            const CTextCell& cell = row.cells[static_cast<std::size_t>(column)];
            if ((shownOnly && !table.shown(column)) || !cell.visible) {
                continue;
            }
            LONG& width = widths[static_cast<std::size_t>(column)];
            width = std::max(width, textWidth(cell) + 2 * cell.marginX);
        }
    };
    for (const CGroup& group : m_groups) {
        if (!group.visible) {
            continue;
        }
        for (const auto& serie : group.series) {
            if (!serie->visible) {
                continue;
            }
            if (serie->header.visible) {
                widen(serie->header, false);
            }
            if (serie->total.visible) {
                widen(serie->total, false);
            }
            for (const CStatisticsRow& row : serie->rows) {
                if (row.visible) {
                    widen(row, true);
                }
            }
        }
        widen(group.total, false);
    }
    return widths;
}

ShotListTarget SeriesViewLogic::ShotListColumnsAndTarget(DrawContext& context, LONG width, LONG line)
{
    ShotListColumns& table = ShotListColumnTable();
    std::array<LONG, kShotListColumns> widths = MeasureColumns(context);
    std::array<bool, kShotListColumns> shown{};
    LONG tableWidth = 0;
    int shownCount = 0;
    for (std::size_t column = 0; column < widths.size(); ++column) {
        shown[column] = table.shown(static_cast<int>(column));
        if (shown[column]) {
            tableWidth += widths[column];
            ++shownCount;
        }
    }
    tableWidth += kRowGap * std::max(0, shownCount - 1);

    float formWidth = 0;
    float formHeight = 0;
    const bool isBiathlon = biathlon();
    ComPtr<IEventParams> event;
    ComPtr<ITargetParams> face;
    if (isBiathlon && document()->GetEvent(event) && event && SUCCEEDED(event->get_Target(1, face.put())) && face) {
        (void)face->get_FormWidth(&formWidth); // An unreadable form gives the plate no height.
        (void)face->get_FormHeight(&formHeight);
    }
    const ShotListTarget target = ShotListTargetSize(width, tableWidth, line, isBiathlon, formWidth, formHeight);
    if (!target.sideBySide) {
        SpreadSpareWidth(widths, shown, width - tableWidth);
    }
    for (std::size_t column = 0; column < widths.size(); ++column) {
        table.columns[column].width = widths[column];
    }
    return target;
}

LONG SeriesViewLogic::PlaceSerie(CSerie& serie, const ShotListTarget& target, LONG y, LONG width, LONG line,
                                 DrawContext& context)
{
    serie.targetRect = {0, y, target.width, y + target.height};
    LONG x = 0;
    if (target.sideBySide) {
        x = target.width;
    } else {
        const LONG shift = std::max<LONG>(0, (width - target.width) / 2);
        serie.targetRect.left += shift;
        serie.targetRect.right += shift;
        y = serie.targetRect.bottom + kRowGap;
    }
    serie.header.Layout({x, y}, 0, context);
    Rect rows = serie.header.rect;
    LONG bottom = serie.header.rect.bottom;
    for (CStatisticsRow& row : serie.rows) {
        if (row.visible) {
            row.Layout({x, bottom + kRowGap}, line, context);
            bottom = row.rect.bottom;
            rows = united(rows, row.rect);
        }
    }
    if (serie.total.visible) {
        serie.total.Layout({x, bottom + kRowGap}, 0, context);
        rows = united(rows, serie.total.rect);
    }
    serie.rect = united(serie.targetRect, rows);
    return rows.right;
}

void SeriesViewLogic::LayoutShotList(bool refresh)
{
    DrawContext& context = m_services.host.measureContext();
    const Size client = m_services.host.clientSize();
    const LONG width = client.cx;
    const LONG line = lineHeight();
    const ShotListTarget target = ShotListColumnsAndTarget(context, width, line);
    LONG y = 0;
    LONG rightmost = 0;
    for (CGroup& group : m_groups) {
        if (!group.visible) {
            continue;
        }
        if (y > 0) {
            y += 15 * line / 10;
        }
        const Size title = group.title.MeasureWithMargins(context);
        group.title.rect = {0, y, std::max(title.cx, width), y + title.cy};
        group.rect = group.title.rect;
        y = group.title.rect.bottom;
        bool first = true;
        for (const auto& serie : group.series) {
            if (!serie->visible) {
                continue;
            }
            y += first ? 0 : line / 2;
            first = false;
            rightmost = std::max(rightmost, PlaceSerie(*serie, target, y, width, line, context));
            group.rect = united(group.rect, serie->rect);
            y = serie->rect.bottom;
        }
        if (group.total.visible) {
            group.total.Layout({target.sideBySide ? target.width : 0, y + kRowGap}, 0, context);
            group.rect = united(group.rect, group.total.rect);
            rightmost = std::max(rightmost, group.total.rect.right);
            y = group.total.rect.bottom;
        }
    }
    m_shotListExtent = {rightmost, y};
    m_shotListWidth = width;
    FitShotList(refresh);
}

void SeriesViewLogic::FitShotList(bool refresh)
{
    const Size client = m_services.host.clientSize();
    m_bars.verticalShown = true;
    m_bars.verticalMaximum = m_shotListExtent.cy - 1;
    m_bars.verticalPage = client.cy;
    m_bars.horizontalMaximum = m_shotListExtent.cx - 1;
    m_bars.horizontalPage = client.cx;
    m_bars.verticalPosition = ClampScroll(m_bars.verticalPosition, m_bars.verticalMaximum, m_bars.verticalPage);
    m_bars.horizontalPosition = ClampScroll(m_bars.horizontalPosition, m_bars.horizontalMaximum, m_bars.horizontalPage);
    m_services.host.setScrollBars(m_bars);
    PlaceWindows(refresh);
    EnsureSelectionVisible();
    m_services.host.repaint(nullptr);
}

void SeriesViewLogic::OnSize()
{
    // The shot list's rows follow its width alone: a new height (a scroll bar or a tool bar coming) moves only the
    // bars and the blocks in view.
    const Size client = m_services.host.clientSize();
    if (m_shotListMode && !m_layoutPending && m_shotListWidth == client.cx && client.cy > 0 &&
        m_services.host.shown()) {
        FitShotList(false);
        return;
    }
    Layout(false);
}

void SeriesViewLogic::PlaceWindows(bool refresh)
{
    const Size client = m_services.host.clientSize();
    const Rect view{0, 0, client.cx, client.cy};
    for (int g = 0; g < 2; ++g) {
        for (const auto& serie : m_groups[static_cast<std::size_t>(g)].series) {
            if (!serie->visible) {
                continue;
            }
            const Rect placed = m_shotListMode ? ToClient(serie->targetRect) : serie->targetRect;
            // A long practice has hundreds of blocks and a pane shows a few: a window is made as its block comes
            // into view, and then kept.
            const bool made = !serie->window;
            if (made && (placed.width() <= 0 || placed.height() <= 0 || !view.intersects(placed))) {
                continue;
            }
            SerieWindow* window = EnsureSerieWindow(*serie, g);
            if (!window) {
                continue;
            }
            window->setGeometry(placed);
            if (made) {
                window->setVisible(true);
            } else if (refresh && window->target()) {
                (void)window->target()->Refresh(); // Cannot fail for a live control.
            }
        }
    }
}

void SeriesViewLogic::LayoutSeries(bool refresh)
{
    m_bars = SeriesScrollBars{};
    m_bars.verticalShown = false;
    m_services.host.setScrollBars(m_bars);
    const Size client = m_services.host.clientSize();
    int count = 0;
    for (const CGroup& group : m_groups) {
        for (const auto& serie : group.series) {
            count += serie->visible ? 1 : 0;
        }
    }
    if (count == 0) {
        m_services.host.repaint(nullptr);
        return;
    }
    const SeriesGrid grid = ChooseSeriesGrid(count, client.cx, client.cy);
    int placed = 0;
    for (const CGroup& group : m_groups) {
        for (const auto& serie : group.series) {
            if (!serie->visible) {
                continue;
            }
            const LONG left = (placed % grid.columns) * (grid.cellWidth + kSeriesGridGap);
            const LONG top = (placed / grid.columns) * (grid.cellHeight + kSeriesGridGap);
            serie->targetRect = {left, top, left + grid.cellWidth, top + grid.cellHeight};
            ++placed;
        }
    }
    PlaceWindows(refresh);
    m_services.host.repaint(nullptr);
}

void SeriesViewLogic::ZoomTargets(bool sighting, bool match)
{
    ComPtr<IEventParams> event;
    if (!documentValid() || !document()->GetEvent(event) || !event) {
        return;
    }
    ComPtr<ITargetParams> face;
    (void)event->get_Target(1, face.put()); // Without a face nothing snaps.
    const bool isBiathlon = biathlon();
    for (int g = 0; g < 2; ++g) {
        ComPtr<IShotCollection> shots;
        if (!(g == kSighting ? sighting : match) ||
            !(g == kSighting ? document()->GetSightingShots(shots) : document()->GetMatchShots(shots)) || !shots) {
            continue;
        }
        float halfWidth = 0;
        float halfHeight = 0;
        if (isBiathlon && face) {
            (void)face->get_FormWidth(&halfWidth); // Unreadable: the control keeps its zoom.
            (void)face->get_FormHeight(&halfHeight);
            halfWidth /= 2;
            halfHeight /= 2;
        } else if (!isBiathlon) {
            const auto [extentX, extentY] = shotExtents(*shots, m_displayTraces);
            float calibre = 0;
            (void)event->get_DisplayCaliber(&calibre);
            if (calibre == 0) {
                (void)event->get_Caliber(&calibre);
            }
            const LONG innerRing = m_services.options.advancedMode ? 9 : 7;
            halfWidth = RingRadiusHolding(face.get(), innerRing, extentX + calibre / 2);
            halfHeight = RingRadiusHolding(face.get(), innerRing, extentY + calibre / 2);
        }
        GroupZoom& zoom = m_zooms[static_cast<std::size_t>(g)];
        zoom = {std::array{-halfWidth, -halfHeight, 2 * halfWidth, 2 * halfHeight}, std::nullopt};
        for (const auto& serie : m_groups[static_cast<std::size_t>(g)].series) {
            if (ITarget* target = targetOf(*serie)) {
                ApplyZoom(*target, zoom);
            }
        }
    }
}

bool SeriesViewLogic::SetTargetsZoom(float zoom)
{
    if (!documentValid()) {
        return false;
    }
    for (int g = 0; g < 2; ++g) {
        ComPtr<IShotCollection> shots;
        if (!(g == kSighting ? document()->GetSightingShots(shots) : document()->GetMatchShots(shots)) || !shots) {
            continue;
        }
        m_zooms[static_cast<std::size_t>(g)].factor = zoom;
        for (const auto& serie : m_groups[static_cast<std::size_t>(g)].series) {
            if (ITarget* target = targetOf(*serie)) {
                (void)target->put_Zoom(zoom); // A factor the control refuses keeps its zoom.
            }
        }
    }
    return true;
}

void SeriesViewLogic::ApplyBreachColors()
{
    for (const CGroup& group : m_groups) {
        for (const auto& serie : group.series) {
            if (ITarget* target = targetOf(*serie)) {
                (void)target->put_BreachColor(m_services.options.breachColor);
                (void)target->put_SelectedBreachColor(m_services.options.selectedBreachColor);
                (void)target->Refresh();
            }
        }
    }
}

void SeriesViewLogic::SetShotListMode(bool shotList)
{
    if (shotList == m_shotListMode) {
        return;
    }
    m_shotListMode = shotList;
    UpdateVisibility();
    Layout(false);
}

void SeriesViewLogic::SetDisplayTraces(bool display)
{
    if (display == m_displayTraces) {
        return;
    }
    m_displayTraces = display;
    for (const CGroup& group : m_groups) {
        for (const auto& serie : group.series) {
            if (ITarget* target = targetOf(*serie)) {
                (void)target->put_DisplayTrace(display ? VARIANT_TRUE : VARIANT_FALSE); // Cannot fail.
            }
        }
    }
    ZoomTargets(true, true);
}

Rect SeriesViewLogic::ToClient(const Rect& content) const
{
    return content.translated({-m_bars.horizontalPosition, -m_bars.verticalPosition});
}

void SeriesViewLogic::RepaintRow(const CStatisticsRow& row)
{
    if (row.visible) {
        const Rect client = ToClient(row.rect);
        m_services.host.repaint(&client);
    }
}

void SeriesViewLogic::RepaintShotRow(IShot* shot)
{
    for (const CGroup& group : m_groups) {
        for (const auto& serie : group.series) {
            for (const CStatisticsRow& row : serie->rows) {
                if (row.shot.get() == shot) {
                    RepaintRow(row);
                    return;
                }
            }
        }
    }
}

void SeriesViewLogic::SetCurrentShot(IShot* shot, bool fromKeyboard, bool force)
{
    if (shot == m_current.get() && !force) {
        return;
    }
    const bool changed = shot != m_current.get();
    m_current = ComPtr<IShot>(shot);
    for (const CGroup& group : m_groups) {
        for (const auto& serie : group.series) {
            for (CStatisticsRow& row : serie->rows) {
                const bool select = shot && row.shot.get() == shot;
                if (select != row.selected) {
                    row.SetSelected(select);
                    RepaintRow(row);
                }
            }
            if (ITarget* target = targetOf(*serie)) {
                (void)target->put_SelectedShot(shot); // A shot the control lacks selects nothing.
            }
        }
    }
    EnsureSelectionVisible();
    if (changed && fromKeyboard) {
        m_keyboardPending = true;
        m_timers.start(kSelectionTimer, KeyboardSelectionDelay(m_services.keyboardDelay));
        ArmTimers();
    }
}

void SeriesViewLogic::ArmTimers()
{
    m_services.host.timersChanged(m_timers.nextDeadline());
}

void SeriesViewLogic::OnTimers()
{
    for (const int id : m_timers.due()) {
        if (id != kSelectionTimer) {
            continue;
        }
        m_timers.kill(kSelectionTimer);
        if (m_keyboardPending && document()) {
            m_keyboardPending = false;
            (void)document()->SetCurrentShot(m_current.get(), this); // Already current: nobody to tell.
        }
    }
    ArmTimers();
}

bool SeriesViewLogic::ScrollBy(LONG dx, LONG dy, bool apply)
{
    const LONG x = ClampScroll(m_bars.horizontalPosition + dx, m_bars.horizontalMaximum, m_bars.horizontalPage);
    const LONG y = ClampScroll(m_bars.verticalPosition + dy, m_bars.verticalMaximum, m_bars.verticalPage);
    if (x == m_bars.horizontalPosition && y == m_bars.verticalPosition) {
        return false;
    }
    if (apply) {
        m_bars.horizontalPosition = x;
        m_bars.verticalPosition = y;
        m_services.host.setScrollBars(m_bars);
        PlaceWindows(false);
        m_services.host.repaint(nullptr);
    }
    return true;
}

void SeriesViewLogic::OnScrollTo(bool vertical, LONG position)
{
    if (vertical) {
        (void)ScrollBy(0, position - m_bars.verticalPosition, true); // Already there: nothing to do.
    } else {
        (void)ScrollBy(position - m_bars.horizontalPosition, 0, true);
    }
}

bool SeriesViewLogic::ScrollIntoView(const Rect& rect, bool force)
{
    const auto position = talvodesk::ScrollIntoView(rect.top, rect.bottom, m_bars.verticalPosition,
                                                    m_services.host.clientSize().cy, force);
    if (!position) {
        return false;
    }
    (void)ScrollBy(0, *position - m_bars.verticalPosition, true); // In view already: nothing moves.
    return true;
}

void SeriesViewLogic::EnsureSelectionVisible()
{
    if (!m_shotListMode) {
        return;
    }
    for (const CGroup& group : m_groups) {
        if (!group.visible) {
            continue;
        }
        std::vector<const CSerie*> visibleSeries;
        for (const auto& serie : group.series) {
            if (serie->visible) {
                visibleSeries.push_back(serie.get());
            }
        }
        for (std::size_t k = 0; k < visibleSeries.size(); ++k) {
            const CSerie& serie = *visibleSeries[k];
            const CStatisticsRow* selected = nullptr;
            Rect shotRows;
            for (const CStatisticsRow& row : serie.rows) {
                if (row.visible) {
                    shotRows = united(shotRows, row.rect);
                    if (row.selected && !selected) {
                        selected = &row;
                    }
                }
            }
            if (!selected) {
                continue;
            }
            const Rect rowsAndTotal = united(shotRows, serie.total.rect);
            const Rect table = united(serie.header.rect, rowsAndTotal);
            std::vector<Rect> tries;
            const std::size_t m = group.series.size();
            if (m == 1) {
                tries.push_back(group.rect);
                tries.push_back(united(serie.rect, group.total.rect));
            } else if (k == 0) {
                tries.push_back(united(serie.rect, group.title.rect));
            } else if (k == m - 1) {
                tries.push_back(united(serie.rect, group.total.rect));
            }
            tries.insert(tries.end(), {serie.rect, united(serie.targetRect, table), table, rowsAndTotal, shotRows});
            for (const Rect& rect : tries) {
                if (ScrollIntoView(rect, false)) {
                    return;
                }
            }
            (void)ScrollIntoView(selected->rect, true); // Forced: always true.
            return;
        }
    }
}

const CStatisticsRow* SeriesViewLogic::RowAt(Point client) const
{
    const Point point{client.x + m_bars.horizontalPosition, client.y + m_bars.verticalPosition};
    if (!m_shotListMode) {
        return nullptr;
    }
    for (const CGroup& group : m_groups) {
        if (!group.visible || !contains(group.rect, point)) {
            continue;
        }
        for (const auto& serie : group.series) {
            if (!serie->visible || !contains(serie->rect, point)) {
                continue;
            }
            for (const CStatisticsRow& row : serie->rows) {
                const Rect grown{row.rect.left, row.rect.top - kHitSlack, row.rect.right, row.rect.bottom + kHitSlack};
                if (row.visible && contains(grown, point)) {
                    return &row;
                }
            }
        }
    }
    return nullptr;
}

void SeriesViewLogic::OnMouse(Mouse kind, Point client)
{
    const CStatisticsRow* row = RowAt(client);
    m_services.host.setRowCursor(row != nullptr);
    if (!row || kind == Mouse::Move || !document()) {
        return;
    }
    const ComPtr<IShot> shot = row->shot;         // The row may be rebuilt while the document tells the views.
    (void)document()->SetCurrentShot(shot.get()); // Already current: nothing to tell.
    if (kind == Mouse::DoubleClick) {
        (void)document()->StartReplay(); // A refused replay leaves the shot selected.
    } else if (kind == Mouse::RightDown) {
        OnContextMenu();
    }
}

void SeriesViewLogic::OnContextMenu()
{
    ComPtr<IShot> current;
    if (documentValid() && document()->GetCurrentShot(current) && current) {
        m_services.host.showShotMenu();
    }
}

void SeriesViewLogic::OnMouseWheel(int delta, int lines)
{
    const LONG dy = m_wheel.scroll(delta, lines);
    for (LONG moved = 0; moved != dy; moved += (dy > 0 ? WheelAccumulator::kStep : -WheelAccumulator::kStep)) {
        (void)ScrollBy(0, dy > 0 ? WheelAccumulator::kStep : -WheelAccumulator::kStep, true); // Stops at an end.
    }
}

bool SeriesViewLogic::TranslateNavigationKey(std::uint32_t virtualKey)
{
    const SeriesKey key = MapSeriesKey(virtualKey);
    switch (key.action) {
    case SeriesKey::Action::None:
        return false;
    case SeriesKey::Action::Replay:
        if (document()) {
            (void)document()->StartReplay(); // Without a current shot nothing replays.
        }
        return true;
    case SeriesKey::Action::Scroll:
        (void)ScrollBy(key.amount, 0, true); // At the end already: nothing moves.
        return true;
    case SeriesKey::Action::Step: {
        ComPtr<IShot> next;
        if (!document() || !document()->NavigateShot(m_current.get(), next, key.amount) || !next) {
            return false;
        }
        SetCurrentShot(next.get(), true, false);
        return true;
    }
    }
    return false;
}

void SeriesViewLogic::OnShow()
{
    if (m_layoutPending) {
        Layout(true); // The targets may have changed while hidden.
    }
}

void SeriesViewLogic::OnFocus(bool focused)
{
    ShotListColumnTable().viewFocused = focused;
    ComPtr<IShot> current;
    if (documentValid() && document()->GetCurrentShot(current) && current) {
        RepaintShotRow(current.get());
    }
}

void SeriesViewLogic::Paint(DrawContext& context, const Rect* update) const
{
    StateSaver saved(context);
    context.setViewportOrigin({-m_bars.horizontalPosition, -m_bars.verticalPosition});
    std::optional<Rect> content;
    if (update) {
        content = update->translated({m_bars.horizontalPosition, m_bars.verticalPosition});
    }
    for (const CGroup& group : m_groups) {
        group.DrawIfVisible(context, content ? &*content : nullptr);
    }
}

} // namespace talvodesk
