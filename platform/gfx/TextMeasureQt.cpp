#include "platform/gfx/TextMeasureQt.h"

#include "platform/gfx/FontQt.h"

#include <algorithm>

namespace platform::gfx {

const QFontMetrics& TextMeasureQt::metricsOf(const Font& font) const
{
    if (!m_cached || m_cached->font != font) {
        const QFont qfont = toQFont(font);
        QFontMetrics qmetrics(qfont);
        TextMetrics metrics;
        metrics.ascent = qmetrics.ascent();
        metrics.descent = qmetrics.descent();
        metrics.height = metrics.ascent + metrics.descent;
        metrics.internalLeading = std::max(0, metrics.height - qfont.pixelSize());
        metrics.externalLeading = std::max(0, qmetrics.leading());
        metrics.aveCharWidth = qmetrics.averageCharWidth();
        metrics.maxCharWidth = qmetrics.maxWidth();
        m_cached.emplace(Cached{font, metrics, std::move(qmetrics)});
    }
    return m_cached->qmetrics;
}

TextMetrics TextMeasureQt::metrics(const Font& font) const
{
    (void)metricsOf(font);
    return m_cached->metrics;
}

LONG TextMeasureQt::width(const Font& font, std::u16string_view text) const
{
    // Bounds of the width tables, so that a measure kept for long never grows without end.
    constexpr std::size_t kMostFonts = 16;
    constexpr std::size_t kMostTexts = 16384;
    auto widths = std::find_if(m_widths.begin(), m_widths.end(), [&](const Widths& w) { return w.font == font; });
    if (widths == m_widths.end()) {
        if (m_widths.size() == kMostFonts) {
            m_widths.clear();
        }
        widths = m_widths.insert(m_widths.end(), Widths{font, {}});
    }
    std::u16string key(text);
    if (const auto known = widths->ofText.find(key); known != widths->ofText.end()) {
        return known->second;
    }
    if (widths->ofText.size() == kMostTexts) {
        widths->ofText.clear();
    }
    const LONG measured =
        metricsOf(font).horizontalAdvance(QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())));
    widths->ofText.emplace(std::move(key), measured);
    return measured;
}

} // namespace platform::gfx
