#include "talvodesk/core/report/PrintTarget.h"

#include "interfaces/talvodata/ITargetParams.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Variant.h"
#include "platform/gfx/DrawContext.h"
#include "platform/gfx/TextFormat.h"
#include "platform/text/Ascii.h"
#include "platform/text/Number.h"
#include "platform/text/Printf.h"

#include <algorithm>
#include <cmath>

namespace talvodesk {

using platform::gfx::Rect;

namespace {

constexpr std::size_t kMaxDistanceText = 31;
constexpr double kMillimetresPerInch = 25.4;

Rect centredRect(LONG centreX, LONG centreY, LONG width, LONG height)
{
    return {centreX - width / 2, centreY - height / 2, centreX - width / 2 + width, centreY - height / 2 + height};
}

LONG pointsToPixels(LONG points, LONG dpi)
{
    return static_cast<LONG>((static_cast<std::int64_t>(points) * dpi + 36) / 72);
}

bool addTargetFaceCell(IEventParams& event, PrintoutPage& page, const Rect& target, const Rect& clip, bool scoreRings)
{
    platform::com::ComPtr<IDispatch> appearance;
    if (FAILED(
            event.GetTargetAppearance(1, VARIANT_FALSE, scoreRings ? VARIANT_TRUE : VARIANT_FALSE, appearance.put())) ||
        !appearance) {
        return false;
    }
    auto picture = appearance.queryInterface<IPicture>();
    if (!picture) {
        return false;
    }
    auto& cell = page.add<CPrintoutPictureCell>();
    cell.rect = target;
    cell.clip = clip;
    cell.picture = std::move(picture);
    return true;
}

} // namespace

std::optional<double> ParsePrintDistance(std::u16string_view text)
{
    if (text.size() > kMaxDistanceText) {
        return std::nullopt;
    }
    std::string ascii;
    for (const char16_t c : text) {
        if (c > 0x7F) {
            return std::nullopt;
        }
        ascii += static_cast<char>(c);
    }
    const std::optional<double> value = platform::text::parseReal(ascii);
    const std::size_t first = ascii.find_first_not_of(" \t");
    if (value && *value == 0 && (first == std::string::npos || ascii[first] != '0')) {
        return std::nullopt;
    }
    return value;
}

bool TakesPrintDistance(double typed, float current)
{
    return typed != current && typed >= kMinPrintDistance && typed <= kMaxPrintDistance;
}

std::u16string FormatPrintDistance(float distance)
{
    return platform::text::widenAscii(platform::text::formatC("%.*g", 6, static_cast<double>(distance)));
}

PrintTargetLayout LayOutPrintTarget(const PrinterPage& page, float formWidth, float formHeight, float eventDistance,
                                    float distance, const PrintTargetModel& model, bool clip)
{
    // The paper's centre, wherever the unprintable edges put the printable origin.
    const LONG centreX = page.physicalWidth / 2 - page.offsetX;
    const LONG centreY = page.physicalHeight / 2 - page.offsetY;
    // An event without a distance of its own cannot be scaled by it: its face is printed at true size.
    const double ratio = eventDistance > 0 ? static_cast<double>(distance) / eventDistance : 1.0;
    const auto pixels = [](LONG dpi, double millimetres) {
        // A hostile face may be wider than any page or no number at all: it is held where its rectangle's sums fit.
        constexpr double kMost = (1 << 30) - 1;
        const double dots = dpi * millimetres / kMillimetresPerInch;
        return std::isnan(dots) ? 0 : static_cast<LONG>(std::clamp(dots, -kMost, kMost));
    };
    PrintTargetLayout layout;
    layout.target =
        centredRect(centreX, centreY, pixels(page.dpi.x, formWidth * ratio), pixels(page.dpi.y, formHeight * ratio));
    layout.clip =
        clip ? centredRect(centreX, centreY, pixels(page.dpi.x, model.widthMm), pixels(page.dpi.y, model.heightMm))
             : Rect{0, 0, page.printableWidth(), page.printableHeight()};
    return layout;
}

bool ComposeTargetPrintout(platform::gfx::DrawContext& printer, const PrinterPage& page,
                           const PrintTargetChoice& choice, Printout& printout)
{
    if (!printout.empty()) {
        return true;
    }
    const PrintTargetModel& model = kPrintTargetModels.at(static_cast<std::size_t>(choice.model));
    PrintoutPage& sheet = printout.emplace_back();
    if (!choice.event) {
        return true;
    }
    platform::com::ComPtr<ITargetParams> face;
    float formWidth = 0;
    float formHeight = 0;
    float eventDistance = 0;
    if (FAILED(choice.event->get_Target(1, face.put())) || !face || FAILED(face->get_FormWidth(&formWidth)) ||
        FAILED(face->get_FormHeight(&formHeight)) || FAILED(choice.event->get_Distance(&eventDistance))) {
        printout.clear();
        return false;
    }
    const PrintTargetLayout layout =
        LayOutPrintTarget(page, formWidth, formHeight, eventDistance, choice.distance, model, choice.clip);
    if (!addTargetFaceCell(*choice.event, sheet, layout.target, layout.clip, choice.scoreRings)) {
        printout.clear();
        return false;
    }
    if (choice.clip) {
        auto& caption = sheet.add<CPrintoutTextCell>();
        caption.font = platform::gfx::Font{choice.fontFace, -pointsToPixels(model.captionPoints, page.dpi.y)};
        caption.text =
            choice.displayName + u" (" +
            platform::text::widenAscii(platform::text::formatC("%3.2f", static_cast<double>(choice.distance))) + u"m)";
        caption.format |= platform::gfx::DT_RIGHT;
        const platform::gfx::Size size = caption.Measure(printer, layout.clip.width());
        caption.rect = {layout.clip.right - size.cx, layout.clip.top, layout.clip.right, layout.clip.top + size.cy};
        sheet.add<CPrintoutRectangleCell>().rect = layout.clip;
    }
    return true;
}

} // namespace talvodesk
