#include "talvodesk/core/analysis/chart/CoordinationGraph.h"

#include "talvodesk/core/analysis/SeriesRules.h"
#include "talvodesk/core/analysis/chart/ChartStrings.h"
#include "talvodesk/core/analysis/chart/GraphParts.h"
#include "talvodesk/core/document/EventCodes.h"
#include "talvodesk/core/document/ShotFacts.h"
#include "talvodesk/core/document/TalvoData.h"

#include "interfaces/talvodata/IEventParams.h"
#include "interfaces/talvodata/IRange.h"
#include "interfaces/talvodata/IRangeCollection.h"
#include "interfaces/talvodata/IShotCollection.h"
#include "interfaces/talvodata/ITargetParams.h"
#include "platform/com/ComPtr.h"
#include "platform/text/Ascii.h"
#include "platform/text/Printf.h"

#include <cmath>

namespace talvodesk {

using platform::com::ComPtr;

namespace {

constexpr std::int32_t kWidth = 15;
constexpr COLORREF kBlue = 0xFF0000;
constexpr COLORREF kGrey = 0xC0C0C0;
constexpr COLORREF kRed = 0x0000FF;
constexpr float kAfterShot = 0.3F;

} // namespace

CoordinationGraph::CoordinationGraph(ChartServices services) : m_services(services)
{
    m_chart.AddSeries(kDocumentFinal, kBlue, kWidth, true);
    m_chart.AddSeries(kDocumentBefore, kGrey, kWidth, true);
    m_chart.AddSeries(kDocumentAfter, kBlue, kWidth, true);
    m_chart.AddSeries(kModelFinal, kRed, kWidth, false);
    m_chart.AddSeries(kModelBefore, kRed, kWidth, false);
    m_chart.AddSeries(kModelAfter, kRed, kWidth, false);
    LoadTexts();
}

std::u16string CoordinationGraph::Legend(int part) const
{
    const auto id = part == 0 ? chartstrings::kCoordinationShots : chartstrings::kModelShots;
    return ChartCountText(m_services, id, m_counts[part]);
}

void CoordinationGraph::LoadTexts()
{
    m_chart.m_xTitle = ChartText(m_services, chartstrings::kTimeBeforeShot);
    m_chart.m_yTitle = ChartText(m_services, chartstrings::kDistance);
    m_chart.SetSeriesName(kDocumentFinal, Legend(0));
    m_chart.SetSeriesName(kModelFinal, m_counts[1] == 0 ? std::u16string() : Legend(1));
    CreateChartFonts(m_chart, m_services);
}

bool CoordinationGraph::Recalculate(unsigned parts)
{
    CTalvoData& document = m_services.document;
    if (!document.IsValid()) {
        m_chart.ClearLabels();
        m_chart.ClearBands();
        for (std::int32_t id = kDocumentFinal; id <= kModelAfter; ++id) {
            m_chart.ClearSeries(id);
        }
        return false;
    }
    ComPtr<IEventParams> event;
    ComPtr<ITargetParams> target;
    if (!document.GetEvent(event) || !event || FAILED(event->get_Target(1, target.put()))) {
        target.reset();
    }
    const ControlWindow window = ControlWindowOf(document, m_services.options);
    ChartProgress progress(m_services.frame, chartstrings::kCalculatingCoordination, 4);

    if ((parts & kAxesPart) != 0) {
        m_chart.ClearLabels();
        m_chart.ClearBands();
        if (document.GetEventCode() == kBiathlonEventCode) {
            m_chart.AddLabel(0, AreaRadius(event.get(), 1, 1), ChartText(m_services, chartstrings::kStanding), true);
            m_chart.AddLabel(0, AreaRadius(event.get(), 2, 2), ChartText(m_services, chartstrings::kProne), true);
        } else {
            for (LONG score = 1; target && score <= 10; ++score) {
                float diameter = 0;
                if (SUCCEEDED(target->get_Ring(score, &diameter)) && diameter != 0) {
                    m_chart.AddLabel(0, diameter / 2, platform::text::widenAscii(platform::text::formatC("%i", score)),
                                     true);
                }
            }
        }
        AddControlBand(m_chart, window.t0);
        AddTimeTicks(m_chart, window.t);
    }
    for (int part = 0; part < 2; ++part) {
        progress.Step();
        if ((parts & (part == 0 ? kDocumentPart : kModelPart)) != 0) {
            RecalculatePart(part, window.t);
            progress.Step();
        }
    }

    const float largest = RingRadiusHolding(target.get(), /*innerRing=*/8, std::max(m_largest[0], m_largest[1]));
    m_chart.m_xMin = -window.t;
    m_chart.m_xMax = kAfterShot;
    m_chart.m_yMin = 0;
    m_chart.m_yMax = largest;
    return true;
}

void CoordinationGraph::RecalculatePart(int part, float t)
{
    const std::int32_t final = part == 0 ? kDocumentFinal : kModelFinal;
    const std::int32_t before = final + 1;
    const std::int32_t after = final + 2;
    m_counts[part] = 0;
    m_largest[part] = 0;
    for (std::int32_t id = final; id <= after; ++id) {
        m_chart.ClearSeries(id);
    }

    ComPtr<IShotCollection> shots;
    (void)MatchShotsOf(m_services.document, part != 0, shots); // None leaves the part empty.
    m_counts[part] = countOf(shots.get());

    ComPtr<IRangeCollection> ranges;
    ComPtr<IRange> timeScale;
    LONG count = 0;
    LONG first = 0;
    LONG last = -1;
    if (m_counts[part] > 0 && SUCCEEDED(shots->Range(-t, kAfterShot, ranges.put())) && ranges &&
        SUCCEEDED(ranges->get_Count(&count)) && count != 0 && SUCCEEDED(ranges->get_Item(1, timeScale.put())) &&
        timeScale && SUCCEEDED(ranges->get_RequestedFirst(&first)) && SUCCEEDED(ranges->get_RequestedLast(&last)) &&
        HasCurves(*ranges, first)) {
        std::int32_t series = final;
        for (LONG i = 0; i >= first; --i) {
            float v = 0;
            float seconds = 0;
            if (FAILED(ranges->get_CoordinationPoint(i, &v))) {
                continue;
            }
            if (!(v > 0)) {
                series = before; // for good: the rest of the walk lies before the last sign change
            }
            if (v != 0 && SUCCEEDED(timeScale->Index2Sec(i, &seconds))) {
                v = std::fabs(v);
                m_largest[part] = std::max(m_largest[part], v);
                m_chart.AddPoint(series, seconds, v);
            }
        }
        for (LONG i = 0; i <= last; ++i) {
            float v = 0;
            float seconds = 0;
            if (SUCCEEDED(ranges->get_CoordinationPoint(i, &v)) && v != 0 &&
                SUCCEEDED(timeScale->Index2Sec(i, &seconds))) {
                m_chart.AddPoint(after, seconds, std::fabs(v));
            }
        }
    }
    m_chart.SetSeriesName(final, Legend(part));
}

} // namespace talvodesk
