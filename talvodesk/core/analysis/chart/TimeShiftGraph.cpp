#include "talvodesk/core/analysis/chart/TimeShiftGraph.h"

#include "talvodesk/core/analysis/chart/ChartStrings.h"
#include "talvodesk/core/analysis/chart/GraphParts.h"
#include "talvodesk/core/document/EventCodes.h"
#include "talvodesk/core/document/ShotFacts.h"
#include "talvodesk/core/document/TalvoData.h"

#include "interfaces/talvodata/IEventParams.h"
#include "interfaces/talvodata/IRange.h"
#include "interfaces/talvodata/IRangeCollection.h"
#include "interfaces/talvodata/IShot.h"
#include "interfaces/talvodata/IShotCollection.h"
#include "platform/com/ComPtr.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace talvodesk {

using platform::com::ComPtr;

namespace {

constexpr std::int32_t kWidth = 15;
constexpr COLORREF kBlue = 0xFF0000;
constexpr COLORREF kRed = 0x0000FF;
constexpr float kAfterShot = 0.3F;
/// The most a shot can add to a total, for the bottom of the axis.
constexpr float kShotCeiling = 11;

bool multipleOfFive(float value)
{
    return static_cast<long>(value) % 5 == 0;
}

} // namespace

ShiftScale TimeShiftScale(const ShiftTotals& document, const ShiftTotals& model)
{
    ShiftScale scale;
    scale.top = document.count != 0 ? document.top : 0;
    if (model.count != 0 && model.top >= scale.top) {
        scale.top = model.top;
    }
    if (!multipleOfFive(scale.top)) {
        scale.top = std::trunc(scale.top / 5 + 1) * 5;
    }
    scale.bottom = static_cast<float>(std::max(document.count, model.count)) * kShotCeiling;
    scale.bottom = std::min({scale.bottom, document.lowest, model.lowest});
    if (!multipleOfFive(scale.bottom)) {
        scale.bottom = std::trunc(scale.bottom / 5) * 5;
    }
    // Missed shots alone add to the bottom but not to the top: the axis must not turn over.
    scale.bottom = std::clamp(scale.bottom, 0.0F, std::max(scale.top, 0.0F));
    return scale;
}

std::vector<float> ResultTicks(const ShiftScale& scale)
{
    float step = std::nearbyint((scale.top - scale.bottom) / 10); // ties to even
    if (step < 1) {
        step = 1;
    }
    std::vector<float> ticks;
    for (float y = std::trunc(scale.bottom) + step;; y += step) {
        if (scale.top - y > 0 && scale.top - y < step) {
            continue;
        }
        ticks.push_back(std::min(y, scale.top));
        if (ticks.back() == scale.top) {
            return ticks;
        }
    }
}

TimeShiftGraph::TimeShiftGraph(ChartServices services) : m_services(services)
{
    m_chart.AddSeries(kDocument, kBlue, kWidth, true);
    m_chart.AddSeries(kModel, kRed, kWidth, false);
    LoadTexts();
}

std::u16string TimeShiftGraph::Legend(int part) const
{
    const auto id = part == 0 ? chartstrings::kTimeShiftShots : chartstrings::kShiftModelShots;
    return ChartCountText(m_services, id, m_totals[part].count);
}

void TimeShiftGraph::LoadTexts()
{
    m_chart.m_xTitle = ChartText(m_services, chartstrings::kTimeBeforeShotSec);
    m_chart.m_yTitle = ChartText(m_services, chartstrings::kResultTitle);
    m_chart.SetSeriesName(kDocument, Legend(0));
    m_chart.SetSeriesName(kModel, m_totals[1].count == 0 ? std::u16string() : Legend(1));
    CreateChartFonts(m_chart, m_services);
}

bool TimeShiftGraph::Recalculate(unsigned parts, bool fractionMode)
{
    CTalvoData& document = m_services.document;
    if (!document.IsValid()) {
        m_chart.ClearLabels();
        m_chart.ClearBands();
        m_chart.ClearSeries(kDocument);
        m_chart.ClearSeries(kModel);
        return false;
    }
    ChartProgress progress(m_services.frame, chartstrings::kCalculatingTimeShift, 1);
    const ControlWindow window = ControlWindowOf(document, m_services.options);
    for (int part = 0; part < 2; ++part) {
        if ((parts & (part == 0 ? kDocumentPart : kModelPart)) != 0) {
            RecalculatePart(part, window.t, fractionMode, progress);
        }
    }

    m_chart.ClearLabels();
    m_chart.ClearBands();
    AddControlBand(m_chart, window.t0);
    const ShiftScale scale = TimeShiftScale(m_totals[0], m_totals[1]);
    for (const float y : ResultTicks(scale)) {
        m_chart.AddLabel(0, y, FormatTick(y), true);
    }
    AddTimeTicks(m_chart, window.t, scale.bottom);
    m_chart.m_xMin = -window.t;
    m_chart.m_xMax = kAfterShot;
    m_chart.m_yMin = scale.bottom;
    m_chart.m_yMax = scale.top;
    m_chart.m_xAxisLevel = scale.bottom;
    return true;
}

void TimeShiftGraph::RecalculatePart(int part, float window, bool fractionMode, ChartProgress& progress)
{
    ShiftTotals& totals = m_totals[part];
    const std::int32_t id = part == 0 ? kDocument : kModel;
    totals = {0, 0, FLT_MAX};
    m_chart.ClearSeries(id);

    CTalvoData& document = m_services.document;
    ComPtr<IEventParams> event;
    ComPtr<IShotCollection> shots;
    ComPtr<IRangeCollection> ranges;
    ComPtr<IRange> timeScale;
    LONG rangeCount = 0;
    LONG first = 0;
    LONG last = -1;
    if (document.GetEventCode() != kBiathlonEventCode && document.GetEvent(event) && event &&
        MatchShotsOf(document, part != 0, shots)) {
        totals.count = countOf(shots.get());
    }
    if (totals.count == 0 || FAILED(shots->Range(-window, kAfterShot, ranges.put())) || !ranges ||
        FAILED(ranges->get_Count(&rangeCount)) || rangeCount == 0 || FAILED(ranges->get_Item(1, timeScale.put())) ||
        !timeScale || FAILED(ranges->get_First(&first)) || FAILED(ranges->get_Last(&last)) || last < first) {
        m_chart.SetSeriesName(id, Legend(part));
        return;
    }

    progress.Restart(totals.count);
    const long fCoefficient = document.FCoefficient();
    std::vector<float> sums(static_cast<std::size_t>(last - first + 1), 0.0F);
    for (LONG k = 1; k <= totals.count; ++k) {
        progress.Step();
        ComPtr<IShot> shot;
        ComPtr<IRange> range;
        double phase = 1;
        if (FAILED(shots->get_Item(k, shot.put())) || !shot || isMissed(shot.get()) ||
            FAILED(shot->Range(0, 0, range.put())) || !range || FAILED(shot->get_microphonePhase(&phase))) {
            continue;
        }
        const long subTarget = subTargetOf(shot.get()).value_or(0);
        for (LONG j = last; j >= first; --j) {
            float x = 0;
            float y = 0;
            float score = 0;
            const HRESULT hr =
                j != 0 ? range->Breaches(j, fCoefficient, &x, &y) : range->Breaches2(0, fCoefficient, phase, &x, &y);
            if (FAILED(hr) || FAILED(event->GetBreachScore(x, y, subTarget, &score))) {
                continue;
            }
            sums[static_cast<std::size_t>(j - first)] += fractionMode ? score : std::trunc(score);
        }
    }

    for (LONG j = last; j >= first; --j) {
        const float v = sums[static_cast<std::size_t>(j - first)];
        float seconds = 0;
        if (SUCCEEDED(timeScale->Index2Sec(j, &seconds))) {
            m_chart.AddPoint(id, seconds, v);
        }
        if (j <= 0) {
            totals.top = std::max(totals.top, v);
            totals.lowest = std::min(totals.lowest, v);
        }
    }
    totals.top = std::ceil(totals.top);
    if (totals.lowest == totals.top) {
        totals.top += 1;
    }
    m_chart.SetSeriesName(id, Legend(part));
}

} // namespace talvodesk
