#include "talvodesk/core/analysis/chart/DistanceGraph.h"

#include "talvodesk/core/analysis/SeriesRules.h"
#include "talvodesk/core/analysis/chart/ChartStrings.h"
#include "talvodesk/core/analysis/chart/GraphParts.h"
#include "talvodesk/core/document/EventCodes.h"
#include "talvodesk/core/document/ShotFacts.h"
#include "talvodesk/core/document/TalvoData.h"

#include "interfaces/talvodata/IAimingTrace.h"
#include "interfaces/talvodata/IEventParams.h"
#include "interfaces/talvodata/IRange.h"
#include "interfaces/talvodata/IShot.h"
#include "interfaces/talvodata/ITargetParams.h"
#include "platform/com/Bstr.h"
#include "platform/com/ComPtr.h"
#include "platform/text/Ascii.h"
#include "platform/text/Printf.h"

#include <cmath>

namespace talvodesk {

using platform::com::ComPtr;

namespace {

constexpr std::int32_t kWidth = 15;
constexpr COLORREF kRed = 0x0000FF;
constexpr COLORREF kBlue = 0xFF0000;
constexpr COLORREF kGreen = 0x00C000;
constexpr float kAfterShot = 0.3F;

/// Labels a radius on both charts: above and below zero on the displacement chart, above on the distance chart.
void addRadius(CChartImpl& displacement, CChartImpl& distance, float radius, const std::u16string& text)
{
    displacement.AddLabel(0, radius, text, true);
    displacement.AddLabel(0, -radius, text, true);
    distance.AddLabel(0, radius, text, true);
}

/// The trace's "_trigger" data index; 0 without one.
LONG triggerIndexOf(IShot* shot)
{
    ComPtr<IAimingTrace> trace;
    LONG index = 0;
    if (FAILED(shot->get_Trace(trace.put())) || !trace ||
        FAILED(trace->GetUserData(platform::com::Bstr(u"_trigger").get(), &index))) {
        return 0;
    }
    return index;
}

} // namespace

DistanceGraph::DistanceGraph(ChartServices services) : m_services(services)
{
    m_displacement.AddSeries(kDisplacementX, kRed, kWidth, true);
    m_displacement.AddSeries(kDisplacementY, kBlue, kWidth, true);
    m_distance.AddSeries(kAbsoluteDistance, kBlue, kWidth, true);
    m_distance.AddSeries(kTrigger, kGreen, kWidth, true);
    LoadTexts();
}

void DistanceGraph::LoadTexts()
{
    m_displacement.SetSeriesName(kDisplacementX, ChartText(m_services, chartstrings::kDisplacementX));
    m_displacement.SetSeriesName(kDisplacementY, ChartText(m_services, chartstrings::kDisplacementY));
    m_distance.SetSeriesName(kAbsoluteDistance, ChartText(m_services, chartstrings::kAbsoluteDistance));
    m_distance.SetSeriesName(kTrigger, ChartText(m_services, chartstrings::kTrigger));
    for (CChartImpl* chart : {&m_displacement, &m_distance}) {
        chart->m_xTitle = ChartText(m_services, chartstrings::kTimeBeforeShot);
        chart->m_yTitle = ChartText(m_services, chartstrings::kDistance);
        CreateChartFonts(*chart, m_services);
    }
}

void DistanceGraph::Recalculate()
{
    m_displacement.ClearSeries(kDisplacementX);
    m_displacement.ClearSeries(kDisplacementY);
    m_distance.ClearSeries(kAbsoluteDistance);
    m_distance.ClearSeries(kTrigger);

    CTalvoData& document = m_services.document;
    ComPtr<IShot> shot;
    if (!document.IsValid() || !document.GetCurrentShot(shot) || !shot || isMissed(shot.get())) {
        return;
    }
    for (CChartImpl* chart : {&m_displacement, &m_distance}) {
        chart->ClearLabels();
        chart->ClearBands();
    }
    ComPtr<IEventParams> event;
    ComPtr<ITargetParams> target;
    if (!document.GetEvent(event) || !event ||
        FAILED(event->get_Target(subTargetOf(shot.get()).value_or(0), target.put()))) {
        target.reset();
    }
    const ControlWindow window = ControlWindowOf(document, m_services.options);

    ComPtr<IRange> range;
    LONG first = 0;
    LONG last = -1;
    if (FAILED(shot->Range(-window.t, kAfterShot, range.put())) || !range || FAILED(range->get_First(&first)) ||
        FAILED(range->get_Last(&last))) {
        range.reset();
    }
    const float largest = range && first <= last ? plotDistances(*range, first, last) : 0;
    const float m = labelRadii(event.get(), target.get(), largest);
    for (CChartImpl* chart : {&m_displacement, &m_distance}) {
        AddControlBand(*chart, window.t0);
        AddTimeTicks(*chart, window.t);
        chart->m_xMin = -window.t;
        chart->m_xMax = kAfterShot;
        chart->m_yMax = m;
    }
    m_distance.m_yMin = 0;
    m_displacement.m_yMin = -m;
    plotTrigger(shot.get(), range.get(), first, last, m);
}

float DistanceGraph::plotDistances(IRange& range, LONG first, LONG last)
{
    const LONG reference = first <= 0 && 0 <= last ? 0 : last;
    float x = 0;
    float y = 0;
    LONG area = 0;
    float cx = 0;
    float cy = 0;
    (void)range.get_x(reference, &x); // An unreadable sample centres on (0, 0).
    (void)range.get_y(reference, &y);
    if (FAILED(range.GetNearestArea(x, y, &area, &cx, &cy))) {
        cx = 0;
        cy = 0;
    }
    float m = 0;
    for (LONG i = first; i <= last; ++i) {
        float seconds = 0;
        if (FAILED(range.get_x(i, &x)) || FAILED(range.get_y(i, &y)) || FAILED(range.Index2Sec(i, &seconds))) {
            continue;
        }
        const float r = std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy));
        m_distance.AddPoint(kAbsoluteDistance, seconds, r);
        m_displacement.AddPoint(kDisplacementX, seconds, cx - x);
        m_displacement.AddPoint(kDisplacementY, seconds, cy - y);
        if (i <= 0 && std::fabs(r) > m) {
            m = std::fabs(r);
        }
    }
    return m;
}

float DistanceGraph::labelRadii(IEventParams* event, ITargetParams* target, float largest)
{
    if (m_services.document.GetEventCode() == kBiathlonEventCode) {
        const float standing = AreaRadius(event, 1, 1);
        const float prone = AreaRadius(event, 2, 2);
        addRadius(m_displacement, m_distance, standing, ChartText(m_services, chartstrings::kStanding));
        addRadius(m_displacement, m_distance, prone, ChartText(m_services, chartstrings::kProne));
        return std::max(largest, standing);
    }
    const float top = RingRadiusHolding(target, /*innerRing=*/8, largest);
    for (LONG score = 1; target && score <= 10; ++score) {
        float diameter = 0;
        if (SUCCEEDED(target->get_Ring(score, &diameter)) && diameter != 0) {
            addRadius(m_displacement, m_distance, diameter / 2,
                      platform::text::widenAscii(platform::text::formatC("%i", score)));
        }
    }
    return top;
}

void DistanceGraph::plotTrigger(IShot* shot, IRange* range, LONG first, LONG last, float top)
{
    // A pressure of 0 at the shot gives no scale to draw the curve against.
    const LONG trigger = range ? triggerIndexOf(shot) : 0;
    LONG reference = 0;
    if (trigger > 0 && SUCCEEDED(range->get_UserData(trigger, 0, &reference)) && reference < 0) {
        reference = 1;
    }
    const bool pressure = trigger > 0 && reference != 0;
    m_distance.ShowSeries(kTrigger, pressure);
    if (!pressure) {
        return;
    }
    for (LONG i = first; i <= last; ++i) {
        LONG value = 0;
        float seconds = 0;
        if (SUCCEEDED(range->get_UserData(trigger, i, &value)) && SUCCEEDED(range->Index2Sec(i, &seconds))) {
            m_distance.AddPoint(kTrigger, seconds,
                                static_cast<float>(value) * top / (static_cast<float>(reference) * 1.2F));
        }
    }
    const double height = m_distance.m_yMax - m_distance.m_yMin;
    for (int k = 20; k <= 120; k += 20) {
        m_distance.AddLabel(m_distance.m_xMin, k * height / 120 + m_distance.m_yMin,
                            platform::text::widenAscii(platform::text::formatC("%i%%", k)), true);
    }
}

} // namespace talvodesk
