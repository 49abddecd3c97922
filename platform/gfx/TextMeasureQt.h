#pragma once

#include "platform/gfx/TextMeasure.h"

#include <QFontMetrics>

#include <string>
#include <unordered_map>
#include <vector>

namespace platform::gfx {

/// Measures text with the fonts FontQt.h picks. Owner thread only (it keeps each font's metrics, as word wrapping
/// measures many pieces in one font and a table's rows switch fonts, and the widths of the texts measured in each
/// font, as a table's cells repeat theirs and shaping a text costs far more than looking it up); Qt's font database
/// needs a QGuiApplication.
class TextMeasureQt final : public TextMeasure {
public:
    TextMetrics metrics(const Font& font) const override;
    LONG width(const Font& font, std::u16string_view text) const override;

private:
    struct Measured {
        Font font;
        TextMetrics metrics;
        QFontMetrics qmetrics;
        std::unordered_map<std::u16string, LONG> widths;
    };

    Measured& measuredIn(const Font& font) const;

    /// One entry per font measured in; few fonts are ever used.
    mutable std::vector<Measured> m_fonts;
    /// Where the last font asked for is: many texts in a row are measured in one font.
    mutable std::size_t m_last = 0;
};

} // namespace platform::gfx
