#pragma once

#include "platform/gfx/TextMeasure.h"

namespace platform::gfx {

/// Measures text with the fonts FontQt.h picks. Any thread (it keeps no state), but Qt's font database needs a
/// QGuiApplication.
class TextMeasureQt final : public TextMeasure {
public:
    TextMetrics metrics(const Font& font) const override;
    LONG width(const Font& font, std::u16string_view text) const override;
};

} // namespace platform::gfx
