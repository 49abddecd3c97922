#include "platform/text/CaseFolding.h"

#include <gtest/gtest.h>

#include <string>

using platform::text::foldCase;

namespace {

TEST(CaseFoldingTest, FoldsAsciiAndBeyondOneCharacterForOne)
{
    struct Case {
        std::u16string a;
        std::u16string b;
        bool same;
    };
    const Case cases[] = {
        {u"Talvo Professional", u"TALVO professional", true},
        {u"\u00c4rger", u"\u00e4RGER", true},                                         // A and a with diaeresis
        {u"\u0394\u03b5\u03bb\u03c4\u03b1", u"\u03b4\u0395\u039b\u03a4\u0391", true}, // Greek
        {u"\U00010400", u"\U00010428", true}, // Deseret, outside the basic plane
        {u"Stra\u00dfe", u"STRASSE", false},  // full folding would join these; names keep their length
        {u"a\\b", u"A/B", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.b.begin(), c.b.end()));
        EXPECT_EQ(c.same, foldCase(c.a) == foldCase(c.b));
    }
}

TEST(CaseFoldingTest, KeepsLoneSurrogatesAndEmptyText)
{
    EXPECT_EQ(u"", foldCase(u""));
    const std::u16string lone(1, char16_t(0xD800));
    EXPECT_EQ(lone + u"x", foldCase(lone + u"X"));
}

} // namespace
