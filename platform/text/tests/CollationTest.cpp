#include "platform/text/Collation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

using platform::text::compareLocale;

namespace {

std::vector<std::u16string> sortedByLocale(std::vector<std::u16string> texts)
{
    std::sort(texts.begin(), texts.end(), [](const auto& a, const auto& b) { return compareLocale(a, b) < 0; });
    return texts;
}

TEST(CollationTest, PunctuationLettersAndCaseFollowTheLocale)
{
    EXPECT_EQ((std::vector<std::u16string>{u"_x", u"a", u"b"}), sortedByLocale({u"b", u"a", u"_x"}));
    // Case only breaks ties between otherwise equal letters, lower case first.
    EXPECT_EQ((std::vector<std::u16string>{u"a", u"A", u"b", u"B", u"c"}),
              sortedByLocale({u"B", u"c", u"A", u"b", u"a"}));
    EXPECT_EQ(-1, compareLocale(u"a", u"B"));
    EXPECT_EQ(1, compareLocale(u"B", u"b"));
    EXPECT_EQ(-1, compareLocale(u"\u00e9t\u00e9", u"f"));
}

TEST(CollationTest, OnlyIdenticalStringsCompareEqual)
{
    struct Case {
        std::u16string a;
        std::u16string b;
    };
    const Case cases[] = {
        {u"ab", u"a\u00adb"},                // soft hyphen, ignorable to the collator
        {u"ab", std::u16string(u"a\0b", 3)}, // embedded zero
        {u"\u00e9", u"e\u0301"},             // composed and decomposed e acute are canonically equal
        {u"", std::u16string(u"\0", 1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.a.begin(), c.a.end()));
        const int forward = compareLocale(c.a, c.b);
        EXPECT_NE(0, forward);
        EXPECT_EQ(-forward, compareLocale(c.b, c.a));
    }
    EXPECT_EQ(0, compareLocale(u"same", u"same"));
    EXPECT_EQ(0, compareLocale(u"", u""));
    EXPECT_EQ(-1, compareLocale(u"", u"a"));
}

// The default locale is read once per process, so each locale is tried in a child process that starts afresh
// (the "threadsafe" death-test style runs the test again in a new process with the environment set here).
void expectOrderInLocale(const char* locale, std::u16string_view first, std::u16string_view second)
{
    const char* previous = std::getenv("LC_ALL");
    const std::string saved = previous ? previous : "";
    ::setenv("LC_ALL", locale, /*overwrite=*/1);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(std::exit(compareLocale(first, second) < 0 ? 0 : 1), ::testing::ExitedWithCode(0), "") << locale;
    if (previous) {
        ::setenv("LC_ALL", saved.c_str(), /*overwrite=*/1);
    } else {
        ::unsetenv("LC_ALL");
    }
}

TEST(CollationTest, TakesTheLocaleFromTheEnvironment)
{
    // Swedish sorts o with diaeresis after z; the root locale sorts it beside o.
    expectOrderInLocale("sv_SE.UTF-8", u"z", u"\u00f6");
    expectOrderInLocale("de_DE.UTF-8", u"\u00f6", u"z");
}

TEST(CollationTest, PosixLocaleSortsByTheRootLocaleNotByCodePoint)
{
    expectOrderInLocale("C", u"a", u"B");
    expectOrderInLocale("C.UTF-8", u"a", u"B");
    expectOrderInLocale("POSIX", u"a", u"B");
}

} // namespace
