#pragma once

#include "TargetGeometry.h"
#include "TargetState.h"
#include "TracePainter.h"

#include "platform/gfx/DrawContext.h"

namespace talvoboard {

/// Paints the control in its fixed order: background, face, breaches, traces, breach outlines, elements, the
/// sighting mark and the labels. Document-model calls that fail leave their part out.
/// Thread rule: owner thread, for one drawing.
class TargetPainter {
public:
    TargetPainter(platform::gfx::DrawContext& context, TargetDrawSurface surface, const TargetState& state);

    /// Everything, over the background. Without an event: the window colour in user mode, a framed
    /// "Event not specified." in design mode.
    void paintAll(bool userMode);

    /// The breaches of every added aiming, filled or as outlines.
    void breaches(bool filled);
    void trace(IAiming* aiming, LONG from, LONG to) { m_traces.trace(aiming, from, to); }
    LONG headingSamples(IAiming* aiming) const { return m_traces.headingSamples(aiming); }

private:
    void noEvent(bool userMode);
    COLORREF backgroundColor() const;
    void face();
    void breach(IShot* shot, bool selected, bool filled, LONG size);
    COLORREF breachColor(bool selected) const;
    /// Elements that carry "_bs" when `underBreaches`, else those that do not.
    void elements(bool underBreaches);
    void element(ITargetElement* element);
    void sightingMark();
    void labels();
    void label(const platform::com::Bstr& text, bool rightAligned);

    platform::gfx::DrawContext& m_context;
    const TargetDrawSurface m_surface;
    const TargetState& m_state;
    TracePainter m_traces;
};

} // namespace talvoboard
