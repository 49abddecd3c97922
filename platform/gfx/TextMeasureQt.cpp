#include "platform/gfx/TextMeasureQt.h"

#include "platform/gfx/FontQt.h"

#include <algorithm>

namespace platform::gfx {

const QFontMetrics& TextMeasureQt::metricsOf(const Font& font) const
{
    if (!m_cached || m_cached->font != font) {
        const QFont qfont = toQFont(font);
        m_cached.emplace(Cached{font, qfont.pixelSize(), QFontMetrics(qfont)});
    }
    return m_cached->metrics;
}

TextMetrics TextMeasureQt::metrics(const Font& font) const
{
    const QFontMetrics& qmetrics = metricsOf(font);
    TextMetrics metrics;
    metrics.ascent = qmetrics.ascent();
    metrics.descent = qmetrics.descent();
    metrics.height = metrics.ascent + metrics.descent;
    metrics.internalLeading = std::max(0, metrics.height - m_cached->pixelSize);
    metrics.externalLeading = std::max(0, qmetrics.leading());
    metrics.aveCharWidth = qmetrics.averageCharWidth();
    metrics.maxCharWidth = qmetrics.maxWidth();
    return metrics;
}

LONG TextMeasureQt::width(const Font& font, std::u16string_view text) const
{
    return metricsOf(font).horizontalAdvance(QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())));
}

} // namespace platform::gfx
