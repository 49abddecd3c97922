#include "talvodesk/core/analysis/chart/ProbabilityGraph.h"

#include "talvodesk/core/analysis/chart/ChartStrings.h"
#include "talvodesk/core/analysis/chart/GraphParts.h"
#include "talvodesk/core/document/Dispersion.h"
#include "talvodesk/core/document/EventCodes.h"
#include "talvodesk/core/document/ShotFacts.h"
#include "talvodesk/core/document/TalvoData.h"

#include "interfaces/talvodata/IAimingAttr.h"
#include "interfaces/talvodata/IEventParams.h"
#include "interfaces/talvodata/IRange.h"
#include "interfaces/talvodata/IShot.h"
#include "interfaces/talvodata/IShotCollection.h"
#include "platform/com/ComPtr.h"
#include "platform/text/Ascii.h"
#include "platform/text/Printf.h"

#include <cfloat>
#include <cmath>
#include <vector>

namespace talvodesk {

using platform::com::ComPtr;

namespace {

constexpr COLORREF kBlue = 0xFF0000;
constexpr COLORREF kRed = 0x0000FF;
constexpr long kSteps = 42;

void setFrame(CChartImpl& chart, double yMin, double yMax)
{
    chart.m_xMin = 0;
    chart.m_xMax = 20;
    chart.m_yMin = yMin;
    chart.m_yMax = yMax;
}

/// The breach the shot is scored at, or nothing for a missed shot or one that cannot be read.
bool breachOf(IShot* shot, long fCoefficient, ScoredBreach& breach)
{
    if (isMissed(shot)) {
        return false;
    }
    ComPtr<IAimingAttr> attributes;
    VARIANT_BOOL real = VARIANT_FALSE;
    if (FAILED(shot->get_Attr(attributes.put())) || !attributes) {
        return false;
    }
    (void)attributes->get_UseRealBreaches(&real); // Unreadable: the device's breach.
    breach.subTarget = subTargetOf(shot).value_or(0);
    if (real == VARIANT_TRUE) {
        ComPtr<IRange> range;
        return SUCCEEDED(shot->Range(0, 0, range.put())) && range &&
               SUCCEEDED(range->Breaches(0, fCoefficient, &breach.x, &breach.y));
    }
    float offsetX = 0;
    float offsetY = 0;
    if (FAILED(shot->Breach(&breach.x, &breach.y)) || FAILED(shot->get_OffsetX(&offsetX)) ||
        FAILED(shot->get_OffsetY(&offsetY))) {
        return false;
    }
    breach.x -= offsetX;
    breach.y -= offsetY;
    return true;
}

} // namespace

ProbabilityGraph::ProbabilityGraph(ChartServices services, DispersionSource dispersion)
    : m_services(services), m_dispersion(std::move(dispersion))
{
    if (!m_dispersion) {
        m_dispersion = [](float& dx, float& dy, float d) { GetDispersionOffset(dx, dy, d); };
    }
    m_probability.AddSeries(kAtLeast, kBlue, 15, true);
    m_probability.AddSeries(kAbove, kRed, 15, true);
    m_result.AddSeries(kMeanChange, kRed, 15, true);
    m_result.AddSeries(kLowestChange, kRed, 0, true);
    m_result.AddSeries(kHighestChange, kRed, 0, true);
    setFrame(m_probability, 0, 100);
    setFrame(m_result, -7, 3);
    for (int i = 1; i <= 20; ++i) {
        const std::u16string text = platform::text::widenAscii(platform::text::formatC("%i", i));
        m_probability.AddLabel(i, 0, text, true);
        m_result.AddLabel(i, 0, text, true);
    }
    for (int k = 10; k <= 100; k += 10) {
        m_probability.AddLabel(0, k, k % 20 == 0 ? platform::text::widenAscii(platform::text::formatC("%i%%", k)) : u"",
                               true);
    }
    // A value is written when it is not next to the one written before it, and 3 always.
    int written = 0;
    for (int k = -7; k <= 3; ++k) {
        if (k == 0) {
            continue;
        }
        const bool write = k == 3 || std::abs(k - written) > 1;
        if (write) {
            written = k;
        }
        m_result.AddLabel(0, k, write ? platform::text::widenAscii(platform::text::formatC("%i", k)) : u"", true);
    }
    LoadTexts();
}

void ProbabilityGraph::LoadTexts()
{
    m_probability.m_yTitle = ChartText(m_services, chartstrings::kProbability);
    m_result.m_yTitle = ChartText(m_services, chartstrings::kResult);
    for (CChartImpl* chart : {&m_probability, &m_result}) {
        chart->m_xTitle = ChartText(m_services, chartstrings::kBulletDispersion);
        CreateChartFonts(*chart, m_services);
    }
}

void ProbabilityGraph::Recalculate(bool fractionMode)
{
    for (std::int32_t id : {kAtLeast, kAbove}) {
        m_probability.ClearSeries(id);
    }
    for (std::int32_t id : {kMeanChange, kLowestChange, kHighestChange}) {
        m_result.ClearSeries(id);
    }
    CTalvoData& document = m_services.document;
    if (!document.IsValid() || document.GetEventCode() == kBiathlonEventCode) {
        return;
    }
    ChartProgress progress(m_services.frame, chartstrings::kCalculatingProbability, kSteps);
    ComPtr<IShotCollection> shots;
    ComPtr<IEventParams> event;
    if (!document.GetMatchShots(shots) || !document.GetEvent(event) || !event) {
        return;
    }
    const long count = countOf(shots.get());
    std::vector<ScoredBreach> breaches;
    breaches.reserve(static_cast<std::size_t>(count));
    for (long i = 1; i <= count; ++i) {
        ComPtr<IShot> shot;
        ScoredBreach breach;
        if (SUCCEEDED(shots->get_Item(i, shot.put())) && shot &&
            breachOf(shot.get(), document.FCoefficient(), breach)) {
            breaches.push_back(breach);
        }
    }
    if (!breaches.empty()) {
        ScoreDispersions(*event, breaches, fractionMode, m_dispersion, m_probability, m_result, &progress);
    }
}

void ScoreDispersions(IEventParams& event, std::span<const ScoredBreach> breaches, bool fractionMode,
                      const DispersionSource& dispersion, CChartImpl& probability, CChartImpl& result,
                      ChartProgress* progress)
{
    float actual = 0;
    for (float d = 0.0F; d <= 20.0F; d += 0.5F) {
        if (progress) {
            progress->Step();
        }
        const int trials = d == 0 ? 1 : 30;
        float sum = 0;
        float lowest = FLT_MAX;
        float highest = 0;
        int atLeast = 0;
        int above = 0;
        for (int trial = 0; trial < trials; ++trial) {
            float total = 0;
            for (const ScoredBreach& breach : breaches) {
                float dx = 0;
                float dy = 0;
                if (d != 0) {
                    dispersion(dx, dy, d);
                }
                float score = 0;
                if (FAILED(event.GetBreachScore(breach.x + dx, breach.y + dy, breach.subTarget, &score))) {
                    score = 0;
                }
                total += fractionMode ? score : std::trunc(score);
            }
            if (d == 0 && trial == 0) {
                actual = total;
            }
            sum += total;
            lowest = std::min(lowest, total);
            highest = std::max(highest, total);
            atLeast += total >= actual ? 1 : 0;
            above += total > actual ? 1 : 0;
        }
        probability.AddPoint(ProbabilityGraph::kAtLeast, d, 100.0F * static_cast<float>(atLeast) / trials);
        probability.AddPoint(ProbabilityGraph::kAbove, d, 100.0F * static_cast<float>(above) / trials);
        result.AddPoint(ProbabilityGraph::kMeanChange, d, sum / static_cast<float>(trials) - actual);
        result.AddPoint(ProbabilityGraph::kLowestChange, d, lowest - actual);
        result.AddPoint(ProbabilityGraph::kHighestChange, d, highest - actual);
    }
}

} // namespace talvodesk
