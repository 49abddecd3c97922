#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace platform::gfx {

/// Whether `text` is a number's text: at least one digit, and nothing but digits, '.', '-' and '%'. If so, `shape`
/// becomes the text with every digit made '0'.
bool numberShape(std::u16string_view text, std::u16string& shape);

/// Whether every number's text advances exactly as far as its shape in a font, given `advance`, the font's unrounded
/// advance of a text. It holds where a text advances by its glyphs' advances plus an adjustment for each adjacent
/// pair (the shaper with kerning off), and every digit alone and every pair holding a digit advance as their shapes.
bool numbersMeasureAsShapes(const std::function<double(std::u16string_view)>& advance);

} // namespace platform::gfx
