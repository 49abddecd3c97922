#include "talvodesk/core/analysis/chart/SpeedGraph.h"

#include "talvodesk/core/analysis/chart/ChartStrings.h"
#include "talvodesk/core/analysis/chart/GraphParts.h"
#include "talvodesk/core/document/ShotFacts.h"
#include "talvodesk/core/document/TalvoData.h"

#include "interfaces/talvodata/IAimingTrace.h"
#include "interfaces/talvodata/IRange.h"
#include "interfaces/talvodata/IRangeCollection.h"
#include "interfaces/talvodata/IShot.h"
#include "interfaces/talvodata/IShotCollection.h"
#include "platform/com/ComPtr.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace talvodesk {

using platform::com::ComPtr;

namespace {

constexpr COLORREF kBlue = 0xFF0000;
constexpr COLORREF kRed = 0x0000FF;
constexpr float kAfterShot = 0.3F;
constexpr float kTopStep = 20;

/// The frame, band and labels both charts share; only the top differs.
void frameChart(CChartImpl& chart, const ControlWindow& window, float top)
{
    chart.m_xMin = -window.t;
    chart.m_xMax = kAfterShot;
    chart.m_yMin = 0;
    chart.m_yMax = top;
    chart.ClearLabels();
    chart.ClearBands();
    AddControlBand(chart, window.t0);
    AddTimeTicks(chart, window.t);
    const float step = top / 10;
    for (float y = step; y <= top; y += step) {
        chart.AddLabel(0, y, FormatTick(y), true);
    }
}

} // namespace

float SpeedTop(float highest)
{
    const float top = kTopStep * std::ceil(highest / kTopStep);
    return top == 0 ? kTopStep : top;
}

float AddTraceSpeed(IRange& range, CChartImpl& chart, std::int32_t id)
{
    ComPtr<IAimingTrace> trace;
    LONG base = 0;
    LONG first = 0;
    LONG last = -1;
    LONG rate = 0;
    if (FAILED(range.get_Trace(trace.put())) || !trace || FAILED(range.get_IndexBase(&base)) ||
        FAILED(range.get_First(&first)) || FAILED(range.get_Last(&last)) || FAILED(range.get_SampleRate(&rate))) {
        return 0;
    }
    const LONG step = std::max<LONG>(rate / 25, 1);
    float highest = 0;
    for (LONG j = first; j <= last; ++j) {
        const LONG partner = j > first + step ? j - step : j + step;
        LONG x = 0;
        LONG y = 0;
        LONG px = 0;
        LONG py = 0;
        float seconds = 0;
        // A short range has no partner for its first samples: the trace holds nothing valid there.
        if (partner > last || FAILED(trace->_GetPoint(base + j, &x, &y)) ||
            FAILED(trace->_GetPoint(base + partner, &px, &py)) || FAILED(range.Index2Sec(j, &seconds))) {
            continue;
        }
        const std::int64_t dx = std::int64_t{x} - px;
        const std::int64_t dy = std::int64_t{y} - py;
        // The squares are summed in double: across the whole plane they pass 64 bits, and below 2^53 they are exact.
        const double squared =
            static_cast<double>(dx) * static_cast<double>(dx) + static_cast<double>(dy) * static_cast<double>(dy);
        const float d = std::sqrt(static_cast<float>(squared));
        const float v = static_cast<float>(rate) * d / static_cast<float>(step * 100);
        if (j <= 0) {
            highest = std::max(highest, v);
        }
        chart.AddPoint(id, seconds, v);
    }
    return highest;
}

SpeedGraph::SpeedGraph(ChartServices services) : m_services(services)
{
    m_shots.AddSeries(kDocument, kBlue, 15, true);
    m_shots.AddSeries(kModel, kRed, 15, false);
    m_current.AddSeries(kCurrentShot, kBlue, 1, true);
    LoadTexts();
}

std::u16string SpeedGraph::Legend(int part) const
{
    const auto id = part == 0 ? chartstrings::kSpeedShots : chartstrings::kShiftModelShots;
    return ChartCountText(m_services, id, m_counts[part]);
}

void SpeedGraph::LoadTexts()
{
    m_shots.SetSeriesName(kDocument, Legend(0));
    m_shots.SetSeriesName(kModel, m_counts[1] == 0 ? std::u16string() : Legend(1));
    m_current.SetSeriesName(kCurrentShot, ChartText(m_services, chartstrings::kCurrentShot));
    for (CChartImpl* chart : {&m_shots, &m_current}) {
        chart->m_xTitle = ChartText(m_services, chartstrings::kTimeBeforeShotSec);
        chart->m_yTitle = ChartText(m_services, chartstrings::kSpeedTitle);
        CreateChartFonts(*chart, m_services);
    }
}

bool SpeedGraph::Recalculate(unsigned parts)
{
    CTalvoData& document = m_services.document;
    if (!document.IsValid()) {
        for (CChartImpl* chart : {&m_shots, &m_current}) {
            chart->ClearLabels();
            chart->ClearBands();
        }
        m_shots.ClearSeries(kDocument);
        m_shots.ClearSeries(kModel);
        m_current.ClearSeries(kCurrentShot);
        return false;
    }
    const ControlWindow window = ControlWindowOf(document, m_services.options);
    ChartProgress progress(m_services.frame, chartstrings::kCalculatingSpeed, 4);
    for (int part = 0; part < 2; ++part) {
        progress.Step();
        if ((parts & (part == 0 ? kDocumentPart : kModelPart)) != 0) {
            RecalculatePart(part, window.t);
            progress.Step();
        }
    }
    if ((parts & kCurrentShotPart) != 0) {
        RecalculateCurrentShot(window.t);
    }
    frameChart(m_shots, window, SpeedTop(std::max(m_highest[0], m_highest[1])));
    frameChart(m_current, window, SpeedTop(m_highest[2]));
    return true;
}

void SpeedGraph::RecalculatePart(int part, float window)
{
    const std::int32_t id = part == 0 ? kDocument : kModel;
    m_highest[part] = 0;
    m_counts[part] = 0;
    m_shots.ClearSeries(id);

    ComPtr<IShotCollection> shots;
    ComPtr<IRangeCollection> ranges;
    ComPtr<IRange> timeScale;
    LONG rangeCount = 0;
    LONG first = 0;
    LONG last = -1;
    if (MatchShotsOf(m_services.document, part != 0, shots)) {
        m_counts[part] = countOf(shots.get());
    }
    if (m_counts[part] > 0 && SUCCEEDED(shots->Range(-window, kAfterShot, ranges.put())) && ranges &&
        SUCCEEDED(ranges->get_Count(&rangeCount)) && rangeCount != 0 &&
        SUCCEEDED(ranges->get_Item(1, timeScale.put())) && timeScale && SUCCEEDED(ranges->get_RequestedFirst(&first)) &&
        SUCCEEDED(ranges->get_RequestedLast(&last)) && HasCurves(*ranges, first)) {
        for (LONG j = last; j >= first; --j) {
            float v = 0;
            float seconds = 0;
            if (FAILED(ranges->get_SpeedPoint(j, &v)) || FAILED(timeScale->Index2Sec(j, &seconds))) {
                continue;
            }
            if (j <= 0) {
                m_highest[part] = std::max(m_highest[part], v);
            }
            m_shots.AddPoint(id, seconds, v);
        }
    }
    m_shots.SetSeriesName(id, Legend(part));
}

void SpeedGraph::RecalculateCurrentShot(float window)
{
    m_highest[2] = 0;
    m_current.ClearSeries(kCurrentShot);
    ComPtr<IShot> shot;
    ComPtr<IRange> range;
    if (m_services.document.GetCurrentShot(shot) && shot && !isMissed(shot.get()) &&
        SUCCEEDED(shot->Range(-window, kAfterShot, range.put())) && range) {
        m_highest[2] = AddTraceSpeed(*range, m_current, kCurrentShot);
    }
    m_current.SetSeriesName(kCurrentShot, ChartText(m_services, chartstrings::kCurrentShot));
}

} // namespace talvodesk
