#include "talvodata/Aiming.h"

#include "talvodata/tests/support/AimingBuilder.h"

#include "platform/com/EnumVariant.h"
#include "platform/com/MemoryStream.h"
#include "platform/com/StreamForms.h"
#include "platform/testing/Matchers.h"

#include <random>

using namespace talvodata;
using platform::com::Bstr;
using platform::com::ComPtr;
using platform::com::makeComObject;
using platform::com::MemoryStream;
using platform::com::Variant;
using talvodata::testsupport::AimingBuilder;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes saved(CAiming& aiming)
{
    auto stream = makeComObject<MemoryStream>();
    EXPECT_HR(S_OK, aiming.Save(stream.get(), TRUE));
    return stream->bytes();
}

ComPtr<CAiming> loaded(const Bytes& bytes, HRESULT expected = S_OK)
{
    auto aiming = CAiming::create();
    EXPECT_THAT(aiming, IsOk());
    auto stream = makeComObject<MemoryStream>(bytes);
    EXPECT_HR(expected, aiming.value()->Load(stream.get()));
    return std::move(aiming).value();
}

TEST(AimingTest, ANewAimingHasNoShots)
{
    auto aiming = AimingBuilder().build();
    LONG count = -1;
    ASSERT_HR(S_OK, aiming->get_ShotCount(&count));
    EXPECT_EQ(0, count);
    ComPtr<IShot> shot;
    EXPECT_HR(E_INVALIDARG, aiming->get_Shot(1, shot.put()));
    EXPECT_HR(E_POINTER, aiming->AddShot(VARIANT_FALSE, nullptr));
}

TEST(AimingTest, AShotIsRegisteredAtTheLastSample)
{
    auto aiming = AimingBuilder().stopSliding().samples(250).build();
    ComPtr<IShot> shot;
    ASSERT_HR(S_OK, aiming->AddShot(VARIANT_TRUE, shot.put()));
    LONG index = 0;
    VARIANT_BOOL missed = VARIANT_FALSE;
    ASSERT_HR(S_OK, shot->get_TraceIndex(&index));
    ASSERT_HR(S_OK, shot->get_Missed(&missed));
    EXPECT_EQ(249, index);
    EXPECT_EQ(VARIANT_TRUE, missed);
    ComPtr<IShot> notMissed;
    ASSERT_HR(S_OK, aiming->AddShot(1, notMissed.put())); // Only VARIANT_TRUE means missed.
    ASSERT_HR(S_OK, notMissed->get_Missed(&missed));
    EXPECT_EQ(VARIANT_FALSE, missed);
    EXPECT_HR(S_OK, aiming->IsDirty());
    // An out-pointer that already holds an object is refused, not overwritten (its reference would leak).
    IShot* held = shot.get();
    EXPECT_HR(E_POINTER, aiming->get_Shot(2, &held));
    EXPECT_EQ(shot.get(), held);
}

TEST(AimingTest, RangesOfTheWholeTraceOrAWindowInSeconds)
{
    auto aiming = AimingBuilder().stopSliding().samples(400).conclude().build();
    ComPtr<IRange> whole;
    ASSERT_HR(S_OK, aiming->Range(0, 0, whole.put()));
    LONG first = -1;
    LONG last = -1;
    ASSERT_HR(S_OK, whole->get_First(&first));
    ASSERT_HR(S_OK, whole->get_Last(&last));
    EXPECT_EQ(0, first);
    EXPECT_EQ(399, last);
    ComPtr<IRange> window;
    ASSERT_HR(S_OK, aiming->Range(0.5f, 1.0f, window.put()));
    ASSERT_HR(S_OK, window->get_First(&first));
    ASSERT_HR(S_OK, window->get_Last(&last));
    EXPECT_EQ(100, first);
    EXPECT_EQ(200, last);
    EXPECT_HR(E_FAIL, aiming->Range(1.0f, 0.5f, window.put()));
}

TEST(AimingTest, SavedAimingsLoadBackEqualWithShotsInOrder)
{
    auto aiming = AimingBuilder()
                      .at(-300, 200)
                      .stopSliding()
                      .samples(900, 3, -2)
                      .shot()
                      .samples(100, 1, 1)
                      .shot()
                      .conclude()
                      .build();
    ComPtr<IShot> second;
    ASSERT_HR(S_OK, aiming->get_Shot(2, second.put()));
    ASSERT_HR(S_OK, second->put_Value(Bstr("_trigger").get(), Variant::fromInt32(7).get()));
    ASSERT_HR(S_OK, second->put_ShotTime(46000.5));
    const Bytes record = saved(*aiming);
    EXPECT_EQ((Bytes{2, 0, 0, 0}), Bytes(record.begin(), record.begin() + 4));
    const auto classId = platform::com::guidToBytes(CLSID_AimingAttr);
    EXPECT_EQ(Bytes(classId.begin(), classId.end()), Bytes(record.begin() + 4, record.begin() + 20));

    auto copy = loaded(record);
    EXPECT_EQ(record, saved(*copy));
    LONG count = 0;
    ASSERT_HR(S_OK, copy->get_ShotCount(&count));
    ASSERT_EQ(2, count);
    std::vector<LONG> indexes;
    for (LONG n = 1; n <= count; ++n) {
        ComPtr<IShot> shot;
        ASSERT_HR(S_OK, copy->get_Shot(n, shot.put()));
        LONG index = 0;
        ASSERT_HR(S_OK, shot->get_TraceIndex(&index));
        indexes.push_back(index);
    }
    EXPECT_EQ((std::vector<LONG>{899, 999}), indexes);
    float original = 0;
    float reread = 0;
    ASSERT_HR(S_OK, second->get_BreachX(&original));
    ComPtr<IShot> copiedSecond;
    ASSERT_HR(S_OK, copy->get_Shot(2, copiedSecond.put()));
    ASSERT_HR(S_OK, copiedSecond->get_BreachX(&reread));
    EXPECT_EQ(original, reread);
    EXPECT_HR(S_FALSE, copy->IsDirty());
}

TEST(AimingTest, EnumeratesItsShots)
{
    auto aiming = AimingBuilder().samples(10).shot().shot().build();
    ComPtr<IUnknown> unknown;
    ASSERT_HR(S_OK, aiming->get__NewEnum(unknown.put()));
    auto items = unknown.queryInterface<IEnumVARIANT>();
    ASSERT_TRUE(items);
    VARIANT batch[3];
    ULONG fetched = 0;
    EXPECT_HR(S_FALSE, items->Next(3, batch, &fetched));
    ASSERT_EQ(2u, fetched);
    EXPECT_EQ(VT_DISPATCH, batch[0].vt);
    for (ULONG i = 0; i < fetched; ++i) {
        EXPECT_HR(S_OK, VariantClear(&batch[i]));
    }
}

TEST(AimingTest, DamagedRecordsFail)
{
    auto aiming = AimingBuilder().samples(300).shot().conclude().build();
    const Bytes good = saved(*aiming);
    loaded({3, 0, 0, 0}, E_FAIL);
    loaded(Bytes(good.begin(), good.end() - 3), E_FAIL);
    Bytes hugeCount = good;
    const std::size_t countAt = good.size() - (16 + 4 + 1 + 1 + 4 + 8 + 4) - 4; // Before the one shot.
    hugeCount[countAt + 3] = 0x7F;
    loaded(hugeCount, E_FAIL);
}

TEST(AimingTest, MutatedRecordsNeverCrash)
{
    auto aiming = AimingBuilder().samples(200, 4, -3).shot().samples(40, 1, 0).shot(/*missed=*/true).conclude().build();
    ComPtr<IShot> shot;
    ASSERT_HR(S_OK, aiming->get_Shot(1, shot.put()));
    ASSERT_HR(S_OK, shot->put_Value(Bstr("_comments").get(), Variant::fromString(Bstr("wind")).get()));
    const Bytes good = saved(*aiming);
    std::mt19937 random(8122026);
    int loadedCount = 0;
    for (int round = 0; round < 2000; ++round) {
        Bytes mutated = good;
        for (int edit = 1 + static_cast<int>(random() % 3); edit > 0; --edit) {
            mutated[random() % mutated.size()] = static_cast<std::uint8_t>(random());
        }
        auto copy = CAiming::create();
        ASSERT_THAT(copy, IsOk());
        auto stream = makeComObject<MemoryStream>(mutated);
        if (FAILED(copy.value()->Load(stream.get()))) {
            continue;
        }
        ++loadedCount;
        LONG count = 0;
        ASSERT_HR(S_OK, copy.value()->get_ShotCount(&count));
        for (LONG n = 1; n <= count; ++n) {
            ComPtr<IShot> loadedShot;
            ASSERT_HR(S_OK, copy.value()->get_Shot(n, loadedShot.put()));
            float result = 0;
            (void)loadedShot->get_Result(&result); // Any answer will do; it must not crash.
        }
    }
    EXPECT_GT(loadedCount, 0);
}

} // namespace
