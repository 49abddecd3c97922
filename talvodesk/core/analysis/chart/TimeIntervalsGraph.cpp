#include "talvodesk/core/analysis/chart/TimeIntervalsGraph.h"

#include "talvodesk/core/analysis/chart/ChartStrings.h"
#include "talvodesk/core/analysis/chart/GraphParts.h"
#include "talvodesk/core/document/EventCodes.h"
#include "talvodesk/core/document/ShotFacts.h"
#include "talvodesk/core/document/TalvoData.h"
#include "talvodesk/core/options/AppModule.h"
#include "talvodesk/core/options/TextFormat.h"

#include "interfaces/talvodata/IAiming.h"
#include "interfaces/talvodata/IAimingAttr.h"
#include "interfaces/talvodata/IEventParams.h"
#include "interfaces/talvodata/IRange.h"
#include "interfaces/talvodata/IShot.h"
#include "platform/com/ComPtr.h"
#include "platform/com/ObjectIdentity.h"
#include "platform/text/Ascii.h"
#include "platform/text/Printf.h"

#include <algorithm>
#include <cmath>

namespace talvodesk {

using platform::com::ComPtr;
using platform::com::isSameObject;

namespace {

constexpr COLORREF kRed = 0x0000FF;
constexpr COLORREF kGreen = 0x00FF00;
constexpr COLORREF kGrey = 0xC0C0C0;
constexpr std::int32_t kBarWidth = 25;
constexpr std::int32_t kStageWidth = 15;
/// The best result as a float, the top of the result axis.
constexpr double kTop = double{10.9F};
/// Half a minute's rounding must not move the first and last labels off their bars.
constexpr double kEdge = 1e-7;
constexpr double kMinutesPerDay = 1440;
constexpr double kSecondsPerDay = 86400;

} // namespace

void AddElapsedLabels(CChartImpl& chart, double start, double end, double unitsPerDay, double level)
{
    const double span = end - start;
    // Counted in whole units, so a span that is a whole number of them only in days (20 s as
    // 2.3148148148148148e-4 plus a rounding) gets no extra label just before the last; in double, as the shot times
    // of a hostile practice may lie 1e300 days apart, where no integer holds the units.
    const double units = std::nearbyint(span * unitsPerDay); // ties to even
    const double step = std::max(std::trunc(units / 5), 1.0);
    for (double x = step; std::isfinite(units) && x < units - step; x += step) {
        const double at = x / unitsPerDay;
        chart.AddLabel(start + at, level, FormatDuration(at, /*shortForm=*/true), true);
    }
    chart.AddLabel(start + kEdge, level, u"00:00", true);
    chart.AddLabel(end - kEdge, level, FormatDuration(span, /*shortForm=*/true), true);
}

float StageBarHeight(float distance, float plateRadius, bool hit)
{
    constexpr float kMiss = 25;
    constexpr float kRise = 70;
    if (!hit || plateRadius <= 0) {
        return kMiss;
    }
    return kMiss + kRise * (plateRadius - distance) / plateRadius;
}

TimeIntervalsGraph::TimeIntervalsGraph(ChartServices services) : m_services(services)
{
    LoadTexts();
}

std::u16string TimeIntervalsGraph::ShotLegend(std::uint32_t id, DATE time) const
{
    std::u16string text = ChartText(m_services, id) + u" ";
    FormatDate(text, time, m_services.module ? m_services.module->m_lcid : kEnglishUnitedStates);
    return text;
}

void TimeIntervalsGraph::LoadTexts()
{
    m_chart.m_xTitle = ChartText(m_services, chartstrings::kTimeTitle);
    m_chart.m_yTitle = ChartText(m_services, chartstrings::kResultTitle);
    if (m_first != 0) {
        m_chart.SetSeriesName(1, ShotLegend(chartstrings::kFirstShot, m_first));
    }
    if (m_last != 0 && m_count > 1) {
        m_chart.SetSeriesName(static_cast<std::int32_t>(m_count), ShotLegend(chartstrings::kLastShot, m_last));
    }
    m_chart.SetSeriesName(kPulse, ChartText(m_services, chartstrings::kPulse));
    CreateChartFonts(m_chart, m_services);
}

void TimeIntervalsGraph::Recalculate()
{
    m_chart.ClearAll();
    m_first = 0;
    m_last = 0;
    m_count = 0;
    CTalvoData& document = m_services.document;
    if (!document.IsValid()) {
        return;
    }
    if (m_services.frame) {
        m_services.frame->SetWaitCursor(true);
    }
    if (document.GetEventCode() == kBiathlonEventCode) {
        StageChart();
    } else {
        MatchChart();
    }
    if (m_services.frame) {
        m_services.frame->SetWaitCursor(false);
    }
}

bool TimeIntervalsGraph::IsCurrent(IShot* shot) const
{
    ComPtr<IShot> current;
    return m_services.document.GetCurrentShot(current) && current && isSameObject(shot, current.get());
}

COLORREF TimeIntervalsGraph::BarColor(IShot* shot, float result) const
{
    if (IsCurrent(shot)) {
        return m_highlight;
    }
    return result >= 10.0F ? kRed : kGreen;
}

COLORREF TimeIntervalsGraph::StageColor(IShot* shot, bool currentAiming) const
{
    if (!currentAiming) {
        return kGrey;
    }
    return IsCurrent(shot) ? m_highlight : kGreen;
}

void TimeIntervalsGraph::MatchChart()
{
    CTalvoData& document = m_services.document;
    ComPtr<IShotCollection> shots;
    const long n = document.GetMatchShots(shots) ? countOf(shots.get()) : 0;
    if (n <= 1) {
        return;
    }
    m_count = n;
    float low = 9.0F;
    DATE first = 0;
    DATE last = 0;
    for (LONG i = 1; i <= n; ++i) {
        ComPtr<IShot> shot;
        if (FAILED(shots->get_Item(i, shot.put())) || !shot) {
            continue;
        }
        const float result = resultOf(shot.get());
        if (!isMissed(shot.get()) && result < low) {
            low = result;
        }
        const DATE t = shotTimeOf(shot.get());
        m_chart.AddSeries(i, BarColor(shot.get(), result), kBarWidth, true);
        m_chart.AddPoint(i, t, 0);
        m_chart.AddPoint(i, t, result);
        if (i == 1) {
            first = m_first = t;
            m_chart.SetSeriesName(i, ShotLegend(chartstrings::kFirstShot, t));
        }
        if (i == n) {
            last = m_last = t;
            m_chart.SetSeriesName(i, ShotLegend(chartstrings::kLastShot, t));
        }
    }
    low = std::max(low - 1, 0.0F);

    m_chart.m_xMin = first;
    m_chart.m_xMax = last;
    m_chart.m_yMin = low;
    m_chart.m_yMax = kTop;
    m_chart.m_xAxisLevel = low;
    m_chart.m_yAxisLevel = last;
    m_chart.AddLabel(last, kTop, u"10.9", true);
    for (int k = 1; k <= 10; ++k) {
        m_chart.AddLabel(last, k, platform::text::widenAscii(platform::text::formatC("%i", k)), true);
    }
    AddElapsedLabels(m_chart, first, last, kMinutesPerDay, low);

    PulseCurve(first, last, low);
}

void TimeIntervalsGraph::PulseCurve(DATE first, DATE last, float low)
{
    CTalvoData& document = m_services.document;
    const long readings = document.GetPulseCount();
    if (readings <= 0) {
        return;
    }
    long top = 100;
    for (long i = 0; i < readings; ++i) {
        DATE time = 0;
        long value = 0;
        if (document.GetPulseSample(i, time, value)) {
            top = std::max(top, value);
        }
    }
    // The pulse has a scale of its own: its largest reading (at least 100) stands at the top of the chart.
    const auto scaled = [&](long value) { return low + (kTop - low) * static_cast<double>(value) / top; };
    m_chart.AddSeries(kPulse, kGrey, 15, true);
    m_chart.SetSeriesName(kPulse, ChartText(m_services, chartstrings::kPulse));
    DATE time = 0;
    long value = 0;
    bool any = false;
    for (long i = 0; i < readings; ++i) {
        DATE readingTime = 0;
        long reading = 0;
        if (!document.GetPulseSample(i, readingTime, reading)) {
            continue;
        }
        if (any) {
            m_chart.AddPoint(kPulse, readingTime, scaled(value)); // held until this reading
        }
        m_chart.AddPoint(kPulse, readingTime, scaled(reading));
        time = readingTime;
        value = reading;
        any = true;
    }
    if (any && last > time) {
        m_chart.AddPoint(kPulse, last, scaled(value));
    }
    const long step = std::max(top / 10, 1L);
    for (long v = step; v <= top; v += step) {
        m_chart.AddLabel(first, scaled(v), platform::text::widenAscii(platform::text::formatC("%li", v)), true);
    }
}

void TimeIntervalsGraph::ForEachStageShot(const StageShot& visit)
{
    CTalvoData& document = m_services.document;
    ComPtr<IAimingCollection> aimings;
    ComPtr<IAiming> currentAiming;
    LONG count = 0;
    if (!document.GetMatchAimings(aimings) || !aimings || FAILED(aimings->get_Count(&count))) {
        return;
    }
    (void)document.GetCurrentAiming(currentAiming); // None: no stage is the current one.
    std::int32_t id = 0;
    for (LONG a = 1; a <= count; ++a) {
        ComPtr<IAiming> aiming;
        ComPtr<IAimingAttr> attributes;
        LONG shots = 0;
        DATE entry = 0;
        if (FAILED(aimings->get_Item(a, aiming.put())) || !aiming || FAILED(aiming->get_Attr(attributes.put())) ||
            !attributes || FAILED(attributes->get_EnterTime(&entry)) || FAILED(aiming->get_ShotCount(&shots))) {
            continue;
        }
        const bool current = currentAiming && isSameObject(aiming.get(), currentAiming.get());
        for (LONG k = 1; k <= shots; ++k) {
            ComPtr<IShot> shot;
            VARIANT_BOOL hidden = VARIANT_FALSE;
            if (FAILED(aiming->get_Shot(k, shot.put())) || !shot || FAILED(shot->get_Hidden(&hidden)) ||
                (hidden == VARIANT_TRUE && !document.IncludeHidden())) {
                continue;
            }
            visit(++id, shot.get(), current, entry);
        }
    }
}

void TimeIntervalsGraph::StageChart()
{
    ComPtr<IEventParams> event;
    (void)m_services.document.GetEvent(event); // Without it every bar stands at the miss level.
    double longest = 0;
    ForEachStageShot([&](std::int32_t id, IShot* shot, bool currentAiming, DATE entry) {
        const double t = shotTimeOf(shot) - entry;
        longest = std::max(longest, t);
        const bool hit = resultOf(shot) >= 1.0F;
        float distance = 0;
        float radius = 0;
        ComPtr<IRange> range;
        float x = 0;
        float y = 0;
        LONG area = 0;
        float cx = 0;
        float cy = 0;
        if (hit && SUCCEEDED(shot->Range(0, 0, range.put())) && range && SUCCEEDED(shot->Breach(&x, &y)) &&
            SUCCEEDED(range->GetNearestArea(x, y, &area, &cx, &cy))) {
            distance = std::hypot(x - cx, y - cy);
            radius = AreaRadius(event.get(), subTargetOf(shot).value_or(0), area);
        }
        m_chart.AddSeries(id, StageColor(shot, currentAiming), currentAiming ? kStageWidth : 0, true);
        m_chart.AddPoint(id, t, 0);
        m_chart.AddPoint(id, t, StageBarHeight(distance, radius, hit));
    });

    m_chart.m_xMin = 0;
    m_chart.m_xMax = longest;
    m_chart.m_yMin = 0;
    m_chart.m_yMax = 100;
    m_chart.m_xAxisLevel = 0;
    m_chart.m_yAxisLevel = longest;
    m_chart.m_baseWidth = kStageWidth;
    m_chart.AddLabel(0, 25, u"", true);
    m_chart.AddLabel(0, 95, u"", true);
    AddElapsedLabels(m_chart, 0, longest, kSecondsPerDay, 0);
}

void TimeIntervalsGraph::UpdateShotColors()
{
    CTalvoData& document = m_services.document;
    if (!document.IsValid()) {
        return;
    }
    if (document.GetEventCode() == kBiathlonEventCode) {
        ForEachStageShot([&](std::int32_t id, IShot* shot, bool currentAiming, DATE) {
            m_chart.SetSeriesColor(id, StageColor(shot, currentAiming));
            m_chart.SetSeriesWidth(id, currentAiming ? kStageWidth : 0);
        });
        return;
    }
    ComPtr<IShotCollection> shots;
    const long n = document.GetMatchShots(shots) ? countOf(shots.get()) : 0;
    for (LONG i = 1; n > 1 && i <= n; ++i) {
        ComPtr<IShot> shot;
        if (SUCCEEDED(shots->get_Item(i, shot.put())) && shot) {
            m_chart.SetSeriesColor(i, BarColor(shot.get(), resultOf(shot.get())));
        }
    }
}

void TimeIntervalsGraph::OnChartClick(std::int32_t id)
{
    CTalvoData& document = m_services.document;
    if (id < 1 || !document.IsValid() || document.GetEventCode() == kBiathlonEventCode) {
        return; // The pulse curve is no shot: the current one stays.
    }
    ComPtr<IShotCollection> shots;
    ComPtr<IShot> shot;
    const long n = document.GetMatchShots(shots) ? countOf(shots.get()) : 0;
    if (n > 1 && id <= n && SUCCEEDED(shots->get_Item(id, shot.put())) && shot) {
        document.SetCurrentShot(shot.get());
    }
}

} // namespace talvodesk
