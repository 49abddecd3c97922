#include "talvodesk/core/analysis/chart/GraphParts.h"

#include "talvodesk/core/analysis/chart/ChartImpl.h"
#include "talvodesk/core/document/TalvoData.h"
#include "talvodesk/core/options/Options.h"

#include "interfaces/talvodata/IEventParams.h"
#include "interfaces/talvodata/IRangeCollection.h"
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

} // namespace talvodesk
