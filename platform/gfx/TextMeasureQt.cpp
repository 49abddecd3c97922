#include "platform/gfx/TextMeasureQt.h"

#include "platform/gfx/FontQt.h"

#include <QFontMetrics>

#include <algorithm>

namespace platform::gfx {

TextMetrics TextMeasureQt::metrics(const Font& font) const
{
    const QFont qfont = toQFont(font);
    const QFontMetrics qmetrics(qfont);
    TextMetrics metrics;
    metrics.ascent = qmetrics.ascent();
    metrics.descent = qmetrics.descent();
    metrics.height = metrics.ascent + metrics.descent;
    metrics.internalLeading = std::max(0, metrics.height - qfont.pixelSize());
    metrics.externalLeading = std::max(0, qmetrics.leading());
    metrics.aveCharWidth = qmetrics.averageCharWidth();
    metrics.maxCharWidth = qmetrics.maxWidth();
    return metrics;
}

LONG TextMeasureQt::width(const Font& font, std::u16string_view text) const
{
    const QFontMetrics qmetrics(toQFont(font));
    return qmetrics.horizontalAdvance(QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())));
}

} // namespace platform::gfx
