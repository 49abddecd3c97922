#include "platform/com/Bstr.h"

#include <gtest/gtest.h>

using platform::com::Bstr;

namespace {

TEST(BstrTest, NullAndEmptyStayApart)
{
    const Bstr null;
    const Bstr empty = Bstr::empty();
    EXPECT_TRUE(null.isNull());
    EXPECT_FALSE(empty.isNull());
    EXPECT_EQ(0u, empty.length());
    EXPECT_FALSE(null == empty);
    EXPECT_TRUE(Bstr(null).isNull());
    EXPECT_FALSE(Bstr(empty).isNull());
    BSTR out = nullptr;
    ASSERT_EQ(S_OK, empty.copyTo(&out));
    EXPECT_NE(nullptr, out);
    SysFreeString(out);
}

TEST(BstrTest, KeepsEmbeddedZerosAndOddByteLengths)
{
    const Bstr withZero(std::u16string_view(u"a\0b", 3));
    EXPECT_EQ(3u, withZero.length());
    EXPECT_EQ(6u, SysStringByteLen(withZero.get()));
    const Bstr odd = Bstr::adopt(SysAllocStringByteLen("abc", 3));
    EXPECT_EQ(3u, SysStringByteLen(odd.get()));
    EXPECT_EQ(1u, odd.length());
}

TEST(BstrTest, Utf8RoundTripsThroughSurrogatesAndReplacesBadBytes)
{
    const std::string text = "Schütze \xF0\x9F\x8E\xAF";
    const Bstr converted(text);
    EXPECT_EQ(10u, converted.length()); // The target emoji needs two UTF-16 units.
    EXPECT_EQ(text, converted.toUtf8());
    EXPECT_EQ(u"\uFFFDa", platform::com::utf8ToUtf16("\xC3"
                                                     "a"));
    EXPECT_EQ(u"\uFFFD\uFFFD", platform::com::utf8ToUtf16("\xE2\x82")); // One mark per stray byte.
    EXPECT_EQ("\xEF\xBF\xBD", platform::com::utf16ToUtf8(u"\xD800"));
}

} // namespace
