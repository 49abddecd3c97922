#include "platform/text/Ascii.h"

#include <gtest/gtest.h>

namespace {

TEST(AsciiTest, EqualityIgnoresOnlyTheCaseOfAsciiLetters)
{
    using platform::text::equalsIgnoringAsciiCase;
    const struct {
        const char* a;
        const char* b;
        bool equal;
    } cases[] = {
        {"", "", true},           {"TRUE", "true", true},          {".Evl", ".evl", true}, {"@[`{", "@[`{", true},
        {"@", "`", false}, // 0x40 and 0x60 differ by the case bit but are no letters
        {"[", "{", false}, // likewise 0x5B and 0x7B
        {"true", "true ", false}, {"\xC3\x89", "\xC3\xA9", false}, // É and é in UTF-8: not ASCII
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " ~ " + c.b);
        EXPECT_EQ(c.equal, equalsIgnoringAsciiCase(c.a, c.b));
    }
}

} // namespace
