#include "platform/com/Property.h"
#include "platform/com/ComObject.h"

#include "platform/testing/Matchers.h"

#include <cmath>
#include <limits>

using namespace platform::com;

namespace {

struct IHolder : IUnknown {
    using Base = IUnknown;
    static constexpr IID kIid = makeGuid("6A1B2C3D-0000-4000-8000-0000000000A1");

protected:
    ~IHolder() = default;
};

class Holder final : public ComObject<IHolder> {
public:
    using ComObject::getFlag;
    using ComObject::getProperty;
    using ComObject::putChecked;
    using ComObject::putProperty;

private:
    ~Holder() override = default;
};

// A VARIANT_BOOL stored straight into a flag would make any non-zero value true.
template <typename H>
concept StoresRawFlag = requires(H& holder, bool& flag, VARIANT_BOOL value)
{
    holder.putProperty(flag, value);
};
static_assert(!StoresRawFlag<Holder>);

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

TEST(PropertyTest, StoreTellsTheOwnerAsThePolicySays)
{
    struct Case {
        Notify when;
        float stored;
        float put;
        bool told;
    };
    const Case cases[] = {
        {Notify::Never, 1.0F, 2.0F, false},   {Notify::Never, 1.0F, 1.0F, false},
        {Notify::Always, 1.0F, 2.0F, true},   {Notify::Always, 1.0F, 1.0F, true},
        {Notify::OnChange, 1.0F, 2.0F, true}, {Notify::OnChange, 1.0F, 1.0F, false},
        {Notify::OnChange, kNaN, kNaN, true}, {Notify::OnChange, 0.0F, -0.0F, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(c.when) << ": " << c.stored << " -> " << c.put);
        float field = c.stored;
        EXPECT_EQ(c.told, storeProperty(field, c.put, c.when));
        EXPECT_TRUE(field == c.put || (std::isnan(field) && std::isnan(c.put)));
    }
}

TEST(PropertyTest, RangeHoldsBothBoundsAndNoNaN)
{
    struct Case {
        float value;
        bool inside;
    };
    const Case cases[] = {{2.0F, true}, {1000.0F, true}, {1.99F, false}, {1000.5F, false}, {kNaN, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(c.inside, inRange(c.value, 2.0F, 1000.0F));
    }
}

TEST(PropertyTest, OnlyVariantTrueIsTrue)
{
    EXPECT_TRUE(fromVariantBool(VARIANT_TRUE));
    EXPECT_FALSE(fromVariantBool(VARIANT_FALSE));
    EXPECT_FALSE(fromVariantBool(1));
}

TEST(PropertyTest, PutsTellOnlyAfterStoringAndRefuseWithoutStoring)
{
    auto holder = makeComObject<Holder>();
    LONG field = 5;
    LONG seen = 0;
    int told = 0;
    const auto tell = [&] {
        seen = field;
        ++told;
    };
    EXPECT_HR(S_OK, holder->putProperty(field, 5, Notify::OnChange, tell));
    EXPECT_HR(S_OK, holder->putProperty(field, 7, Notify::OnChange, tell));
    EXPECT_EQ(1, told);
    EXPECT_EQ(7, seen);

    EXPECT_HR(E_INVALIDARG, holder->putChecked(field, 11, inRange(11, 0, 10), Notify::Always, tell));
    EXPECT_EQ(1, told);
    EXPECT_HR(S_OK, holder->putChecked(field, 10, inRange(10, 0, 10)));
    LONG read = 0;
    EXPECT_HR(S_OK, holder->getProperty(field, &read));
    EXPECT_EQ(10, read);
    EXPECT_HR(E_POINTER, holder->getProperty(field, static_cast<LONG*>(nullptr)));
    EXPECT_HR(E_POINTER, holder->getFlag(true, nullptr));
}

TEST(PropertyTest, RequiredObjectIsUnexpectedUntilSet)
{
    const auto stale = makeComObject<Holder>();
    ComPtr<IHolder> field;
    IHolder* out = stale.get(); // A failure must not leave the caller's old pointer behind.
    EXPECT_HR(E_POINTER, copyRequired(field, static_cast<IHolder**>(nullptr)));
    EXPECT_HR(E_UNEXPECTED, copyRequired(field, &out));
    EXPECT_EQ(nullptr, out);

    field = makeComObject<Holder>();
    EXPECT_HR(S_OK, copyRequired(field, &out));
    EXPECT_EQ(field.get(), out);
    out->Release();
}

} // namespace
