#include "platform/gfx/internal/NumberShape.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>

namespace platform::gfx {
namespace {

TEST(NumberShapeTest, ShapesOnlyTextsOfDigitsAndNumberSigns)
{
    const std::pair<std::u16string_view, std::optional<std::u16string_view>> cases[] = {
        {u"12.7", u"00.0"},        {u"-3.5", u"-0.0"},    {u"87%", u"00%"},
        {u"5000", u"0000"},        {u"9", u"0"},          {u"", std::nullopt},
        {u"-", std::nullopt},      {u".%", std::nullopt}, {u"12:30", std::nullopt},
        {u"1 2", std::nullopt},    {u"+1", std::nullopt}, {u"1e5", std::nullopt},
        {u"\u0661", std::nullopt},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(std::string(text.begin(), text.end()));
        std::u16string shape = u"kept";
        EXPECT_EQ(expected.has_value(), numberShape(text, shape));
        EXPECT_EQ(expected.value_or(u"kept"), shape);
    }
}

// A font whose text advances by its characters' advances plus an adjustment per adjacent pair.
struct PairFont {
    std::map<char16_t, double> advances;
    std::map<std::u16string, double> pairs;

    double advance(std::u16string_view text) const
    {
        double total = 0;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const auto own = advances.find(text[i]);
            total += own == advances.end() ? 6.109375 : own->second;
            const auto pair = i + 1 < text.size() ? pairs.find(std::u16string(text.substr(i, 2))) : pairs.end();
            total += pair == pairs.end() ? 0 : pair->second;
        }
        return total;
    }
};

TEST(NumberShapeTest, AnyDigitThatAdvancesApartFailsTheCheck)
{
    struct Case {
        const char* name;
        PairFont font;
        bool alike;
    };
    const Case cases[] = {
        {"equal digits", {{{u'.', 3.0}, {u'%', 9.8}}, {}}, true},
        {"pairs of signs only", {{}, {{u".%", -0.5}, {u"-.", 0.25}}}, true},
        {"a narrow one", {{{u'1', 5.0}}, {}}, false},
        {"a wider nine", {{{u'9', 6.125}}, {}}, false},
        {"two digits", {{}, {{u"17", -0.015625}}}, false},
        {"a sign before", {{}, {{u"-1", -0.5}}}, false},
        {"a point after", {{}, {{u"7.", -0.5}}}, false},
        {"a percent after", {{}, {{u"9%", 0.25}}}, false},
        {"a point before", {{}, {{u".4", 0.25}}}, false},
        {"the zeros themselves", {{}, {{u"00", -0.5}}}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.alike, numbersMeasureAsShapes([&](std::u16string_view text) { return c.font.advance(text); }));
    }
}

} // namespace
} // namespace platform::gfx
