#include "talvodata/AimingCollection.h"

#include "talvodata/tests/support/AimingBuilder.h"
#include "talvodata/tests/support/Bytes.h"
#include "talvodata/tests/support/DocumentClasses.h"
#include "talvodata/tests/support/MalformedInputs.h"
#include "talvodata/tests/support/ProgressRecorder.h"

#include "interfaces/talvodata/DispIds.h"
#include "platform/com/EnumVariant.h"
#include "platform/com/MemoryStream.h"
#include "platform/testing/ByteMutator.h"
#include "platform/testing/Matchers.h"

#include <gtest/gtest.h>

namespace talvodata {
namespace {

using platform::com::Bstr;
using platform::com::ComPtr;
using testsupport::AimingBuilder;
using testsupport::Bytes;
using testsupport::ProgressAdvice;

class AimingCollectionTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testsupport::registerDocumentClassesWhereMissing(); }

    static ComPtr<CAimingCollection> newCollection()
    {
        auto created = CAimingCollection::create();
        EXPECT_TRUE(created.hasValue());
        return std::move(created).value();
    }

    static ComPtr<IAiming> aiming(bool match, const char* event = "AR10", int shots = 1)
    {
        AimingBuilder builder(event);
        builder.samples(20, 5, -3);
        for (int i = 0; i < shots; ++i) {
            builder.shot();
        }
        ComPtr<IAiming> result = builder.samples(10).conclude().build();
        ComPtr<IAimingAttr> attributes;
        EXPECT_HR(S_OK, result->get_Attr(attributes.put()));
        EXPECT_HR(S_OK, attributes->put_Match(match ? VARIANT_TRUE : VARIANT_FALSE));
        return result;
    }

    static ComPtr<IAiming> item(IAimingCollection& collection, LONG index)
    {
        ComPtr<IAiming> result;
        EXPECT_HR(S_OK, collection.get_Item(index, result.put()));
        return result;
    }

    static LONG count(IAimingCollection& collection)
    {
        LONG result = -1;
        EXPECT_HR(S_OK, collection.get_Count(&result));
        return result;
    }

    static ComPtr<IShot> shotOf(IAiming& aiming, LONG index)
    {
        ComPtr<IShot> shot;
        EXPECT_HR(S_OK, aiming.get_Shot(index, shot.put()));
        return shot;
    }
};

TEST_F(AimingCollectionTest, SightingAimingsGoAheadOfMatchAimings)
{
    auto collection = newCollection();
    auto a = aiming(true);
    auto s1 = aiming(false);
    auto b = aiming(true);
    auto s2 = aiming(false);
    for (const auto& added : {a, s1, b, s2}) {
        ASSERT_HR(S_OK, collection->Add(added.get()));
    }
    ASSERT_EQ(4, count(*collection));
    EXPECT_EQ(s1.get(), item(*collection, 1).get());
    EXPECT_EQ(s2.get(), item(*collection, 2).get());
    EXPECT_EQ(a.get(), item(*collection, 3).get());
    EXPECT_EQ(b.get(), item(*collection, 4).get());
}

TEST_F(AimingCollectionTest, AddChecksItsAimingAndTakesTheFirstEvent)
{
    auto collection = newCollection();
    ComPtr<IEventParams> event;
    EXPECT_HR(E_UNEXPECTED, collection->get_Event(event.put()));
    EXPECT_HR(E_INVALIDARG, collection->Add(nullptr));

    auto first = aiming(true);
    ASSERT_HR(S_OK, collection->Add(first.get()));
    ASSERT_HR(S_OK, collection->get_Event(event.put()));
    EXPECT_EQ(testsupport::shippedEvent("AR10").get(), event.get());

    // The same aiming again changes nothing; an aiming of another event is refused.
    EXPECT_HR(S_OK, collection->Add(first.get()));
    EXPECT_HR(E_INVALIDARG, collection->Add(aiming(true, "AP10").get()));
    EXPECT_EQ(1, count(*collection));
    EXPECT_HR(S_OK, collection->IsDirty());
}

TEST_F(AimingCollectionTest, ItemAndEventCheckTheirArguments)
{
    auto collection = newCollection();
    ASSERT_HR(S_OK, collection->Add(aiming(true).get()));
    struct Case {
        LONG index;
        HRESULT expected;
    };
    for (const Case& c : {Case{0, E_INVALIDARG}, Case{1, S_OK}, Case{2, E_INVALIDARG}, Case{-1, E_INVALIDARG}}) {
        SCOPED_TRACE(c.index);
        ComPtr<IAiming> result;
        EXPECT_HR(c.expected, collection->get_Item(c.index, result.put()));
        EXPECT_EQ(c.expected == S_OK, result != nullptr);
    }
    EXPECT_HR(E_POINTER, collection->get_Item(1, nullptr));
    ComPtr<IAiming> held = item(*collection, 1);
    IAiming* occupied = held.get();
    EXPECT_HR(E_POINTER, collection->get_Item(1, &occupied));
    EXPECT_HR(E_INVALIDARG, collection->put_Event(nullptr));
}

TEST_F(AimingCollectionTest, ShotsLeaveHiddenShotsOutUnlessAsked)
{
    auto collection = newCollection();
    auto first = aiming(true, "AR10", 2);
    auto second = aiming(true);
    ASSERT_HR(S_OK, shotOf(*first, 2)->put_Hidden(VARIANT_TRUE));
    ASSERT_HR(S_OK, collection->Add(first.get()));
    ASSERT_HR(S_OK, collection->Add(second.get()));

    ComPtr<IShotCollection> visible;
    ASSERT_HR(S_OK, collection->get_Shots(VARIANT_FALSE, visible.put()));
    LONG visibleCount = 0;
    ASSERT_HR(S_OK, visible->get_Count(&visibleCount));
    EXPECT_EQ(2, visibleCount);

    ComPtr<IShotCollection> all;
    ASSERT_HR(S_OK, collection->get_Shots(VARIANT_TRUE, all.put()));
    LONG allCount = 0;
    ASSERT_HR(S_OK, all->get_Count(&allCount));
    ASSERT_EQ(3, allCount);
    // Aiming by aiming, shot by shot.
    ComPtr<IShot> last;
    ASSERT_HR(S_OK, all->get_Item(3, last.put()));
    EXPECT_EQ(shotOf(*second, 1).get(), last.get());

    // The shot collection has the aimings' event even when it holds no shot.
    auto empty = newCollection();
    ASSERT_HR(S_OK, empty->put_Event(testsupport::shippedEvent("AP10").get()));
    ComPtr<IShotCollection> none;
    ASSERT_HR(S_OK, empty->get_Shots(VARIANT_TRUE, none.put()));
    ComPtr<IEventParams> event;
    ASSERT_HR(S_OK, none->get_Event(event.put()));
    EXPECT_EQ(testsupport::shippedEvent("AP10").get(), event.get());
}

TEST_F(AimingCollectionTest, SightingAndMatchAreSubCollectionsOfTheSameEvent)
{
    auto collection = newCollection();
    auto s = aiming(false);
    auto m1 = aiming(true);
    auto m2 = aiming(true);
    for (const auto& added : {m1, s, m2}) {
        ASSERT_HR(S_OK, collection->Add(added.get()));
    }
    ComPtr<IAimingCollection> match;
    ComPtr<IAimingCollection> sighting;
    ASSERT_HR(S_OK, collection->get_Match(match.put()));
    ASSERT_HR(S_OK, collection->get_Sighting(sighting.put()));
    ASSERT_EQ(2, count(*match));
    EXPECT_EQ(m1.get(), item(*match, 1).get());
    EXPECT_EQ(m2.get(), item(*match, 2).get());
    ASSERT_EQ(1, count(*sighting));
    EXPECT_EQ(s.get(), item(*sighting, 1).get());
    ComPtr<IEventParams> event;
    EXPECT_HR(S_OK, sighting->get_Event(event.put()));

    // A collection without aimings gives empty sub-collections.
    ComPtr<IAimingCollection> empty;
    ASSERT_HR(S_OK, newCollection()->get_Match(empty.put()));
    EXPECT_EQ(0, count(*empty));
    EXPECT_HR(E_POINTER, collection->get_Sighting(nullptr));
}

TEST_F(AimingCollectionTest, FindAimingComparesShotObjects)
{
    auto collection = newCollection();
    auto first = aiming(true);
    auto second = aiming(true, "AR10", 2);
    ASSERT_HR(S_OK, collection->Add(first.get()));
    ASSERT_HR(S_OK, collection->Add(second.get()));

    ComPtr<IAiming> found;
    ASSERT_HR(S_OK, collection->FindAiming(shotOf(*second, 2).get(), found.put()));
    EXPECT_EQ(second.get(), found.get());

    // A shot of an aiming that is not held: S_OK and no aiming.
    ASSERT_HR(S_OK, collection->FindAiming(shotOf(*aiming(true), 1).get(), found.put()));
    EXPECT_EQ(nullptr, found.get());

    EXPECT_HR(E_POINTER, collection->FindAiming(nullptr, found.put()));
    EXPECT_HR(E_POINTER, collection->FindAiming(shotOf(*first, 1).get(), nullptr));
}

TEST_F(AimingCollectionTest, FindAimingFollowsShotsAndAimingsAddedAfterALookup)
{
    auto collection = newCollection();
    AimingBuilder live("AR10");
    live.samples(20, 5, -3).shot();
    ASSERT_HR(S_OK, collection->Add(aiming(true).get()));
    ASSERT_HR(S_OK, collection->Add(live.build().get()));
    ComPtr<IAiming> found;
    ASSERT_HR(S_OK, collection->FindAiming(shotOf(*live.build(), 1).get(), found.put()));
    EXPECT_EQ(live.build().get(), found.get());

    // A shot recorded into a held aiming, and an aiming added, after the owners were first looked up.
    live.samples(5).shot();
    ASSERT_HR(S_OK, collection->FindAiming(shotOf(*live.build(), 2).get(), found.put()));
    EXPECT_EQ(live.build().get(), found.get());
    auto added = aiming(false);
    ASSERT_HR(S_OK, collection->Add(added.get()));
    ASSERT_HR(S_OK, collection->FindAiming(shotOf(*added, 1).get(), found.put()));
    EXPECT_EQ(added.get(), found.get());

    // Loading replaces every aiming: the shots of the old ones belong to none.
    ASSERT_HR(S_OK, testsupport::loadRecord(collection->unknown(), testsupport::savedRecord(collection->unknown())));
    ASSERT_HR(S_OK, collection->FindAiming(shotOf(*added, 1).get(), found.put()));
    EXPECT_EQ(nullptr, found.get());
    auto loaded = item(*collection, 1);
    ASSERT_HR(S_OK, collection->FindAiming(shotOf(*loaded, 1).get(), found.put()));
    EXPECT_EQ(loaded.get(), found.get());
}

TEST_F(AimingCollectionTest, AddMissedAddsATimedAimingWithOneMissedShot)
{
    auto collection = newCollection();
    ComPtr<IAiming> missed;
    EXPECT_HR(E_UNEXPECTED, collection->AddMissed(VARIANT_TRUE, missed.put()));
    EXPECT_EQ(nullptr, missed.get());

    ASSERT_HR(S_OK, collection->Add(aiming(true).get()));
    ASSERT_HR(S_OK, collection->AddMissed(VARIANT_FALSE, missed.put()));
    ASSERT_NE(nullptr, missed.get());
    EXPECT_EQ(missed.get(), item(*collection, 1).get()); // A sighting aiming goes first.

    ComPtr<IAimingAttr> attributes;
    ASSERT_HR(S_OK, missed->get_Attr(attributes.put()));
    LONG rate = 0;
    VARIANT_BOOL match = VARIANT_TRUE;
    DATE entered = 0;
    EXPECT_HR(S_OK, attributes->get_SampleRate(&rate));
    EXPECT_HR(S_OK, attributes->get_Match(&match));
    EXPECT_HR(S_OK, attributes->get_EnterTime(&entered));
    EXPECT_EQ(200, rate);
    EXPECT_EQ(VARIANT_FALSE, match);
    EXPECT_GT(entered, 0.0);

    LONG shots = 0;
    ASSERT_HR(S_OK, missed->get_ShotCount(&shots));
    ASSERT_EQ(1, shots);
    auto shot = shotOf(*missed, 1);
    VARIANT_BOOL isMissed = VARIANT_FALSE;
    DATE shotTime = 0;
    EXPECT_HR(S_OK, shot->get_Missed(&isMissed));
    EXPECT_HR(S_OK, shot->get_ShotTime(&shotTime));
    EXPECT_EQ(VARIANT_TRUE, isMissed);
    EXPECT_EQ(entered, shotTime);

    ComPtr<IAimingTrace> trace;
    ASSERT_HR(S_OK, missed->get_Trace(trace.put()));
    VARIANT_BOOL readOnly = VARIANT_FALSE;
    EXPECT_HR(S_OK, trace->get_ReadOnly(&readOnly));
    EXPECT_EQ(VARIANT_TRUE, readOnly);
}

TEST_F(AimingCollectionTest, NewEnumWalksASnapshot)
{
    auto collection = newCollection();
    ASSERT_HR(S_OK, collection->Add(aiming(true).get()));
    ASSERT_HR(S_OK, collection->Add(aiming(true).get()));
    ComPtr<IUnknown> unknown;
    ASSERT_HR(S_OK, collection->get__NewEnum(unknown.put()));
    auto enumerator = unknown.queryInterface<IEnumVARIANT>();
    ASSERT_NE(nullptr, enumerator.get());
    ASSERT_HR(S_OK, collection->Add(aiming(true).get()));
    VARIANT items[3];
    ULONG fetched = 0;
    EXPECT_HR(S_FALSE, enumerator->Next(3, items, &fetched));
    EXPECT_EQ(2u, fetched);
    for (ULONG i = 0; i < fetched; ++i) {
        EXPECT_EQ(VT_DISPATCH, items[i].vt);
        (void)VariantClear(&items[i]);
    }
}

TEST_F(AimingCollectionTest, SaveWritesTheRecordAndFiresProgressPerAiming)
{
    auto collection = newCollection();
    for (int i = 0; i < 3; ++i) {
        ASSERT_HR(S_OK, collection->Add(aiming(true).get()));
    }
    std::vector<std::uint8_t> record;
    {
        ProgressAdvice progress(collection->unknown(), DIID__IAimingCollectionEvents);
        record = testsupport::savedRecord(collection->unknown());
        EXPECT_EQ((std::vector<std::pair<LONG, LONG>>{{1, 3}, {2, 3}, {3, 3}}), progress.calls());
    }
    const auto head = Bytes().i32(2).i32(3).bstr(u"AR10").guid(CLSID_Aiming).bytes();
    ASSERT_GT(record.size(), head.size());
    EXPECT_EQ(head, std::vector<std::uint8_t>(record.begin(), record.begin() + static_cast<long>(head.size())));
    EXPECT_HR(S_FALSE, collection->IsDirty());

    auto loaded = newCollection();
    ProgressAdvice progress(loaded->unknown(), DIID__IAimingCollectionEvents);
    ASSERT_HR(S_OK, testsupport::loadRecord(loaded->unknown(), record));
    EXPECT_EQ((std::vector<std::pair<LONG, LONG>>{{1, 3}, {2, 3}, {3, 3}}), progress.calls());
    EXPECT_EQ(3, count(*loaded));
    EXPECT_HR(S_FALSE, loaded->IsDirty());
    EXPECT_EQ(record, testsupport::savedRecord(loaded->unknown()));
}

TEST_F(AimingCollectionTest, LoadForgetsTheAimingsHeldBefore)
{
    auto source = newCollection();
    ASSERT_HR(S_OK, source->Add(aiming(true).get()));
    const auto record = testsupport::savedRecord(source->unknown());

    auto collection = newCollection();
    const ComPtr<IAiming> before = aiming(true);
    ASSERT_HR(S_OK, collection->Add(before.get()));
    ASSERT_HR(S_OK, testsupport::loadRecord(collection->unknown(), record));
    ASSERT_EQ(1, count(*collection));
    // The aiming held before the load is no longer held, so it is added again; then it is held once.
    ASSERT_HR(S_OK, collection->Add(before.get()));
    ASSERT_HR(S_OK, collection->Add(before.get()));
    EXPECT_EQ(2, count(*collection));
    EXPECT_EQ(before.get(), item(*collection, 2).get());
}

TEST_F(AimingCollectionTest, RecordWithoutAnEventCannotBeReadBack)
{
    // So it is never written: the save is refused before a byte reaches the stream.
    auto stream = platform::com::makeComObject<platform::com::MemoryStream>();
    EXPECT_HR(E_UNEXPECTED, newCollection()->Save(stream.get(), TRUE));
    EXPECT_TRUE(stream->bytes().empty());
    const auto record = Bytes().i32(2).i32(0).u32(0).bytes();
    auto loaded = newCollection();
    EXPECT_HR(E_FAIL, testsupport::loadRecord(loaded->unknown(), record));
    Bstr message;
    EXPECT_HR(S_OK, loaded->get_ReadErrorMsg(message.put()));
    EXPECT_EQ(u"Missing shooting event . Please install it and restart the program.", message.view());
}

TEST_F(AimingCollectionTest, LoadReadsEveryVersionAndRefusesDamage)
{
    auto collection = newCollection();
    ASSERT_HR(S_OK, collection->Add(aiming(false).get()));
    ASSERT_HR(S_OK, collection->Add(aiming(true).get()));
    const auto saved = testsupport::savedRecord(collection->unknown());
    const std::vector<std::uint8_t> aimings(
        saved.begin() + static_cast<long>(Bytes().i32(2).i32(2).bstr(u"AR10").bytes().size()), saved.end());
    struct Case {
        const char* name;
        std::vector<std::uint8_t> record;
        HRESULT expected;
        LONG count;
    };
    const Case cases[] = {
        {"version 0", Bytes().i32(0).i32(2).bstr(u"AR10").append(aimings).bytes(), S_OK, 2},
        {"version 1 skips one field", Bytes().i32(1).i32(2).bstr(u"AR10").i32(77).append(aimings).bytes(), S_OK, 2},
        {"version 3", Bytes().i32(3).i32(0).bstr(u"AR10").bytes(), E_FAIL, 0},
        {"empty", Bytes().i32(2).i32(0).bstr(u"AP10").bytes(), S_OK, 0},
        {"negative count", Bytes().i32(2).i32(-1).bstr(u"AR10").bytes(), E_FAIL, 0},
        {"count past the end", Bytes().i32(2).i32(0x7FFFFFFF).bstr(u"AR10").append(aimings).bytes(), E_FAIL, 0},
        {"truncated", Bytes().i32(2).i32(3).bstr(u"AR10").append(aimings).bytes(), E_FAIL, 2},
        {"no short name", Bytes().i32(2).i32(0).bytes(), E_FAIL, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto loaded = newCollection();
        EXPECT_HR(c.expected, testsupport::loadRecord(loaded->unknown(), c.record));
        EXPECT_EQ(c.count, count(*loaded));
    }
}

TEST_F(AimingCollectionTest, LoadOfAMissingEventExplainsItself)
{
    auto collection = newCollection();
    Bstr message;
    EXPECT_HR(S_OK, collection->get_ReadErrorMsg(message.put()));
    EXPECT_TRUE(message.isNull());
    EXPECT_HR(E_FAIL, testsupport::loadRecord(collection->unknown(), Bytes().i32(2).i32(0).bstr(u"XYZ9").bytes()));
    EXPECT_HR(S_OK, collection->get_ReadErrorMsg(message.put()));
    EXPECT_EQ(u"Missing shooting event XYZ9. Please install it and restart the program.", message.view());
}

TEST_F(AimingCollectionTest, MutatedRecordsLoadOrFailWithoutHarm)
{
    auto collection = newCollection();
    ASSERT_HR(S_OK, collection->Add(aiming(false).get()));
    ASSERT_HR(S_OK, collection->Add(aiming(true, "AR10", 2).get()));
    const auto saved = testsupport::savedRecord(collection->unknown());
    platform::testing::ByteMutator mutator(12345);
    for (int round = 0; round < 400; ++round) {
        const auto mutated = mutator.mutate(saved, 4, round % 5 == 0);
        auto loaded = newCollection();
        const HRESULT hr = testsupport::loadRecord(loaded->unknown(), mutated);
        EXPECT_TRUE(hr == S_OK || FAILED(hr));
    }
}

TEST_F(AimingCollectionTest, AnswersItsEventInterface)
{
    auto collection = newCollection();
    auto info = ComPtr<IAimingCollection>(collection).queryInterface<IProvideClassInfo2>();
    ASSERT_NE(nullptr, info.get());
    GUID events{};
    EXPECT_HR(S_OK, info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events));
    EXPECT_EQ(DIID__IAimingCollectionEvents, events);
    auto container = ComPtr<IAimingCollection>(collection).queryInterface<IConnectionPointContainer>();
    ComPtr<IConnectionPoint> point;
    EXPECT_HR(CONNECT_E_NOCONNECTION, container->FindConnectionPoint(IID_IAimingCollection, point.put()));
}

TEST_F(AimingCollectionTest, KeptMalformedRecordsFail)
{
    const auto inputs = testsupport::keptMalformedInputs("AimingCollection");
    EXPECT_GE(inputs.size(), 3u);
    for (const auto& [name, bytes] : inputs) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(FAILED(testsupport::loadRecord(newCollection()->unknown(), bytes)));
    }
}

} // namespace
} // namespace talvodata
