#include "talvodesk/core/trace/PulsePanel.h"

#include "platform/gfx/DrawContext.h"
#include "platform/gfx/TextFormat.h"
#include "platform/text/Printf.h"

#include "platform/com/Bstr.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>

namespace talvodesk {

using platform::gfx::Bitmap;
using platform::gfx::DrawContext;
using platform::gfx::Rect;

namespace {

constexpr COLORREF kMask = 0xFFFFFF;
constexpr COLORREF kHeartBright = 0x0000FF;
constexpr COLORREF kHeartDark = 0x000080;
constexpr COLORREF kSymbolColor = 0x404040;
constexpr COLORREF kTextColor = 0x000000;

/// An image whose pixel centres (x, y), counted from the image's centre with y upwards, take `colour` where
/// `inside` holds.
Bitmap paintImage(const std::function<bool(double x, double y)>& inside, COLORREF colour)
{
    Bitmap image{kPulseImageSize, kPulseImageSize, {}};
    image.pixels.reserve(static_cast<std::size_t>(kPulseImageSize * kPulseImageSize));
    const double half = kPulseImageSize / 2.0;
    for (LONG row = 0; row < kPulseImageSize; ++row) {
        for (LONG column = 0; column < kPulseImageSize; ++column) {
            const bool in = inside(column + 0.5 - half, half - row - 0.5);
            image.pixels.push_back(in ? colour : kMask);
        }
    }
    return image;
}

/// The classic heart curve (x^2 + y^2 - 1)^3 <= x^2 y^3, `radius` pixels to a lobe.
Bitmap heart(double radius, COLORREF colour)
{
    return paintImage(
        [radius](double x, double y) {
            const double u = x / radius;
            const double v = y / radius + 0.1;
            const double a = u * u + v * v - 1.0;
            return a * a * a <= u * u * v * v * v;
        },
        colour);
}

/// A trigger blade curving down and forward under its pivot, inside the lower half of a guard.
Bitmap triggerSymbol()
{
    return paintImage(
        [](double x, double y) {
            const double blade = std::hypot(x + 6.0, y + 1.0);
            const double cut = std::hypot(x + 11.0, y + 1.0);
            const bool inBlade = y <= 4.0 && blade <= 11.0 && cut > 10.0 && x < 4.0;
            const bool inStem = x >= 2.0 && x <= 5.0 && y >= 4.0 && y <= 14.0;
            const double guard = std::hypot(x, y + 2.0);
            const bool inGuard = y <= -2.0 && guard >= 12.0 && guard <= 14.5;
            return inBlade || inStem || inGuard;
        },
        kSymbolColor);
}

/// Draws the image's unmasked pixels at the top-left of `place`, in runs along each row.
void drawMasked(DrawContext& context, const Bitmap& image, const Rect& place)
{
    for (LONG row = 0; row < image.height; ++row) {
        LONG column = 0;
        while (column < image.width) {
            const COLORREF colour = image.pixels[static_cast<std::size_t>(row * image.width + column)];
            LONG end = column + 1;
            while (end < image.width && image.pixels[static_cast<std::size_t>(row * image.width + end)] == colour) {
                ++end;
            }
            if (colour != kMask) {
                const LONG top = place.top + row;
                context.fillRect({place.left + column, top, place.left + end, top + 1}, colour);
            }
            column = end;
        }
    }
}

} // namespace

PulseLayout LayoutPulsePanel(const Rect& client, bool showPulse, bool showTrigger)
{
    PulseLayout layout;
    LONG pulseBottom = client.top;
    if (showPulse) {
        layout.heart = {client.left, client.top, client.right, client.top + kPulseImageSize};
        layout.text = {client.left, layout.heart.bottom, client.right, layout.heart.bottom + kPulseImageSize};
        pulseBottom = layout.text.bottom;
    }
    LONG triggerTop = client.bottom;
    if (showTrigger) {
        triggerTop = showPulse ? pulseBottom + kPulseTriggerGap : client.top;
        layout.symbol = {client.left, triggerTop, client.right, triggerTop + kPulseImageSize};
        layout.bar = {client.left, layout.symbol.bottom, client.right, std::max(layout.symbol.bottom, client.bottom)};
    }
    layout.band = {client.left, pulseBottom, client.right, std::max(pulseBottom, triggerTop)};
    return layout;
}

LONG TriggerBarLevel(const Rect& bar, std::int32_t value, std::int32_t scale)
{
    // 64 bits: the product overflows 32 bits for large readings on a tall bar.
    const std::int64_t height = bar.height();
    const std::int64_t filled = height * value * 100 / std::max<std::int32_t>(scale, 1) / 120;
    return static_cast<LONG>(std::clamp<std::int64_t>(bar.bottom - filled, bar.top, bar.bottom));
}

const Bitmap& PulsePanelImage(PulseImage image)
{
    static const std::array<Bitmap, 3> images{heart(12.0, kHeartBright), heart(9.0, kHeartDark), triggerSymbol()};
    return images[static_cast<std::size_t>(image)];
}

void PaintPulsePanel(DrawContext& context, const PulsePanelState& state, const PulseLayout& layout)
{
    if (state.showTrigger) {
        drawMasked(context, PulsePanelImage(PulseImage::Trigger), layout.symbol);
    }
    if (!layout.band.isEmpty()) {
        context.fillRect(layout.band, kPulseBandColor);
    }
    if (state.showPulse) {
        context.fillRect(layout.heart, kPulseBackColor);
        const PulseImage heartImage = state.beatPhase == 0 ? PulseImage::HeartBeat : PulseImage::HeartRest;
        drawMasked(context, PulsePanelImage(heartImage), layout.heart);
        context.fillRect(layout.text, kPulseBackColor);
        if (state.pulse >= 1) {
            platform::gfx::StateSaver saver(context);
            context.setTextColor(kTextColor);
            context.setBackgroundMode(platform::gfx::BackgroundMode::Transparent);
            Rect text = layout.text;
            (void)context.drawText(platform::com::utf8ToUtf16(platform::text::formatC("%i", state.pulse)), text,
                                   platform::gfx::DT_SINGLELINE | platform::gfx::DT_CENTER |
                                       platform::gfx::DT_VCENTER); // The height drawn is not needed.
        }
    }
    if (state.showTrigger && !layout.bar.isEmpty()) {
        const LONG level = TriggerBarLevel(layout.bar, state.triggerValue, state.triggerScale);
        context.fillRect({layout.bar.left, layout.bar.top, layout.bar.right, level}, kPulseBackColor);
        context.fillRect({layout.bar.left, level, layout.bar.right, layout.bar.bottom}, kTriggerBarColor);
    }
}

} // namespace talvodesk
