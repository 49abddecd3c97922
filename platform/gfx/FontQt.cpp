#include "platform/gfx/FontQt.h"

#include <QFontDatabase>
#include <QFontMetricsF>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace platform::gfx {

namespace {

constexpr auto kSubstitutes = std::to_array<std::pair<const char16_t*, const char*>>({
    {u"Arial", "Liberation Sans"},
    {u"Helvetica", "Liberation Sans"},
    {u"MS Shell Dlg", "Liberation Sans"},
    {u"MS Shell Dlg 2", "Liberation Sans"},
    {u"MS Sans Serif", "Liberation Sans"},
    {u"Microsoft Sans Serif", "Liberation Sans"},
    {u"Tahoma", "Liberation Sans"},
    {u"Times New Roman", "Liberation Serif"},
    {u"Times", "Liberation Serif"},
    {u"Courier New", "Liberation Mono"},
    {u"Courier", "Liberation Mono"},
});

constexpr const char* kFallbackFamily = "Liberation Sans";
// The character height a height of 0 asks for.
constexpr int kDefaultPixelSize = 12;
// Large enough that the measured cell-to-character ratio carries no rounding.
constexpr int kReferencePixelSize = 1000;
// Taller than any screen shows text; a stored height beyond it would only cost time and memory (a glyph cache of
// that size per character).
constexpr double kMaxPixelSize = 4096;

int pixelSizeFor(const QFont& font, LONG height)
{
    if (height == 0) {
        return kDefaultPixelSize;
    }
    if (height < 0) {
        return static_cast<int>(std::clamp(-static_cast<double>(height), 1.0, kMaxPixelSize));
    }
    // A positive height is the cell, so find the character height whose ascent + descent gives it.
    QFont reference(font);
    reference.setPixelSize(kReferencePixelSize);
    const QFontMetricsF metrics(reference);
    const double cell = metrics.ascent() + metrics.descent();
    if (cell <= 0) {
        return static_cast<int>(height);
    }
    return static_cast<int>(std::lround(std::clamp(double(height) * kReferencePixelSize / cell, 1.0, kMaxPixelSize)));
}

} // namespace

QString familyForFace(std::u16string_view faceName)
{
    const QString face = QString::fromUtf16(faceName.data(), static_cast<qsizetype>(faceName.size()));
    for (const auto& [windowsFace, family] : kSubstitutes) {
        if (face.compare(QString::fromUtf16(windowsFace), Qt::CaseInsensitive) == 0) {
            return QString::fromLatin1(family);
        }
    }
    if (!face.isEmpty() && QFontDatabase::hasFamily(face)) {
        return face;
    }
    return QString::fromLatin1(kFallbackFamily);
}

QFont toQFont(const Font& font)
{
    QFont qfont(familyForFace(font.faceName));
    qfont.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::NoSubpixelAntialias));
    qfont.setKerning(false);
    const LONG weight = font.weight == 0 ? FW_NORMAL : std::clamp<LONG>(font.weight, 1, 1000);
    qfont.setWeight(static_cast<QFont::Weight>(weight));
    qfont.setItalic(font.italic);
    qfont.setPixelSize(pixelSizeFor(qfont, font.height));
    return qfont;
}

} // namespace platform::gfx
