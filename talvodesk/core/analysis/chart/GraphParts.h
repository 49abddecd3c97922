#pragma once

#include "platform/com/ComPtr.h"

#include <string>

struct IEventParams;
struct IRangeCollection;
struct IShotCollection;

namespace talvodesk {

class CChartImpl;
class COptions;
class CTalvoData;

// What several graphs compute and draw alike: tick texts, the control window and its band, time ticks, ring and
// area radii, and the shots they read.

/// The "%-1G" text of a value (C locale).
std::u16string FormatTick(float value);

/// The time window before the shot: T0 the control interval (at least 1 s), T the second control interval when
/// the "Control interval 2" option is on and it is at least T0, else T0.
struct ControlWindow {
    float t0 = 1;
    float t = 1;
};
ControlWindow ControlWindowOf(const CTalvoData& document, const COptions& options);

/// The shaded control interval from -t0 to the shot, over the whole height.
void AddControlBand(CChartImpl& chart, float t0);
/// Labels every tenth of t from 0.3 t after the shot back to t before it, 0 left out, standing at y = `level`.
void AddTimeTicks(CChartImpl& chart, float t, double level = 0);

/// Half the width of area `area` of target `target`: the radius the biathlon targets are marked with; 0 when unknown.
float AreaRadius(IEventParams* event, long target, long area);

/// Whether `ranges` can give its curves from index `first` on. The window of a hostile sample rate spans billions
/// of samples, more than a curve is built for: walking them only to fail each one would hang the view.
bool HasCurves(IRangeCollection& ranges, LONG first);

/// The match shots of the practice, or of the model: the legends of both count match shots. False when there are
/// none to read.
bool MatchShotsOf(CTalvoData& document, bool model, platform::com::ComPtr<IShotCollection>& shots);

} // namespace talvodesk
