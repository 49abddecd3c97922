#include "platform/text/CodePage.h"

#include <gtest/gtest.h>

#include <string>

using namespace platform::text;

namespace {

TEST(CodePageTest, Windows1252CoversTheRangeFrom0x80To0x9F)
{
    struct Case {
        char16_t character;
        unsigned char byte;
    };
    const Case cases[] = {
        {u'\u20ac', 0x80}, // euro sign
        {u'\u201a', 0x82}, {u'\u2026', 0x85}, {u'\u0160', 0x8A}, {u'\u2122', 0x99},
        {u'\u0178', 0x9F}, {u'\u00e9', 0xE9}, {u'\u00ff', 0xFF}, {u'A', 0x41},
    };
    ASSERT_EQ("WINDOWS-1252", ansiCodePage());
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.byte));
        const std::string bytes(1, static_cast<char>(c.byte));
        EXPECT_EQ(bytes, toAnsi(std::u16string(1, c.character)));
        EXPECT_EQ(std::u16string(1, c.character), fromAnsi(bytes));
    }
}

TEST(CodePageTest, WhatDoesNotMapBecomesAQuestionMark)
{
    struct Case {
        std::u16string text;
        std::string ansi;
    };
    const Case cases[] = {
        {u"a\u0416b", "a?b"},                               // Cyrillic zhe
        {u"\U0001F3AF!", "?!"},                             // one question mark for a surrogate pair
        {std::u16string(1, char16_t(0xDC00)) + u"x", "?x"}, // lone surrogate
        {u"\u20ac\u0416\u20ac", "\x80?\x80"},
        {u"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ansi);
        EXPECT_EQ(c.ansi, toAnsi(c.text));
    }
    // 0x81, 0x8D, 0x8F, 0x90 and 0x9D are unassigned in Windows-1252.
    EXPECT_EQ(u"a?b?", fromAnsi("a\x81"
                                "b\x9D"));
}

TEST(CodePageTest, AnotherCodePageCanBeChosenByName)
{
    EXPECT_FALSE(setAnsiCodePage("NO-SUCH-CODEPAGE"));
    EXPECT_EQ("WINDOWS-1252", ansiCodePage());
    ASSERT_TRUE(setAnsiCodePage("WINDOWS-1251"));
    EXPECT_EQ("\xC6", toAnsi(u"\u0416"));
    EXPECT_EQ(u"\u0416?", fromAnsi("\xC6\x98")); // 0x98 is unassigned in Windows-1251
    EXPECT_EQ("?", toAnsi(u"\u00e9"));
    ASSERT_TRUE(setAnsiCodePage("WINDOWS-1252"));
    EXPECT_EQ("\xE9", toAnsi(u"\u00e9"));
}

TEST(CodePageTest, LongTextConvertsWhole)
{
    std::u16string text;
    std::string expected;
    std::u16string back;
    for (int i = 0; i < 5000; ++i) {
        text += u"\u20ac\u0416";
        expected += "\x80?";
        back += u"\u20ac?";
    }
    EXPECT_EQ(expected, toAnsi(text));
    EXPECT_EQ(back, fromAnsi(expected));
}

} // namespace
