#pragma once

#include "platform/gfx/DrawStyle.h"

#include <string_view>

namespace platform::gfx {

/// Measures text in a font on some device. Implementations state their thread rule.
class TextMeasure {
public:
    virtual TextMetrics metrics(const Font& font) const = 0;
    /// The advance width of a line of text, without tab expansion.
    virtual LONG width(const Font& font, std::u16string_view text) const = 0;

protected:
    ~TextMeasure() = default;
};

} // namespace platform::gfx
