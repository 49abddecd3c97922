#pragma once

#include "platform/gfx/DrawStyle.h"
#include "platform/gfx/Geometry.h"

#include <string>
#include <string_view>
#include <vector>

namespace platform::gfx {

class TextMeasure;

/// A piece of one line drawn from its top-left corner (lines split at expanded tabs give several).
struct TextRun {
    Point topLeft;
    std::u16string text;
};

/// Where DrawText puts a text: its runs, the rectangle DT_CALCRECT reports and the height DrawText returns.
struct TextLayout {
    std::vector<TextRun> runs;
    Rect extent;
    LONG height = 0;
};

/// Lays text out in a rectangle with DrawText's format flags (TextFormat.h). Lines break at CR, LF and CR LF
/// unless DT_SINGLELINE; DT_WORDBREAK wraps at spaces, dropping the spaces where it breaks.
TextLayout layoutText(std::u16string_view text, const Rect& rect, UINT format, const Font& font,
                      const TextMeasure& measure);

} // namespace platform::gfx
