#include "platform/com/Variant.h"

#include "platform/testing/Matchers.h"

#include <cmath>

using platform::com::Bstr;
using platform::com::Variant;

namespace {

Variant fromText(const char* text)
{
    return Variant::fromString(Bstr(text));
}

TEST(VariantTest, NumbersToTextUseTheCLocaleAndAutomationDigits)
{
    struct Case {
        Variant value;
        const char* text;
    };
    const Case cases[] = {
        {Variant::fromInt32(-42), "-42"},     {Variant::fromDouble(0.1), "0.1"},
        {Variant::fromDouble(1e20), "1E+20"}, {Variant::fromDouble(123456789012345678.0), "1.23456789012346E+17"},
        {Variant::fromFloat(0.1f), "0.1"},    {Variant::fromFloat(3.14159274f), "3.141593"},
        {Variant::fromBool(true), "True"},    {Variant(), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Variant converted = c.value;
        ASSERT_HR(S_OK, converted.changeType(VT_BSTR));
        EXPECT_EQ(c.text, Bstr::copyOf(converted.get().bstrVal).toUtf8());
    }
}

TEST(VariantTest, RealsBecomeIntegersHalfToEvenWithOverflowChecked)
{
    const struct {
        double value;
        VARTYPE type;
        HRESULT hr;
        std::int64_t expected;
    } cases[] = {
        {2.5, VT_I4, S_OK, 2},
        {3.5, VT_I4, S_OK, 4},
        {-2.5, VT_I2, S_OK, -2},
        {32767.4, VT_I2, S_OK, 32767},
        {32767.5, VT_I2, DISP_E_OVERFLOW, 0},
        {-0.5, VT_UI1, S_OK, 0},
        {-0.6, VT_UI1, DISP_E_OVERFLOW, 0},
        {2147483647.0, VT_I4, S_OK, 2147483647},
        {2147483648.0, VT_I4, DISP_E_OVERFLOW, 0},
        {NAN, VT_I4, DISP_E_OVERFLOW, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        Variant v = Variant::fromDouble(c.value);
        ASSERT_HR(c.hr, v.changeType(c.type));
        if (c.hr == S_OK) {
            EXPECT_EQ(c.type, v.type());
            const std::int64_t stored = c.type == VT_I4 ? v.get().lVal : c.type == VT_I2 ? v.get().iVal : v.get().bVal;
            EXPECT_EQ(c.expected, stored);
        } else {
            EXPECT_EQ(VT_R8, v.type()); // A failed conversion leaves the value alone.
        }
    }
}

TEST(VariantTest, TextParsesInTheCLocaleOrFailsWithTypeMismatch)
{
    Variant real = fromText(" 1.5 ");
    ASSERT_HR(S_OK, real.changeType(VT_R8));
    EXPECT_EQ(1.5, real.get().dblVal);

    Variant comma = fromText("1,5");
    EXPECT_HR(DISP_E_TYPEMISMATCH, comma.changeType(VT_R8));

    Variant truth = fromText("true");
    ASSERT_HR(S_OK, truth.changeType(VT_BOOL));
    EXPECT_EQ(VARIANT_TRUE, truth.get().boolVal);

    Variant big = fromText("70000");
    EXPECT_HR(DISP_E_OVERFLOW, big.changeType(VT_I2));
}

TEST(VariantTest, EmptyNullAndObjectsConvertOnlyWhereAutomationAllows)
{
    Variant empty;
    ASSERT_HR(S_OK, empty.changeType(VT_I4));
    EXPECT_EQ(0, empty.get().lVal);

    Variant null = Variant::null();
    EXPECT_HR(DISP_E_TYPEMISMATCH, null.changeType(VT_BSTR));

    Variant storedNull = Variant::fromString(Bstr::empty());
    ASSERT_HR(S_OK, storedNull.changeType(VT_NULL));
    EXPECT_EQ(VT_NULL, storedNull.type());

    Variant anything = fromText("x");
    ASSERT_HR(S_OK, anything.changeType(VT_EMPTY));
    EXPECT_EQ(VT_EMPTY, anything.type());

    Variant object = Variant::fromUnknown(nullptr);
    EXPECT_HR(DISP_E_TYPEMISMATCH, object.changeType(VT_BSTR));
    Variant decimal = fromText("1");
    EXPECT_HR(DISP_E_BADVARTYPE, decimal.changeType(VT_DECIMAL));
}

TEST(VariantTest, ByReferenceValuesAreFollowed)
{
    std::int32_t target = 7;
    VARIANT reference;
    VariantInit(&reference);
    reference.vt = VT_I4 | VT_BYREF;
    reference.byref = &target;
    Variant copy;
    ASSERT_HR(S_OK, VariantCopyInd(copy.put(), &reference));
    EXPECT_EQ(VT_I4, copy.type());
    EXPECT_EQ(7, copy.get().lVal);
    Variant text;
    ASSERT_HR(S_OK, VariantChangeType(text.put(), &reference, 0, VT_BSTR));
    EXPECT_EQ("7", Bstr::copyOf(text.get().bstrVal).toUtf8());
}

TEST(VariantTest, CopiesOwnTheirStrings)
{
    Variant original = fromText("abc");
    Variant copy = original;
    EXPECT_NE(original.get().bstrVal, copy.get().bstrVal);
    EXPECT_TRUE(platform::com::variantsEqual(original.get(), copy.get()));
    original = Variant::fromInt32(1);
    EXPECT_EQ("abc", Bstr::copyOf(copy.get().bstrVal).toUtf8());
}

} // namespace
