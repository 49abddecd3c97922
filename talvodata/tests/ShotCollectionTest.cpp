#include "talvodata/ShotCollection.h"

#include "talvodata/RegisterCollections.h"
#include "talvodata/tests/support/FakeEvent.h"
#include "talvodata/tests/support/ShotBuilder.h"

#include "platform/com/ClassTable.h"
#include "platform/com/EnumVariant.h"
#include "platform/testing/Matchers.h"

#include <vector>

using namespace talvodata;
using platform::com::ComPtr;
using platform::com::makeComObject;
using talvodata::testing::FakeEvent;
using talvodata::testing::ShotBuilder;

namespace {

LONG countOf(IShotCollection& collection)
{
    LONG count = -1;
    EXPECT_HR(S_OK, collection.get_Count(&count));
    return count;
}

ComPtr<IShot> itemOf(IShotCollection& collection, LONG index)
{
    ComPtr<IShot> shot;
    EXPECT_HR(S_OK, collection.get_Item(index, shot.put()));
    return shot;
}

/// A collection of `count` shots scoring 1, 2, 3, ... in order.
struct NumberedShots {
    NumberedShots(FakeEvent* event, int count) : collection(CShotCollection::create())
    {
        for (int i = 1; i <= count; ++i) {
            shots.push_back(ShotBuilder(event).result(static_cast<float>(i)).samples(3).build());
            EXPECT_HR(S_OK, collection->Add(shots.back().get()));
        }
    }
    ComPtr<CShotCollection> collection;
    std::vector<ComPtr<CShot>> shots;
};

TEST(ShotCollectionTest, SeriesFollowTheEventsShotsPerSerie)
{
    struct Case {
        LONG maxShotsPerSerie;
        LONG serieLength;
    };
    const Case cases[] = {{10, 10}, {4, 4}, {1, 1}, {0, 10}, {-3, 10}};
    for (const Case& test : cases) {
        SCOPED_TRACE(test.maxShotsPerSerie);
        auto event = makeComObject<FakeEvent>();
        ASSERT_HR(S_OK, event->put_MaxShotsPerSerie(test.maxShotsPerSerie));
        NumberedShots numbered(event.get(), 25);
        LONG serieCount = 0;
        EXPECT_HR(S_OK, numbered.collection->get_SerieCount(&serieCount));
        EXPECT_EQ((25 + test.serieLength - 1) / test.serieLength, serieCount);

        // The last series holds what is left; one past it is empty.
        ComPtr<IShotCollection> last;
        ASSERT_HR(S_OK, numbered.collection->get_Serie(serieCount, last.put()));
        const LONG firstOfLast = (serieCount - 1) * test.serieLength + 1;
        ASSERT_EQ(25 - firstOfLast + 1, countOf(*last));
        EXPECT_EQ(static_cast<IShot*>(numbered.shots[firstOfLast - 1].get()), itemOf(*last, 1).get());
        ComPtr<IEventParams> serieEvent;
        EXPECT_HR(S_OK, last->get_Event(serieEvent.put()));
        EXPECT_EQ(static_cast<IEventParams*>(event.get()), serieEvent.get());
        ComPtr<IShotCollection> beyond;
        ASSERT_HR(S_OK, numbered.collection->get_Serie(serieCount + 1, beyond.put()));
        EXPECT_EQ(0, countOf(*beyond));
    }
}

TEST(ShotCollectionTest, TwentyFiveShotsMakeThreeSeriesOfTen)
{
    auto event = makeComObject<FakeEvent>();
    NumberedShots numbered(event.get(), 25);
    ComPtr<IShotCollection> third;
    ASSERT_HR(S_OK, numbered.collection->get_Serie(3, third.put()));
    ASSERT_EQ(5, countOf(*third));
    float result = 0;
    EXPECT_HR(S_OK, third->get_Result(&result));
    EXPECT_FLOAT_EQ(21.0f + 22 + 23 + 24 + 25, result);
    for (LONG below : {0, -1}) {
        ComPtr<IShotCollection> none;
        EXPECT_HR(E_FAIL, numbered.collection->get_Serie(below, none.put()));
        EXPECT_EQ(nullptr, none.get());
    }
}

TEST(ShotCollectionTest, ACollectionWithoutEventCutsSeriesOfTen)
{
    NumberedShots numbered(nullptr, 12);
    LONG serieCount = 0;
    EXPECT_HR(S_OK, numbered.collection->get_SerieCount(&serieCount));
    EXPECT_EQ(2, serieCount);
    ComPtr<IEventParams> event;
    EXPECT_HR(S_OK, numbered.collection->get_Event(event.put()));
    EXPECT_EQ(nullptr, event.get());
    auto empty = CShotCollection::create();
    EXPECT_HR(S_OK, empty->get_SerieCount(&serieCount));
    EXPECT_EQ(0, serieCount);
}

TEST(ShotCollectionTest, AddKeepsOneEntryPerShotOfOneEvent)
{
    auto event = makeComObject<FakeEvent>();
    auto otherEvent = makeComObject<FakeEvent>();
    auto shot = ShotBuilder(event.get()).samples(3).build();
    auto collection = CShotCollection::create();
    ASSERT_HR(S_OK, collection->Add(shot.get()));
    ComPtr<IEventParams> taken;
    EXPECT_HR(S_OK, collection->get_Event(taken.put()));
    EXPECT_EQ(static_cast<IEventParams*>(event.get()), taken.get());

    struct Case {
        const char* name;
        IShot* shot;
        HRESULT expected;
        LONG expectedCount;
    };
    auto ofOtherEvent = ShotBuilder(otherEvent.get()).samples(3).build();
    auto withoutEvent = ShotBuilder(nullptr).samples(3).build();
    auto another = ShotBuilder(event.get()).samples(3).build();
    const Case cases[] = {
        {"the same shot again", shot.get(), S_OK, 1},           {"null", nullptr, E_INVALIDARG, 1},
        {"another event", ofOtherEvent.get(), E_INVALIDARG, 1}, {"no event", withoutEvent.get(), E_INVALIDARG, 1},
        {"another shot of the event", another.get(), S_OK, 2},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        EXPECT_HR(test.expected, collection->Add(test.shot));
        EXPECT_EQ(test.expectedCount, countOf(*collection));
    }
}

TEST(ShotCollectionTest, ResultSumsAndAveragesTheShots)
{
    auto event = makeComObject<FakeEvent>();
    auto collection = CShotCollection::create();
    float value = -1;
    EXPECT_HR(S_OK, collection->get_AverageResult(&value));
    EXPECT_EQ(0.0f, value);
    EXPECT_HR(S_OK, collection->get_Result(&value));
    EXPECT_EQ(0.0f, value);

    for (float score : {9.5f, 10.25f, 8.0f}) {
        ASSERT_HR(S_OK, collection->Add(ShotBuilder(event.get()).result(score).samples(3).build().get()));
    }
    ASSERT_HR(S_OK, collection->Add(ShotBuilder(event.get()).result(7.0f).samples(3).missed().build().get()));
    EXPECT_HR(S_OK, collection->get_Result(&value));
    EXPECT_FLOAT_EQ(27.75f, value); // the missed shot scores 0
    EXPECT_HR(S_OK, collection->get_AverageResult(&value));
    EXPECT_FLOAT_EQ(27.75f / 4, value);
}

TEST(ShotCollectionTest, ResultFailsWhenAShotCannotBeScored)
{
    NumberedShots numbered(nullptr, 2); // no event to score on
    float value = -1;
    EXPECT_HR(E_FAIL, numbered.collection->get_Result(&value));
    EXPECT_EQ(0.0f, value);
    EXPECT_HR(E_FAIL, numbered.collection->get_AverageResult(&value));
    EXPECT_EQ(0.0f, value);
}

TEST(ShotCollectionTest, SightingAndMatchSplitTheShotsInOrder)
{
    auto event = makeComObject<FakeEvent>();
    auto collection = CShotCollection::create();
    std::vector<ComPtr<CShot>> sighting;
    std::vector<ComPtr<CShot>> match;
    for (int i = 0; i < 6; ++i) {
        ShotBuilder builder(event.get());
        builder.samples(3);
        if (i % 3 == 0) {
            builder.sighting();
        }
        auto shot = builder.build();
        (i % 3 == 0 ? sighting : match).push_back(shot);
        ASSERT_HR(S_OK, collection->Add(shot.get()));
    }
    struct Case {
        const char* name;
        HRESULT (IShotCollection::*get)(IShotCollection**);
        const std::vector<ComPtr<CShot>>* expected;
    };
    const Case cases[] = {
        {"Sighting", &IShotCollection::get_Sighting, &sighting},
        {"Match", &IShotCollection::get_Match, &match},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        ComPtr<IShotCollection> subset;
        ASSERT_HR(S_OK, (collection.get()->*test.get)(subset.put()));
        ASSERT_EQ(static_cast<LONG>(test.expected->size()), countOf(*subset));
        for (std::size_t i = 0; i < test.expected->size(); ++i) {
            EXPECT_EQ(static_cast<IShot*>((*test.expected)[i].get()), itemOf(*subset, static_cast<LONG>(i + 1)).get());
        }
        ComPtr<IEventParams> subsetEvent;
        EXPECT_HR(S_OK, subset->get_Event(subsetEvent.put()));
        EXPECT_EQ(static_cast<IEventParams*>(event.get()), subsetEvent.get());
        EXPECT_HR(E_POINTER, (collection.get()->*test.get)(nullptr));
    }
    EXPECT_EQ(6, countOf(*collection));
}

TEST(ShotCollectionTest, RangeSkipsMissedShots)
{
    auto event = makeComObject<FakeEvent>();
    auto collection = CShotCollection::create();
    ASSERT_HR(S_OK, collection->Add(ShotBuilder(event.get()).result(9.0f).build().get()));
    ASSERT_HR(S_OK, collection->Add(ShotBuilder(event.get()).missed().build().get()));
    ASSERT_HR(S_OK, collection->Add(ShotBuilder(event.get()).result(7.0f).build().get()));

    ComPtr<IRangeCollection> ranges;
    ASSERT_HR(S_OK, collection->Range(-1.0f, 0.0f, ranges.put()));
    LONG value = 0;
    EXPECT_HR(S_OK, ranges->get_Count(&value));
    EXPECT_EQ(2, value);
    EXPECT_HR(S_OK, ranges->get_First(&value));
    EXPECT_EQ(-200, value);
    EXPECT_HR(S_OK, ranges->get_Last(&value));
    EXPECT_EQ(0, value);
    float average = 0;
    EXPECT_HR(S_OK, ranges->get_AveragePointX(&average));
    EXPECT_FLOAT_EQ(8.0f, average);
}

TEST(ShotCollectionTest, RangeFailsWhenAShotsWindowFails)
{
    auto event = makeComObject<FakeEvent>();
    auto collection = CShotCollection::create();
    ASSERT_HR(S_OK, collection->Add(ShotBuilder(event.get()).build().get()));
    ComPtr<IRangeCollection> ranges;
    EXPECT_HR(E_FAIL, collection->Range(0.0f, -0.5f, ranges.put())); // ends before it starts
    EXPECT_EQ(nullptr, ranges.get());
    EXPECT_HR(E_POINTER, collection->Range(-1.0f, 0.0f, nullptr));

    // With only missed shots there is no window to fail.
    auto missedOnly = CShotCollection::create();
    ASSERT_HR(S_OK, missedOnly->Add(ShotBuilder(event.get()).missed().build().get()));
    ASSERT_HR(S_OK, missedOnly->Range(0.0f, -0.5f, ranges.put()));
    LONG count = -1;
    EXPECT_HR(S_OK, ranges->get_Count(&count));
    EXPECT_EQ(0, count);
}

TEST(ShotCollectionTest, ItemAndEnumerationHandOutTheShots)
{
    auto event = makeComObject<FakeEvent>();
    NumberedShots numbered(event.get(), 2);
    auto& collection = *numbered.collection;
    ComPtr<IShot> item = itemOf(collection, 2);
    EXPECT_EQ(static_cast<IShot*>(numbered.shots[1].get()), item.get());
    IShot* notNull = item.get();
    EXPECT_HR(E_POINTER, collection.get_Item(1, &notNull));
    EXPECT_HR(E_POINTER, collection.get_Item(1, nullptr));
    for (LONG outside : {0, 3}) {
        ComPtr<IShot> none;
        EXPECT_HR(E_INVALIDARG, collection.get_Item(outside, none.put()));
    }

    ComPtr<IUnknown> unknown;
    ASSERT_HR(S_OK, collection.get__NewEnum(unknown.put()));
    auto enumerator = unknown.queryInterface<IEnumVARIANT>();
    ASSERT_TRUE(enumerator);
    VARIANT items[2];
    ULONG fetched = 0;
    EXPECT_HR(S_OK, enumerator->Next(2, items, &fetched));
    ASSERT_EQ(2u, fetched);
    EXPECT_EQ(VT_DISPATCH, items[1].vt);
    EXPECT_EQ(static_cast<IDispatch*>(numbered.shots[1].get()), items[1].pdispVal);
    for (VARIANT& value : items) {
        EXPECT_HR(S_OK, VariantClear(&value));
    }
}

TEST(ShotCollectionTest, CollectionClassesAreCreatableByNameAndIdentifier)
{
    platform::com::ClassTable table;
    registerCollectionClasses(table);
    struct Case {
        const char* progId;
        const char* versionIndependent;
        CLSID classId;
        IID iid;
    };
    const Case cases[] = {
        {"TalvoData.Range.1", "TalvoData.Range", CLSID_Range, IRange::kIid},
        {"TalvoData.RangeCollection.1", "TalvoData.RangeCollection", CLSID_RangeCollection, IRangeCollection::kIid},
        {"TalvoData.ShotCollection.1", "TalvoData.ShotCollection", CLSID_ShotCollection, IShotCollection::kIid},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.progId);
        EXPECT_EQ(test.classId, table.classIdFromProgId(test.progId));
        EXPECT_EQ(test.classId, table.classIdFromProgId(test.versionIndependent));
        ComPtr<IUnknown> object;
        ASSERT_HR(S_OK, table.createInstance(test.classId, test.iid, object.putVoid()));
        EXPECT_TRUE(object);
    }
}

} // namespace
