#pragma once

#include "platform/gfx/TextMeasure.h"

#include <QFontMetrics>

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace platform::gfx {

/// Measures text with the fonts FontQt.h picks. Owner thread only (it keeps the last font's metrics, as word
/// wrapping measures many pieces in one font, and the widths of the texts measured in each font, as a table's
/// cells repeat theirs and shaping a text costs far more than looking it up); Qt's font database needs a
/// QGuiApplication.
class TextMeasureQt final : public TextMeasure {
public:
    TextMetrics metrics(const Font& font) const override;
    LONG width(const Font& font, std::u16string_view text) const override;

private:
    const QFontMetrics& metricsOf(const Font& font) const;

    struct Cached {
        Font font;
        TextMetrics metrics;
        QFontMetrics qmetrics;
    };
    mutable std::optional<Cached> m_cached;

    struct Widths {
        Font font;
        std::unordered_map<std::u16string, LONG> ofText;
    };
    /// One entry per font measured in; few fonts are ever used.
    mutable std::vector<Widths> m_widths;
};

} // namespace platform::gfx
