#pragma once

#include "talvoboard/internal/TargetGeometry.h"
#include "talvoboard/internal/TargetState.h"
#include "talvoboard/internal/TracePainter.h"

#include "platform/gfx/DrawContext.h"

#include <optional>

namespace talvoboard {

/// What the control shows over its content: the replay and the mouse's feedback. Plane points are in units.
struct TargetOverlay {
    /// Null without a replay.
    IAiming* replayAiming = nullptr;
    /// The trace index the replay has reached.
    LONG replayPosition = 0;
    bool replayPaused = false;
    bool captionShown = false;

    /// The shot the mouse holds, shown at its Breach + (dragCurrent - dragAnchor); null when none.
    IShot* dragShot = nullptr;
    bool draggingShot = false;
    platform::gfx::Point dragAnchor;
    platform::gfx::Point dragCurrent;

    bool drawingZoomRectangle = false;
    platform::gfx::Point zoomAnchor;
    platform::gfx::Point zoomCurrent;
};

/// Paints the control in its fixed order: background, face, breaches, traces, replay, breach outlines, elements,
/// the drag feedback, the replay caption, the sighting mark and the labels. Document-model calls that fail leave
/// their part out. Thread rule: owner thread, for one drawing.
class TargetPainter {
public:
    TargetPainter(platform::gfx::DrawContext& context, TargetDrawSurface surface, const TargetState& state,
                  const TargetOverlay& overlay = {});

    /// Everything, over the background. Without an event: the window colour in user mode, a framed
    /// "Event not specified." in design mode.
    void paintAll(bool userMode);

    /// The breaches of every added aiming, filled or as outlines.
    void breaches(bool filled);
    void trace(IAiming* aiming, LONG from, LONG to) { m_traces.trace(aiming, from, to); }
    LONG headingSamples(IAiming* aiming) const { return m_traces.headingSamples(aiming); }

    /// The replay aiming's breaches the replay has passed, never as selected.
    void replayBreaches(bool filled);
    /// The replay trace in the interval colours up to the heading, which ends at the replay position.
    void replayTrace();
    void replayHeading(LONG from, LONG to) { m_traces.heading(m_overlay.replayAiming, from, to); }
    /// The replay caption when it is shown and the control displays it.
    void caption();

    /// The dragged shot's move and place, and the zoom rectangle, inverted over what lies below (not-XOR), so that a
    /// second drawing takes them away.
    void dragFeedback();
    /// Whether the last paintAll() drew the zoom rectangle, which a second drawing (not-XOR) would take away.
    bool zoomRectangleDrawn() const { return m_zoomRectangleDrawn; }

private:
    void noEvent(bool userMode);
    COLORREF backgroundColor() const;
    void face();
    /// The shots of an aiming that hit (only those up to trace index `upTo` when given).
    void aimingBreaches(IAiming* aiming, IShot* selected, bool filled, std::optional<LONG> upTo);
    void breach(IShot* shot, bool selected, bool filled, LONG size);
    COLORREF breachColor(bool selected) const;
    /// Elements that carry "_bs" when `underBreaches`, else those that do not.
    void elements(bool underBreaches);
    void element(ITargetElement* element);
    void dragMark();
    void zoomRectangle();
    void sightingMark();
    void labels();
    void label(const platform::com::Bstr& text, bool rightAligned);

    platform::gfx::DrawContext& m_context;
    const TargetDrawSurface m_surface;
    const TargetState& m_state;
    const TargetOverlay m_overlay;
    TracePainter m_traces;
    bool m_zoomRectangleDrawn = false;
};

} // namespace talvoboard
