#pragma once

#include "platform/gfx/TextMeasure.h"

#include <QFontMetrics>

#include <optional>

namespace platform::gfx {

/// Measures text with the fonts FontQt.h picks. Owner thread only (it keeps the last font's metrics, as word
/// wrapping measures many pieces in one font); Qt's font database needs a QGuiApplication.
class TextMeasureQt final : public TextMeasure {
public:
    TextMetrics metrics(const Font& font) const override;
    LONG width(const Font& font, std::u16string_view text) const override;

private:
    const QFontMetrics& metricsOf(const Font& font) const;

    struct Cached {
        Font font;
        int pixelSize;
        QFontMetrics metrics;
    };
    mutable std::optional<Cached> m_cached;
};

} // namespace platform::gfx
