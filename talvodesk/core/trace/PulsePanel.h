#pragma once

#include "platform/com/Types.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Geometry.h"

#include <cstdint>

namespace platform::gfx {
class DrawContext;
}

namespace talvodesk {

/// Side and height of the panel's images, and the height of the pulse text under the heart.
inline constexpr LONG kPulseImageSize = 32;
/// Between the pulse part and the trigger part when both show.
inline constexpr LONG kPulseTriggerGap = 3;
inline constexpr COLORREF kPulseBandColor = 0xC0C0C0;
inline constexpr COLORREF kPulseBackColor = 0xFFFFFF;
inline constexpr COLORREF kTriggerBarColor = 0xFF0000;
/// A trigger scale once set is never below this.
inline constexpr std::int32_t kMinTriggerScale = 32;

/// The images of the panel: the heart just after a beat, the heart otherwise, the trigger symbol.
enum class PulseImage { HeartBeat = 0, HeartRest = 1, Trigger = 2 };

/// What the pulse and trigger panel shows.
struct PulsePanelState {
    bool showPulse = false;
    bool showTrigger = false;
    /// Beats per minute; 0 shows the heart without a number.
    std::uint16_t pulse = 0;
    std::int32_t triggerValue = 0;
    std::int32_t triggerScale = 1;
    /// 0 just after a beat, 1 otherwise.
    std::int32_t beatPhase = 1;
};

/// Where the panel's parts go in its client rectangle. Parts that do not show are empty.
struct PulseLayout {
    platform::gfx::Rect heart;
    platform::gfx::Rect text;
    platform::gfx::Rect symbol;
    platform::gfx::Rect bar;
    /// The grey band between the pulse part and the trigger part.
    platform::gfx::Rect band;
};

/// The heart takes the top 32 pixels and its text the 32 below; the trigger part starts at the top, or 3 pixels
/// below the pulse part, with its symbol in the first 32 pixels and the bar down to the bottom.
PulseLayout LayoutPulsePanel(const platform::gfx::Rect& client, bool showPulse, bool showTrigger);

/// The first row of the bar's filled part: bottom - (height x value x 100 / scale) / 120, in integers, never above
/// the top nor below the bottom. A scale below 1 counts as 1.
LONG TriggerBarLevel(const platform::gfx::Rect& bar, std::int32_t value, std::int32_t scale);

/// A scale as the panel keeps it: at least 32.
constexpr std::int32_t RaisedTriggerScale(std::int32_t scale)
{
    return scale < kMinTriggerScale ? kMinTriggerScale : scale;
}

/// One 32 x 32 image; white (0xFFFFFF) is its mask colour.
const platform::gfx::Bitmap& PulsePanelImage(PulseImage image);

/// The whole panel: the trigger symbol (transparent), the grey band, the heart on white, the pulse number centred
/// in its rectangle and the trigger bar.
void PaintPulsePanel(platform::gfx::DrawContext& context, const PulsePanelState& state, const PulseLayout& layout);

} // namespace talvodesk
