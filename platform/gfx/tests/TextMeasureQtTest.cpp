#include "platform/gfx/TextMeasureQt.h"

#include "platform/gfx/FontQt.h"

#include <QFontMetrics>

#include <gtest/gtest.h>

#include <string>

namespace platform::gfx {
namespace {

TEST(TextMeasureQtTest, WindowsFacesBecomeMetricCompatibleFamilies)
{
    struct Case {
        std::u16string face;
        const char* family;
    };
    const Case cases[] = {
        {u"Arial", "Liberation Sans"},
        {u"ARIAL", "Liberation Sans"},
        {u"Times New Roman", "Liberation Serif"},
        {u"Times", "Liberation Serif"},
        {u"Courier New", "Liberation Mono"},
        {u"MS Shell Dlg", "Liberation Sans"},
        {u"", "Liberation Sans"},
        {u"No Such Face 12345", "Liberation Sans"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.family);
        EXPECT_EQ(QString::fromLatin1(c.family), familyForFace(c.face));
        EXPECT_EQ(QString::fromLatin1(c.family), toQFont(Font{c.face, -10}).family());
    }
}

TEST(TextMeasureQtTest, HeightSignChoosesCellOrCharacterHeight)
{
    const TextMeasureQt measure;
    for (LONG size : {10, 16, 24, 40}) {
        SCOPED_TRACE(size);
        const TextMetrics character = measure.metrics(Font{u"Arial", -size});
        EXPECT_EQ(size, character.height - character.internalLeading);
        EXPECT_EQ(character.height, character.ascent + character.descent);
        const TextMetrics cell = measure.metrics(Font{u"Arial", size});
        // Ascent and descent are rounded each on its own, so the cell may miss by a pixel.
        EXPECT_NEAR(size, cell.height, 1);
        EXPECT_LT(cell.height - cell.internalLeading, size);
    }
}

TEST(TextMeasureQtTest, WidthGrowsWithWeightAndText)
{
    const TextMeasureQt measure;
    const Font normal{u"Arial", -20};
    const Font bold{u"Arial", -20, FW_BOLD};
    EXPECT_EQ(0, measure.width(normal, u""));
    EXPECT_LT(measure.width(normal, u"Wide"), measure.width(normal, u"Wider"));
    EXPECT_LT(measure.width(normal, u"Weight"), measure.width(bold, u"Weight"));
    // Monospaced faces give every character the same advance.
    const Font mono{u"Courier New", -20};
    EXPECT_EQ(measure.width(mono, u"iiii"), measure.width(mono, u"WWWW"));
}

TEST(TextMeasureQtTest, NumbersMeasureAsQtMeasuresThemBeforeAndAfterTheirShapesAreTrusted)
{
    Font bold = defaultGuiFont();
    bold.weight = FW_BOLD;
    Font largeBold = bold;
    largeBold.height = bold.height * 12 / 10;
    // The shot list's fonts, other faces and styles, and a face whose digits advance apart (where installed).
    const Font fonts[] = {defaultGuiFont(),
                          bold,
                          largeBold,
                          Font{u"Times New Roman", -16, FW_NORMAL, true},
                          Font{u"Courier New", -13},
                          Font{u"Noto Serif CJK JP", -11}};
    for (const Font& font : fonts) {
        SCOPED_TRACE(testing::Message() << std::string(font.faceName.begin(), font.faceName.end()) << " " << font.height
                                        << " " << font.weight);
        const TextMeasureQt measure;
        const QFontMetrics qt(toQFont(font));
        const auto expectQtWidth = [&](const std::string& text) {
            SCOPED_TRACE(text);
            EXPECT_EQ(qt.horizontalAdvance(QString::fromStdString(text)),
                      measure.width(font, std::u16string(text.begin(), text.end())));
        };
        for (int n = 0; n < 2000; n += 7) {
            const std::string tenths = std::to_string(n / 10) + "." + std::to_string(n % 10);
            for (const std::string& text : {std::to_string(n), tenths, "-" + tenths, std::to_string(n % 101) + "%"}) {
                expectQtWidth(text);
            }
        }
    }
}

} // namespace
} // namespace platform::gfx
