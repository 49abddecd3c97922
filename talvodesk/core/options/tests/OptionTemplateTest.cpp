#include "talvodesk/core/options/OptionTemplate.h"

#include <gtest/gtest.h>

using namespace talvodesk;

namespace {

Placeholder field(int number, FieldType type, int width = 0, int precision = 1, bool isLong = false)
{
    return {number, width, precision, isLong, type};
}

TEST(OptionTemplateTest, SplitsLabelsIntoLiteralsAndPlaceholders)
{
    struct Case {
        std::u16string label;
        std::vector<TemplateSegment> expected;
    };
    const std::vector<Case> cases = {
        {u"Plain text", {u"Plain text"}},
        {u"", {}},
        {u"Pause %1!d! seconds", {u"Pause ", field(1, FieldType::Number), u" seconds"}},
        {u"Speed %1!d! %%", {u"Speed ", field(1, FieldType::Number), u" %"}},
        {u"100%% sure", {u"100% sure"}},
        {u"%1!r!%2!.3f!", {field(1, FieldType::Colour), field(2, FieldType::Decimal, 0, 3)}},
        {u"%2!f! then %1!u!", {field(2, FieldType::Decimal), u" then ", field(1, FieldType::Unsigned)}},
        {u"%3!7.2f!", {field(3, FieldType::Decimal, 7, 2)}},
        {u"%1!5d!", {field(1, FieldType::Number, 5)}},
        {u"%1!.f!", {field(1, FieldType::Decimal, 0, 0)}},
        {u"%99!s!", {field(99, FieldType::String)}},
        {u"%1!ld!%2!Lu!%3!.2lf!",
         {field(1, FieldType::Number, 0, 1, true), field(2, FieldType::Unsigned, 0, 1, true),
          field(3, FieldType::Decimal, 0, 2, true)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.label.begin(), c.label.end()));
        const auto parsed = ParseOptionTemplate(c.label);
        ASSERT_TRUE(parsed.has_value());
        EXPECT_EQ(c.expected, *parsed);
    }
    EXPECT_EQ(0x19U, field(1, FieldType::Unsigned, 0, 1, true).flags());
    EXPECT_EQ(0x0AU, field(1, FieldType::Decimal, 0, 1, true).flags());
}

TEST(OptionTemplateTest, RefusesEveryOtherShapeOfPlaceholder)
{
    for (const std::u16string label :
         {u"%", u"end %", u"%0!d!", u"%100!d!", u"%1d", u"%1!d", u"%1!x!", u"%1!!", u"%!d!", u"%1!123d!", u"%1!.123f!",
          u"%1!ll d!", u"%1!l.2f!", u"%a", u"% 1!d!"}) {
        SCOPED_TRACE(std::string(label.begin(), label.end()));
        EXPECT_FALSE(ParseOptionTemplate(label).has_value());
    }
}

TEST(OptionTemplateTest, FillsANumberAndATextInEitherOrder)
{
    struct Case {
        std::u16string label;
        std::optional<std::u16string> expected;
    };
    const std::vector<Case> cases = {
        {u"Frequency while in %i %s Hz", u"Frequency while in 3 %1!d! Hz"},
        {u"%s Hz in zone %d", u"%1!d! Hz in zone 3"},
        {u"Zone %3i: %s, 50%%", u"Zone   3: %1!d!, 50%%"},
        {u"Zone %i", std::nullopt},
        {u"%s %s %i", std::nullopt},
        {u"%i %i %s", std::nullopt},
        {u"%x %s", std::nullopt},
        {u"%999999999i %s", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.label.begin(), c.label.end()));
        EXPECT_EQ(c.expected, FormatLabelWith(c.label, 3, u"%1!d!"));
    }
}

} // namespace
