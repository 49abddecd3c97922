#include "platform/gfx/TextMeasureQt.h"

#include "platform/gfx/FontQt.h"
#include "platform/gfx/internal/NumberShape.h"

#include <QFontMetricsF>

#include <algorithm>

namespace platform::gfx {

namespace {

// Bounds of the width tables, so that a measure kept for long never grows without end.
constexpr std::size_t kMostFonts = 16;
constexpr std::size_t kMostTexts = 16384;
// About what the check costs in measures: a font checks once its numbers have cost that much, so it never spends
// more than twice what the better choice would have.
constexpr int kNumbersBeforeCheck = 100;

QString toQString(std::u16string_view text)
{
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

TextMeasureQt::Measured& TextMeasureQt::measuredIn(const Font& font) const
{
    if (m_last < m_fonts.size() && m_fonts[m_last].font == font) {
        return m_fonts[m_last];
    }
    auto known = std::find_if(m_fonts.begin(), m_fonts.end(), [&](const Measured& m) { return m.font == font; });
    if (known == m_fonts.end()) {
        if (m_fonts.size() == kMostFonts) {
            m_fonts.clear();
        }
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
        known = m_fonts.insert(m_fonts.end(), Measured{font, metrics, std::move(qmetrics), {}, std::nullopt, 0});
    }
    m_last = static_cast<std::size_t>(known - m_fonts.begin());
    return *known;
}

TextMetrics TextMeasureQt::metrics(const Font& font) const
{
    return measuredIn(font).metrics;
}

LONG TextMeasureQt::width(const Font& font, std::u16string_view text) const
{
    Measured& measured = measuredIn(font);
    const bool number = numberShape(text, m_key);
    if (number && !measured.numbersAsShapes && measured.numbersMeasured == kNumbersBeforeCheck) {
        const QFontMetricsF exact(measured.qmetrics);
        measured.numbersAsShapes = numbersMeasureAsShapes(
            [&](std::u16string_view sample) { return exact.horizontalAdvance(toQString(sample)); });
    }
    if (!number || !measured.numbersAsShapes.value_or(false)) {
        m_key.assign(text);
    }
    if (const auto known = measured.widths.find(m_key); known != measured.widths.end()) {
        return known->second;
    }
    if (measured.widths.size() == kMostTexts) {
        measured.widths.clear();
    }
    measured.numbersMeasured += number ? 1 : 0;
    const LONG width = measured.qmetrics.horizontalAdvance(toQString(m_key));
    measured.widths.emplace(m_key, width);
    return width;
}

} // namespace platform::gfx
