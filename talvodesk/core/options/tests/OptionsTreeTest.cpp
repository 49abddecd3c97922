#include "talvodesk/core/options/OptionsTree.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace talvodesk;

namespace {

std::string narrow(std::u16string_view text)
{
    return std::string(text.begin(), text.end());
}

TEST(OptionsTreeTest, TypedTextIsParsedClampedAndStored)
{
    struct Case {
        const char* what;
        FieldType type;
        double minimum;
        double maximum;
        std::u16string typed;
        double expected;
    };
    const std::vector<Case> cases = {
        {"zero below the minimum", FieldType::Number, 10, 300, u"0", 10},
        {"within", FieldType::Number, 10, 300, u"250", 250},
        {"above the maximum", FieldType::Number, 10, 300, u"301", 300},
        {"stops at a letter", FieldType::Number, 10, 300, u" 12abc", 12},
        {"no number is 0", FieldType::Number, 0, 60, u"abc", 0},
        {"empty is 0", FieldType::Number, 1, 10, u"", 1},
        {"huge", FieldType::Number, 1, 1000, u"99999999999999999999", 1000},
        {"signed below zero", FieldType::Number, -5, 5, u"-3", -3},
        {"unsigned refuses a sign", FieldType::Unsigned, 0, 16000, u"-5", 0},
        {"unsigned within", FieldType::Unsigned, 0, 16000, u"1234", 1234},
        {"decimal", FieldType::Decimal, 0, 10, u"1.25", 1.25},
        {"decimal with a point first", FieldType::Decimal, 0, 10, u"\t.5", 0.5},
        {"decimal stops at a second point", FieldType::Decimal, 0, 10, u"1.5.7", 1.5},
        {"decimal below", FieldType::Decimal, -60, 2, u"-61", -60},
        {"decimal above", FieldType::Decimal, -60, 2, u"2.001", 2},
        {"decimal exponent", FieldType::Decimal, 0, 10, u"1e1", 10},
        {"nan is no number", FieldType::Decimal, 0.5, 10, u"nan", 0.5},
        {"inf is no number", FieldType::Decimal, 0, 10, u"inf", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::uint32_t whole = 7;
        float decimal = 7;
        const FieldBinding binding =
            c.type == FieldType::Decimal  ? FieldBinding::decimal(decimal, c.minimum, c.maximum, 0.01)
            : c.type == FieldType::Number ? FieldBinding::number(whole, static_cast<std::int32_t>(c.minimum),
                                                                 static_cast<std::int32_t>(c.maximum))
                                          : FieldBinding::unsignedNumber(whole, static_cast<std::uint32_t>(c.minimum),
                                                                         static_cast<std::uint32_t>(c.maximum));
        OptionField field{{1, 0, 1, false, c.type}, binding};
        OptionsTree::storeText(field, c.typed);
        double stored = whole;
        if (c.type == FieldType::Decimal) {
            stored = decimal;
        } else if (c.type == FieldType::Number) {
            stored = static_cast<std::int32_t>(whole);
        }
        EXPECT_FLOAT_EQ(c.expected, stored);
    }
}

TEST(OptionsTreeTest, SpinStepsStopAtTheLimits)
{
    struct Case {
        const char* what;
        float start;
        double minimum;
        double maximum;
        double step;
        int delta;
        bool changes;
        float expected;
    };
    const std::vector<Case> cases = {
        {"up by the step", 1.0F, 0, 10, 0.05, +1, true, 1.05F},
        {"down by the step", 0.5F, 0, 1, 0.01, -1, true, 0.49F},
        {"at the maximum", 10.0F, 0, 10, 0.05, +1, false, 10.0F},
        {"at the minimum", 0.0F, 0, 10, 0.05, -1, false, 0.0F},
        {"near the maximum is clamped", 9.98F, 0, 10, 0.05, +1, true, 10.0F},
        {"interval lower end", -60.0F, -60, 2, 0.01, -1, false, -60.0F},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        float value = c.start;
        const OptionField field{{1, 0, 3, false, FieldType::Decimal},
                                FieldBinding::decimal(value, c.minimum, c.maximum, c.step)};
        EXPECT_EQ(c.changes, OptionsTree::spin(field, c.delta));
        EXPECT_FLOAT_EQ(c.expected, value);
    }

    std::uint32_t whole = 10;
    const OptionField number{{1, 0, 1, false, FieldType::Number}, FieldBinding::number(whole, 10, 300)};
    EXPECT_FALSE(OptionsTree::spin(number, -1));
    EXPECT_TRUE(OptionsTree::spin(number, +1));
    EXPECT_EQ(11U, whole);
    std::uint32_t frequency = 0;
    const OptionField unsignedField{{1, 0, 1, false, FieldType::Unsigned},
                                    FieldBinding::unsignedNumber(frequency, 0, 16000)};
    EXPECT_FALSE(OptionsTree::spin(unsignedField, -1));
    EXPECT_EQ(0U, frequency);
}

TEST(OptionsTreeTest, ShowsValuesWithTheirWidthAndPrecision)
{
    std::uint32_t speed = 100;
    std::uint32_t frequency = 2000;
    float length = 1.5F;
    COLORREF colour = 0x123456;
    OptionsTree tree;
    const auto item =
        tree.addItem(OptionsTree::kRoot, CheckKind::None, nullptr, -1, u"%1!d! %% %2!5.2f!|%3!u!|%4!r!|%2!f!",
                     {FieldBinding::number(speed, 10, 300), FieldBinding::decimal(length, 0, 10, 0.1),
                      FieldBinding::unsignedNumber(frequency, 0, 16000), FieldBinding::colour(colour)});
    ASSERT_TRUE(item);
    EXPECT_EQ("100 %  1.50|2000||1.5", narrow(tree.text(*item)));
    EXPECT_EQ(5U, tree.fields(*item).size());
}

TEST(OptionsTreeTest, RefusesItemsItCannotBind)
{
    std::uint32_t whole = 1;
    float decimal = 1;
    struct Case {
        const char* what;
        std::u16string label;
        std::vector<FieldBinding> bindings;
        CheckKind check;
    };
    const std::vector<Case> cases = {
        {"malformed", u"Speed %1!d %%", {FieldBinding::number(whole, 0, 9)}, CheckKind::None},
        {"no binding", u"%1!d! %2!d!", {FieldBinding::number(whole, 0, 9)}, CheckKind::None},
        {"other type", u"%1!f!", {FieldBinding::number(whole, 0, 9)}, CheckKind::None},
        {"a double over a float", u"%1!lf!", {FieldBinding::decimal(decimal, 0, 9, 1)}, CheckKind::None},
        {"a string has no option", u"%1!s!", {FieldBinding::number(whole, 0, 9)}, CheckKind::None},
        {"a check without a value", u"Check", {}, CheckKind::CheckBox},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        OptionsTree tree;
        EXPECT_FALSE(tree.addItem(OptionsTree::kRoot, c.check, nullptr, -1, c.label, c.bindings));
        EXPECT_TRUE(tree.children(OptionsTree::kRoot).empty());
    }
}

TEST(OptionsTreeTest, BringsOutOfRangeValuesInsideWhenBound)
{
    std::uint32_t speed = 5000;
    std::uint32_t negative = 0xFFFFFFFF;
    float length = std::numeric_limits<float>::quiet_NaN();
    float interval = std::numeric_limits<float>::infinity();
    COLORREF colour = 0xFF123456;
    std::uint32_t check = 7;
    OptionsTree tree;
    ASSERT_TRUE(tree.addItem(OptionsTree::kRoot, CheckKind::CheckBox, &check, -1, u"%1!d!%2!d!%3!f!%4!f!%5!r!",
                             {FieldBinding::number(speed, 10, 300), FieldBinding::number(negative, 1, 10),
                              FieldBinding::decimal(length, 0, 1, 0.01), FieldBinding::decimal(interval, -60, 2, 0.01),
                              FieldBinding::colour(colour)}));
    EXPECT_EQ(300U, speed);
    EXPECT_EQ(1U, negative);
    EXPECT_EQ(0.0F, length);
    EXPECT_EQ(2.0F, interval);
    EXPECT_EQ(0x123456U, colour);
    EXPECT_EQ(1U, check);
}

class OptionsTreeChecks : public ::testing::Test {
protected:
    std::optional<OptionsTree::ItemId> add(OptionsTree::ItemId parent, CheckKind kind, std::uint32_t& value)
    {
        return tree.addItem(parent, kind, &value, -1, u"item");
    }

    OptionsTree tree;
};

TEST_F(OptionsTreeChecks, AnUncheckedAncestorDisablesEverythingBelow)
{
    std::uint32_t group = 0;
    std::uint32_t child = 1;
    std::uint32_t radio = 0;
    std::uint32_t frequency = 200;
    const auto top = add(OptionsTree::kRoot, CheckKind::CheckBox, group);
    const auto middle = add(*top, CheckKind::CheckBox, child);
    const auto bottomRadio = add(*middle, CheckKind::Radio, radio);
    const auto plain =
        tree.addItem(*middle, CheckKind::None, nullptr, -1, u"%1!d! Hz", {FieldBinding::number(frequency, 0, 16000)});
    ASSERT_TRUE(top && middle && bottomRadio && plain);

    EXPECT_EQ(1, tree.checkImage(*top));
    EXPECT_EQ(4, tree.checkImage(*middle));
    EXPECT_EQ(7, tree.checkImage(*bottomRadio));
    EXPECT_EQ(0, tree.checkImage(*plain));
    EXPECT_FALSE(tree.isEnabled(*plain));
    EXPECT_FALSE(tree.areValuesEditable(*plain));
    EXPECT_TRUE(tree.isEnabled(*top));
    EXPECT_FALSE(tree.areValuesEditable(*top));
    EXPECT_FALSE(tree.toggle(*middle));
    EXPECT_EQ(1U, child);

    ASSERT_TRUE(tree.toggle(*top));
    EXPECT_EQ(2, tree.checkImage(*top));
    EXPECT_EQ(2, tree.checkImage(*middle));
    EXPECT_EQ(5, tree.checkImage(*bottomRadio));
    EXPECT_TRUE(tree.areValuesEditable(*plain));

    ASSERT_TRUE(tree.toggle(*middle));
    EXPECT_EQ(0U, child);
    EXPECT_EQ(1, tree.checkImage(*middle));
    EXPECT_EQ(7, tree.checkImage(*bottomRadio));
    EXPECT_FALSE(tree.areValuesEditable(*plain));
}

TEST_F(OptionsTreeChecks, ARadioThatIsOnStaysOnAndTurnsItsSiblingsOff)
{
    std::uint32_t first = 1;
    std::uint32_t second = 0;
    std::uint32_t third = 0;
    std::uint32_t box = 0;
    const auto a = add(OptionsTree::kRoot, CheckKind::Radio, first);
    const auto b = add(OptionsTree::kRoot, CheckKind::Radio, second);
    const auto c = add(OptionsTree::kRoot, CheckKind::Radio, third);
    const auto d = add(OptionsTree::kRoot, CheckKind::CheckBox, box);
    ASSERT_TRUE(a && b && c && d);

    EXPECT_TRUE(tree.toggle(*b));
    EXPECT_EQ((std::array{0U, 1U, 0U, 0U}), (std::array{first, second, third, box}));
    EXPECT_FALSE(tree.toggle(*b));
    EXPECT_EQ(1U, second);
    EXPECT_EQ(6, tree.checkImage(*b));
    EXPECT_TRUE(tree.toggle(*d));
    EXPECT_TRUE(tree.toggle(*d));
    EXPECT_EQ((std::array{0U, 1U, 0U, 0U}), (std::array{first, second, third, box}));
}

} // namespace
