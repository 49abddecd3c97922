#pragma once

#include "talvodesk/core/report/Printout.h"

#include "interfaces/talvodata/IEventParams.h"
#include "platform/gfx/DrawStyle.h"
#include "platform/gfx/Geometry.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace platform::gfx {
class DrawContext;
}

namespace talvodesk {

// The print-target tool's rules, without a window: a paper face for training at a shortened distance, reduced in
// the proportion of that distance to the event's own. Owner thread only.

/// An electronic target the face can be clipped to and framed at, sizes in millimetres.
struct PrintTargetModel {
    std::u16string_view text;
    LONG widthMm;
    LONG heightMm;
    LONG captionPoints;
};

inline constexpr std::array<PrintTargetModel, 4> kPrintTargetModels{{
    {u"TALVO Pavane 5 meters", 100, 100, 12},
    {u"TALVO Pavane 10 meters", 170, 170, 12},
    {u"TALVO Quillon 10 meters", 170, 170, 12},
    {u"TALVO Dovecote trainer", 48, 44, 8},
}};
inline constexpr int kDefaultPrintTargetModel = 1;
inline constexpr float kDefaultPrintDistance = 10.0F;
/// The distance in metres a user may choose; the spin control steps it by tenths.
inline constexpr float kMinPrintDistance = 1.0F;
inline constexpr float kMaxPrintDistance = 500.0F;

/// The distance field's text as a number: blanks and tabs around it are skipped; anything else left over, more than
/// 31 characters, or a zero from a text that does not begin with the digit 0, is no number.
std::optional<double> ParsePrintDistance(std::u16string_view text);
/// Whether a typed number becomes the distance: it differs from the current one and lies in 1..500 m.
bool TakesPrintDistance(double typed, float current);
/// The distance as the field shows it ("%.*g", six digits, C locale).
std::u16string FormatPrintDistance(float distance);

/// A printer's page in its device units: the paper and the unprintable offsets on each side. Drawing coordinates
/// start at the printable origin (offsetX, offsetY).
struct PrinterPage {
    LONG physicalWidth = 0;
    LONG physicalHeight = 0;
    /// Left and top.
    LONG offsetX = 0;
    LONG offsetY = 0;
    LONG offsetRight = 0;
    LONG offsetBottom = 0;
    platform::gfx::Resolution dpi;

    LONG printableWidth() const { return physicalWidth - offsetX - offsetRight; }
    LONG printableHeight() const { return physicalHeight - offsetY - offsetBottom; }
};

/// Where the face and the electronic target's window go on the printable page.
struct PrintTargetLayout {
    platform::gfx::Rect target;
    platform::gfx::Rect clip;
};

/// The face of `formWidth` x `formHeight` mm, made for `eventDistance` and printed for `distance`, centred on the
/// paper; the clip is the electronic target's window when clipping, else the printable page. An event without a
/// distance of its own prints at true size.
PrintTargetLayout LayOutPrintTarget(const PrinterPage& page, float formWidth, float formHeight, float eventDistance,
                                    float distance, const PrintTargetModel& model, bool clip);

struct PrintTargetChoice {
    /// No event chosen: the page stays empty.
    IEventParams* event = nullptr;
    std::u16string displayName;
    int model = kDefaultPrintTargetModel;
    float distance = kDefaultPrintDistance;
    bool scoreRings = true;
    bool clip = true;
    std::u16string fontFace;
};

/// Lays the one page out for the printer that `printer` draws on; false, with no pages, when the face cannot be
/// drawn. A printout that already has pages is kept.
bool ComposeTargetPrintout(platform::gfx::DrawContext& printer, const PrinterPage& page,
                           const PrintTargetChoice& choice, Printout& printout);

} // namespace talvodesk
