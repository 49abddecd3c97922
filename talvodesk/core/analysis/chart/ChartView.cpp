#include "talvodesk/core/analysis/chart/ChartView.h"

#include "talvodesk/core/analysis/chart/ChartImpl.h"
#include "talvodesk/core/analysis/chart/ChartStrings.h"
#include "talvodesk/core/document/DocumentServices.h"
#include "talvodesk/core/document/TalvoData.h"
#include "talvodesk/core/options/AppModule.h"
#include "talvodesk/core/options/Options.h"
#include "talvodesk/core/options/StringTable.h"

#include "interfaces/talvodata/IAimingAttr.h"
#include "interfaces/talvodata/IEventParams.h"
#include "interfaces/talvodata/IShot.h"
#include "interfaces/talvodata/IShotCollection.h"
#include "interfaces/talvodata/ITargetElement.h"
#include "interfaces/talvodata/ITargetParams.h"
#include "platform/com/ComPtr.h"
#include "platform/text/Ascii.h"
#include "platform/text/Printf.h"

#include <algorithm>

namespace talvodesk {

namespace {

constexpr COLORREF kBandBorder = 0xC0C0C0;
constexpr COLORREF kBandFill = 0xF5F5F5;

} // namespace

std::u16string ChartText(const ChartServices& services, std::uint32_t id)
{
    return std::u16string(services.module ? services.module->LoadString(id) : StringTable::englishText(id));
}

std::u16string ChartCountText(const ChartServices& services, std::uint32_t id, long count)
{
    const std::u16string format = ChartText(services, id);
    const auto text =
        platform::text::formatIntegerWith(std::string(format.begin(), format.end()), static_cast<int>(count));
    return text ? platform::text::widenAscii(*text) : format;
}

void CreateChartFonts(CChartImpl& chart, const ChartServices& services)
{
    std::u16string face = ChartText(services, chartstrings::kVerticalFace);
    chart.CreateFonts(services.module ? services.module->languageId() : 0, face.empty() ? u"Arial" : face);
}

std::u16string FormatTick(float value)
{
    return platform::text::widenAscii(platform::text::formatC("%-1G", static_cast<double>(value)));
}

ControlWindow ControlWindowOf(const CTalvoData& document, const COptions& options)
{
    ControlWindow window;
    window.t0 = std::max(document.ControlInterval(), 1.0F);
    window.t = window.t0;
    const auto second = static_cast<float>(document.ControlInterval2());
    if (options.showControlInterval2 != 0 && second >= window.t0) {
        window.t = second;
    }
    return window;
}

void AddControlBand(CChartImpl& chart, float t0)
{
    chart.AddBand(0, -t0, 0, t0, 0, 1, kBandBorder, true, kBandFill);
}

void AddTimeTicks(CChartImpl& chart, float t, double level)
{
    for (int k = -3; k <= 10; ++k) {
        if (k != 0) {
            const float x = static_cast<float>(k) * t / -10.0F;
            chart.AddLabel(x, level, FormatTick(x), true);
        }
    }
}

float SnapToRing(ITargetParams* target, float value)
{
    for (LONG score = 8; target && score >= 1; --score) {
        float diameter = 0;
        if (SUCCEEDED(target->get_Ring(score, &diameter)) && diameter / 2 >= value) {
            return diameter / 2;
        }
    }
    return value;
}

float AreaRadius(IEventParams* event, long target, long area)
{
    platform::com::ComPtr<ITargetParams> params;
    platform::com::ComPtr<ITargetElement> element;
    float width = 0;
    if (!event || FAILED(event->get_Target(target, params.put())) || !params ||
        FAILED(params->get_Areas(area, element.put())) || !element || FAILED(element->get_Width(&width))) {
        return 0;
    }
    return width / 2;
}

long SubTargetOf(IShot* shot)
{
    platform::com::ComPtr<IAimingAttr> attributes;
    LONG subTarget = 0;
    if (!shot || FAILED(shot->get_Attr(attributes.put())) || !attributes ||
        FAILED(attributes->get_SubTarget(&subTarget))) {
        return 0;
    }
    return subTarget;
}

bool IsMissed(IShot* shot)
{
    VARIANT_BOOL missed = VARIANT_FALSE;
    return shot && SUCCEEDED(shot->get_Missed(&missed)) && missed == VARIANT_TRUE;
}

bool HasCurves(IRangeCollection& ranges, LONG first)
{
    float value = 0;
    return ranges.get_SpeedPoint(first, &value) != E_OUTOFMEMORY; // The curves are built together, or none.
}

bool MatchShotsOf(CTalvoData& document, bool model, platform::com::ComPtr<IShotCollection>& shots)
{
    shots.reset();
    if (!model) {
        return document.GetMatchShots(shots) && shots;
    }
    platform::com::ComPtr<IShotCollection> all;
    return document.GetModelShots(all) && all && SUCCEEDED(all->get_Match(shots.put())) && shots;
}

void ToggleControlInterval2(ChartServices& services, bool checked)
{
    services.options.showControlInterval2 = checked ? 1 : 0;
    services.document.UpdateAllViews(nullptr, HintShotParameters);
}

void PendingUpdate::Request(unsigned parts, bool visible, const Recalculate& recalculate)
{
    if (visible) {
        recalculate(parts);
    } else {
        m_pending |= parts;
    }
}

bool PendingUpdate::Apply(const Recalculate& recalculate)
{
    const unsigned parts = m_pending;
    m_pending = 0;
    if (parts != 0) {
        recalculate(parts);
    }
    return parts != 0;
}

ChartProgress::ChartProgress(DocumentServices* frame, std::uint32_t textId, long total) : m_frame(frame), m_total(total)
{
    if (m_frame) {
        m_frame->SetWaitCursor(true);
        (void)m_frame->BeginProgress(textId); // Without a bar the computation still runs.
        m_frame->SetProgress(0, m_total);
    }
}

ChartProgress::~ChartProgress()
{
    if (m_frame) {
        m_frame->EndProgress();
        m_frame->SetWaitCursor(false);
    }
}

void ChartProgress::Step()
{
    if (m_frame) {
        m_frame->SetProgress(++m_done, m_total);
    }
}

void ChartProgress::Restart(long total)
{
    m_done = 0;
    m_total = total;
    if (m_frame) {
        m_frame->SetProgress(0, m_total);
    }
}

} // namespace talvodesk
