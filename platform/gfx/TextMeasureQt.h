#pragma once

#include "platform/gfx/TextMeasure.h"

#include <QFontMetrics>

#include <optional>
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
    /// A font whose numbers measure as their shapes (internal/NumberShape.h), checked once it has measured many,
    /// keeps one width per shape: a long list's times and percents then cost a few measures.
    LONG width(const Font& font, std::u16string_view text) const override;

private:
    struct Measured {
        Font font;
        TextMetrics metrics;
        QFontMetrics qmetrics;
        /// Keyed by text, or by shape for a number once numbersAsShapes holds.
        std::unordered_map<std::u16string, LONG> widths;
        /// Unknown until the font has measured enough numbers to be worth the check.
        std::optional<bool> numbersAsShapes;
        int numbersMeasured = 0;
    };

    Measured& measuredIn(const Font& font) const;

    /// One entry per font measured in; few fonts are ever used.
    mutable std::vector<Measured> m_fonts;
    /// Where the last font asked for is: many texts in a row are measured in one font.
    mutable std::size_t m_last = 0;
    /// The key of the text being measured, kept to spare an allocation per measure.
    mutable std::u16string m_key;
};

} // namespace platform::gfx
