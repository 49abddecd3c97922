#pragma once

#include "talvoboard/internal/TargetGeometry.h"
#include "talvoboard/internal/TargetState.h"

#include "platform/gfx/DrawContext.h"

namespace talvoboard {

/// Draws aiming traces: a live heading in the heading colour, the colour intervals around every shot, and the
/// step over each shot split at the shot's microphone phase. It observes the surface and the state, which must
/// outlive it. Thread rule: owner thread, for one drawing.
class TracePainter {
public:
    TracePainter(platform::gfx::DrawContext& context, const TargetDrawSurface& surface, const TargetState& state);

    /// The trace of an aiming over trace indexes from..to, clipped to the trace.
    void trace(IAiming* aiming, LONG from, LONG to);
    /// Samples from..to of an aiming in the heading colour.
    void heading(IAiming* aiming, LONG from, LONG to);
    /// The samples of the heading: TraceHeadingLength at the aiming's sample rate.
    LONG headingSamples(IAiming* aiming) const;

private:
    struct ShotMark {
        LONG index = 0;
        double phase = 0.0;
    };

    /// Samples a..b in one colour; invalid samples break the line.
    void run(IAimingTrace* trace, LONG a, LONG b, OLE_COLOR color);
    /// Samples a..b in interval j's colour, with the last step divided at the shot: its first part in interval j's
    /// colour, the rest in interval j + 1's.
    void splitRun(IAimingTrace* trace, LONG a, LONG b, double phase, OLE_COLOR before, OLE_COLOR after);
    void shotIntervals(IAimingTrace* trace, const std::vector<ShotMark>& shots, LONG from, LONG to, LONG rate);
    void polyline(const std::vector<platform::gfx::Point>& points, OLE_COLOR color);
    LONG penWidth() const;

    platform::gfx::DrawContext& m_context;
    const TargetDrawSurface& m_surface;
    const TargetState& m_state;
};

/// The sample rate of an aiming from its attributes; 0 when it cannot be read.
LONG sampleRateOf(IAiming* aiming);

} // namespace talvoboard
