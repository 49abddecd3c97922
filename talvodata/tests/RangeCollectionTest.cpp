#include "talvodata/RangeCollection.h"

#include "talvodata/tests/support/FakeEvent.h"
#include "talvodata/tests/support/RangeBuilder.h"

#include "platform/com/EnumVariant.h"
#include "platform/testing/Matchers.h"

#include <cstdint>
#include <cstring>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

using namespace talvodata;
using platform::com::ComPtr;
using platform::com::makeComObject;
using talvodata::testing::FakeEvent;
using talvodata::testing::RangeBuilder;

namespace {

struct Span {
    LONG requestedFirst;
    LONG requestedLast;
    LONG first;
    LONG last;
    LONG pointCount;
};

Span spanOf(IRangeCollection& collection)
{
    Span span{};
    EXPECT_HR(S_OK, collection.get_RequestedFirst(&span.requestedFirst));
    EXPECT_HR(S_OK, collection.get_RequestedLast(&span.requestedLast));
    EXPECT_HR(S_OK, collection.get_First(&span.first));
    EXPECT_HR(S_OK, collection.get_Last(&span.last));
    EXPECT_HR(S_OK, collection.get_PointCount(&span.pointCount));
    return span;
}

LONG countOf(IRangeCollection& collection)
{
    LONG count = -1;
    EXPECT_HR(S_OK, collection.get_Count(&count));
    return count;
}

float coordinationAt(IRangeCollection& collection, LONG index)
{
    float value = -1;
    EXPECT_HR(S_OK, collection.get_CoordinationPoint(index, &value));
    return value;
}

float speedAt(IRangeCollection& collection, LONG index)
{
    float value = -1;
    EXPECT_HR(S_OK, collection.get_SpeedPoint(index, &value));
    return value;
}

/// Two shots of one event at 200 Hz, their trace ending 200 samples after the start (sample 200 is the shot):
/// shot A aims steadily at (3, 4) mm with its first 50 samples lost, so (-1 s, 0 s) keeps -150..0; shot B aims
/// at (0, 1) mm and loses its last 40 samples, so (-1.1 s, 0.1 s) keeps -200..-20.
struct TwoShots {
    explicit TwoShots(FakeEvent* event) : a(RangeBuilder(200, event)), b(RangeBuilder(200, event))
    {
        a.invalid(50).points(151, 300, 400);
        b.points(181, 0, 100).invalid(40);
    }
    ComPtr<CRangeCollection> collect() const
    {
        auto collection = CRangeCollection::create();
        EXPECT_HR(S_OK, collection->Add(a.window(-1.0f, 0.0f, 200).get()));
        EXPECT_HR(S_OK, collection->Add(b.window(-1.1f, 0.1f, 200).get()));
        return collection;
    }

    RangeBuilder a;
    RangeBuilder b;
};

TEST(RangeCollectionTest, CommonWindowIsTheIntersectionAndTheRequestIsTheUnion)
{
    auto event = makeComObject<FakeEvent>();
    auto collection = TwoShots(event.get()).collect();
    const Span span = spanOf(*collection);
    EXPECT_EQ(-150, span.first);
    EXPECT_EQ(-20, span.last);
    EXPECT_EQ(131, span.pointCount);
    EXPECT_EQ(-220, span.requestedFirst);
    EXPECT_EQ(20, span.requestedLast);
    EXPECT_EQ(2, countOf(*collection));
    VARIANT_BOOL valid = VARIANT_FALSE;
    EXPECT_HR(S_OK, collection->get_Valid(&valid));
    EXPECT_EQ(VARIANT_TRUE, valid);
}

TEST(RangeCollectionTest, WindowsThatDoNotOverlapHaveNoCommonPoints)
{
    auto event = makeComObject<FakeEvent>();
    RangeBuilder early(200, event.get());
    early.points(50, 100, 100).invalid(51);
    RangeBuilder late(200, event.get());
    late.invalid(60).points(41, 100, 100);
    auto collection = CRangeCollection::create();
    ASSERT_HR(S_OK, collection->Add(early.window(-0.5f, 0.0f, 100).get())); // -100 .. -51
    ASSERT_HR(S_OK, collection->Add(late.window(-0.5f, 0.0f, 100).get()));  // -40 .. 0
    EXPECT_EQ(0, spanOf(*collection).pointCount);
    EXPECT_EQ(0.0f, coordinationAt(*collection, -45));
    EXPECT_EQ(0.0f, speedAt(*collection, -45));
}

TEST(RangeCollectionTest, AddRefusesRangesOfAnotherRateOrEvent)
{
    auto event = makeComObject<FakeEvent>();
    auto otherEvent = makeComObject<FakeEvent>();
    RangeBuilder held(200, event.get());
    held.points(10, 0, 0);
    auto heldRange = held.range(5);

    struct Case {
        const char* name;
        LONG sampleRate;
        FakeEvent* event;
        int samples;
        HRESULT expected;
        LONG expectedCount;
    };
    const Case cases[] = {
        {"same rate and event", 200, event.get(), 10, S_OK, 2},
        {"another sample rate", 100, event.get(), 10, E_INVALIDARG, 1},
        {"another event", 200, otherEvent.get(), 10, E_INVALIDARG, 1},
        {"no event", 200, nullptr, 10, E_INVALIDARG, 1},
        {"not valid: ignored", 100, otherEvent.get(), 0, S_OK, 1},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        auto collection = CRangeCollection::create();
        ASSERT_HR(S_OK, collection->Add(heldRange.get()));
        RangeBuilder builder(test.sampleRate, test.event);
        builder.points(test.samples, 0, 0);
        EXPECT_HR(test.expected, collection->Add(builder.range(5).get()));
        EXPECT_EQ(test.expectedCount, countOf(*collection));
    }

    auto collection = CRangeCollection::create();
    EXPECT_HR(E_INVALIDARG, collection->Add(nullptr));
    ASSERT_HR(S_OK, collection->Add(heldRange.get()));
    EXPECT_HR(S_OK, collection->Add(heldRange.get()));
    EXPECT_EQ(1, countOf(*collection));
}

TEST(RangeCollectionTest, TheMakersEventDecidesFromTheFirstRange)
{
    auto event = makeComObject<FakeEvent>();
    auto otherEvent = makeComObject<FakeEvent>();
    RangeBuilder builder(200, otherEvent.get());
    builder.points(10, 0, 0);
    auto collection = CRangeCollection::create();
    collection->setEvent(ComPtr<IEventParams>(event.get()));
    EXPECT_HR(E_INVALIDARG, collection->Add(builder.range(5).get()));
    EXPECT_EQ(0, countOf(*collection));
}

TEST(RangeCollectionTest, StatisticsAreMeansOverTheRanges)
{
    // Lines of 10 and 20 mm along x: mean length 15 mm; average points 5 and 10 mm.
    RangeBuilder shorter(200);
    shorter.line(11, 100);
    RangeBuilder longer(200);
    longer.line(21, 100);
    auto collection = CRangeCollection::create();
    ASSERT_HR(S_OK, collection->Add(shorter.range(10).get()));
    ASSERT_HR(S_OK, collection->Add(longer.range(20).get()));

    struct Case {
        const char* name;
        HRESULT (IRangeCollection::*get)(float*);
        float expected;
    };
    const Case cases[] = {
        {"Length", &IRangeCollection::get_Length, 15.0f},
        {"LengthX", &IRangeCollection::get_LengthX, 15.0f},
        {"LengthY", &IRangeCollection::get_LengthY, 0.0f},
        {"AveragePointX", &IRangeCollection::get_AveragePointX, 7.5f},
        {"AveragePointY", &IRangeCollection::get_AveragePointY, 0.0f},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        float value = -1;
        EXPECT_HR(S_OK, (collection.get()->*test.get)(&value));
        EXPECT_FLOAT_EQ(test.expected, value);
    }
}

TEST(RangeCollectionTest, SteadinessIsTheTruncatedMean)
{
    RangeBuilder steady(200);
    steady.points(40, 0, 0);
    RangeBuilder drifting(200);
    drifting.line(40, 10); // 11 of 40 points within 1.05 mm: 27
    auto collection = CRangeCollection::create();
    ASSERT_HR(S_OK, collection->Add(steady.range(0).get()));
    ASSERT_HR(S_OK, collection->Add(drifting.range(0).get()));
    float percent = -1;
    EXPECT_HR(S_OK, collection->Steadiness(1.05f, 0, 0, 0, &percent));
    EXPECT_EQ(63.0f, percent); // (100 + 27) / 2 = 63.5
}

TEST(RangeCollectionTest, CoordinationIsNegativeWhereNotEveryWindowCovers)
{
    auto event = makeComObject<FakeEvent>();
    const TwoShots shots(event.get());
    struct Case {
        const char* name;
        float centreX;
        float centreY;
        LONG index;
        float expected;
    };
    // A aims 5 mm and B 1 mm from the face centre; from (3, 4) A is 0 mm and B sqrt(18) mm away.
    const Case cases[] = {
        {"both windows", 0, 0, -100, 3.01f},
        {"only B", 0, 0, -180, -1.01f},
        {"only A", 0, 0, -10, -5.01f},
        {"no window", 0, 0, -210, 0.0f},
        {"both, from the area centre", 3, 4, -100, 2.1313203f},
        {"only A, from the area centre", 3, 4, -10, -0.01f},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        event->setAreaCentre(test.centreX, test.centreY);
        auto collection = shots.collect();
        EXPECT_FLOAT_EQ(test.expected, coordinationAt(*collection, test.index));
    }
}

TEST(RangeCollectionTest, CurvesRefuseIndexesOutsideTheRequestedSpan)
{
    auto event = makeComObject<FakeEvent>();
    auto collection = TwoShots(event.get()).collect();
    for (LONG outside : {-221, 21}) {
        SCOPED_TRACE(outside);
        float value = -1;
        EXPECT_HR(E_INVALIDARG, collection->get_CoordinationPoint(outside, &value));
        EXPECT_EQ(0.0f, value);
        EXPECT_HR(E_INVALIDARG, collection->get_SpeedPoint(outside, &value));
        EXPECT_EQ(0.0f, value);
    }
    EXPECT_EQ(0.0f, speedAt(*collection, -220)); // inside the span, but no window covers it
}

TEST(RangeCollectionTest, AHugeRequestedSpanIsRefusedRatherThanAllocated)
{
    RangeBuilder builder(200);
    builder.points(10, 0, 0);
    auto collection = CRangeCollection::create();
    ASSERT_HR(S_OK, collection->Add(builder.window(-5000.0f, 5000.0f, 5).get())); // two million samples
    float value = -1;
    EXPECT_HR(E_OUTOFMEMORY, collection->get_CoordinationPoint(0, &value));
    EXPECT_EQ(0.0f, value);
    EXPECT_HR(E_OUTOFMEMORY, collection->get_SpeedPoint(0, &value));
}

TEST(RangeCollectionTest, SpeedOfACircleIsItsChordOverFortyMilliseconds)
{
    // Radius 10 mm, one turn a second: 8 samples apart the points are 2 x 10 x sin(8 pi / 200) = 2.5067 mm
    // apart, and 2.5067 mm per 40 ms is 62.67 mm/s (the true speed is 62.83 mm/s). Whole hundredths move a
    // chord by up to 0.01 mm, which is 0.25 mm/s.
    RangeBuilder builder(200);
    builder.circle(400, 1000, 2 * std::numbers::pi / 200);
    auto collection = CRangeCollection::create();
    ASSERT_HR(S_OK, collection->Add(builder.window(-1.0f, 0.0f, 399).get()));
    for (LONG index : {-200, -195, -192, -191, -100, 0}) {
        SCOPED_TRACE(index);
        EXPECT_NEAR(62.67f, speedAt(*collection, index), 0.25f);
    }
}

TEST(RangeCollectionTest, SpeedStepIsFortyMillisecondsInWholeSamples)
{
    struct Case {
        LONG sampleRate;
        LONG step;
        float speed; // a 1 mm jump over `step` samples
    };
    const Case cases[] = {{200, 8, 25.0f}, {20, 1, 20.0f}, {50, 2, 25.0f}};
    for (const Case& test : cases) {
        SCOPED_TRACE(test.sampleRate);
        // The aim jumps 1 mm at sample 100; relative index 0 is sample 0.
        RangeBuilder builder(test.sampleRate);
        builder.points(100, 0, 0).points(100, 100, 0);
        auto collection = CRangeCollection::create();
        ASSERT_HR(S_OK, collection->Add(builder.range(0).get()));
        int moving = 0;
        for (LONG i = 0; i < 200; ++i) {
            const float speed = speedAt(*collection, i);
            if (speed != 0.0f) {
                ++moving;
                EXPECT_FLOAT_EQ(test.speed, speed);
            }
        }
        EXPECT_EQ(test.step, moving);
    }
}

TEST(RangeCollectionTest, AddDiscardsWhatWasComputed)
{
    RangeBuilder first(200);
    first.line(11, 100);
    RangeBuilder second(200);
    second.line(11, 300);
    auto collection = CRangeCollection::create();
    ASSERT_HR(S_OK, collection->Add(first.range(10).get()));
    float length = 0;
    ASSERT_HR(S_OK, collection->get_Length(&length));
    EXPECT_FLOAT_EQ(10.0f, length);
    EXPECT_FLOAT_EQ(1.01f, coordinationAt(*collection, -9)); // (1, 0) mm is 1 mm from the centre
    ASSERT_HR(S_OK, collection->Add(second.range(10).get()));
    ASSERT_HR(S_OK, collection->get_Length(&length));
    EXPECT_FLOAT_EQ(20.0f, length);
    EXPECT_FLOAT_EQ(2.01f, coordinationAt(*collection, -9)); // (1 + 3) / 2
}

TEST(RangeCollectionTest, AnEmptyCollectionGivesZeroEverywhere)
{
    auto collection = CRangeCollection::create();
    VARIANT_BOOL valid = VARIANT_TRUE;
    EXPECT_HR(S_OK, collection->get_Valid(&valid));
    EXPECT_EQ(VARIANT_FALSE, valid);
    EXPECT_EQ(0, countOf(*collection));
    EXPECT_EQ(0, spanOf(*collection).pointCount);
    for (auto get : {&IRangeCollection::get_Length, &IRangeCollection::get_LengthX, &IRangeCollection::get_LengthY,
                     &IRangeCollection::get_AveragePointX, &IRangeCollection::get_AveragePointY}) {
        float value = -1;
        EXPECT_HR(S_OK, (collection.get()->*get)(&value));
        EXPECT_EQ(0.0f, value);
    }
    float percent = -1;
    EXPECT_HR(S_OK, collection->Steadiness(10, 0, 0, 0, &percent));
    EXPECT_EQ(0.0f, percent);
    EXPECT_EQ(0.0f, coordinationAt(*collection, 0));
    EXPECT_EQ(0.0f, speedAt(*collection, 0));
}

TEST(RangeCollectionTest, ItemAndEnumerationHandOutTheRanges)
{
    RangeBuilder builder(200);
    builder.points(10, 0, 0);
    auto first = builder.range(5);
    auto second = builder.range(6);
    auto collection = CRangeCollection::create();
    ASSERT_HR(S_OK, collection->Add(first.get()));
    ASSERT_HR(S_OK, collection->Add(second.get()));

    ComPtr<IRange> item;
    EXPECT_HR(S_OK, collection->get_Item(2, item.put()));
    EXPECT_EQ(static_cast<IRange*>(second.get()), item.get());
    IRange* notNull = item.get();
    EXPECT_HR(E_POINTER, collection->get_Item(1, &notNull));
    EXPECT_HR(E_POINTER, collection->get_Item(1, nullptr));
    for (LONG outside : {0, 3}) {
        ComPtr<IRange> none;
        EXPECT_HR(E_INVALIDARG, collection->get_Item(outside, none.put()));
    }

    ComPtr<IUnknown> unknown;
    ASSERT_HR(S_OK, collection->get__NewEnum(unknown.put()));
    auto enumerator = unknown.queryInterface<IEnumVARIANT>();
    ASSERT_TRUE(enumerator);
    VARIANT items[3];
    ULONG fetched = 0;
    EXPECT_HR(S_FALSE, enumerator->Next(3, items, &fetched));
    ASSERT_EQ(2u, fetched);
    EXPECT_EQ(VT_DISPATCH, items[0].vt);
    EXPECT_EQ(static_cast<IDispatch*>(first.get()), items[0].pdispVal);
    for (ULONG i = 0; i < fetched; ++i) {
        EXPECT_HR(S_OK, VariantClear(&items[i]));
    }
    EXPECT_HR(E_POINTER, collection->get__NewEnum(nullptr));
}

} // namespace

namespace {

/// A held rifle's trace: a slow wander with a few hundredths of jitter on every sample, from a fixed seed.
void jitteredHold(RangeBuilder& builder, int count, unsigned seed)
{
    unsigned state = seed;
    const auto jitter = [&state] {
        state = state * 1103515245u + 12345u;
        return static_cast<LONG>((state >> 16) % 7) - 3;
    };
    for (int i = 0; i < count; ++i) {
        const double t = i / 200.0 + seed;
        // Drawn in this order, as the figures were recorded: arguments may be evaluated in any order.
        const LONG jitterY = jitter();
        const LONG jitterX = jitter();
        builder.point(static_cast<LONG>(std::lround(300 * std::sin(t * 1.3))) + jitterX,
                      static_cast<LONG>(std::lround(250 * std::cos(t * 0.9))) + jitterY);
    }
}

/// FNV-1a over the bits of the values, so a curve of a thousand points is pinned by one number.
std::uint64_t digestOf(const std::vector<float>& values)
{
    std::uint64_t hash = 14695981039346656037u;
    for (float value : values) {
        std::uint32_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        for (int byte = 0; byte < 4; ++byte) {
            hash = (hash ^ ((bits >> (8 * byte)) & 0xFFu)) * 1099511628211u;
        }
    }
    return hash;
}

} // namespace

// The figures of jittered holds, one with a gap and one cut short, recorded once: any change to how the
// statistics, the steadiness, the extrapolated breaches or the curves are computed must keep every bit of them.
TEST(RangeCollectionTest, JitteredHoldsKeepTheirRecordedFigures)
{
    const auto event = makeComObject<FakeEvent>();
    event->setAreaCentre(0.5f, -0.25f);
    RangeBuilder whole(200, event.get());
    RangeBuilder gap(200, event.get());
    RangeBuilder shortened(200, event.get());
    jitteredHold(whole, 1200, 1);
    jitteredHold(gap, 500, 2);
    gap.invalid(3);
    jitteredHold(gap, 697, 3);
    jitteredHold(shortened, 1100, 4);

    auto collection = CRangeCollection::create();
    std::vector<std::pair<std::string, float>> figures;
    for (const RangeBuilder* builder : {&whole, &gap, &shortened}) {
        const auto range = builder->window(-5.0f, 1.0f, 1000);
        ASSERT_HR(S_OK, collection->Add(range.get()));
        float value = 0;
        for (auto getter : {&CRange::get_Length, &CRange::get_LengthX, &CRange::get_LengthY, &CRange::get_AveragePointX,
                            &CRange::get_AveragePointY}) {
            EXPECT_HR(S_OK, ((*range).*getter)(&value));
            figures.emplace_back("statistic", value);
        }
        float bounds[4] = {};
        EXPECT_HR(S_OK, range->GetBounds(&bounds[0], &bounds[1], &bounds[2], &bounds[3]));
        for (float bound : bounds) {
            figures.emplace_back("bound", bound);
        }
        EXPECT_HR(S_OK, range->Steadiness(2.5f, 12, 0.3f, -0.2f, &value));
        figures.emplace_back("steadiness", value);
        EXPECT_HR(S_OK, range->Steadiness(0.8f, 0, 0.0f, 0.0f, &value));
        figures.emplace_back("steadiness", value);
        float x = 0;
        float y = 0;
        EXPECT_HR(S_OK, range->Breaches(0, 12, &x, &y));
        figures.emplace_back("breach", x);
        figures.emplace_back("breach", y);
        EXPECT_HR(S_OK, range->Breaches2(-7, 20, 0.35, &x, &y));
        figures.emplace_back("breach", x);
        figures.emplace_back("breach", y);
    }
    float value = 0;
    for (auto getter : {&CRangeCollection::get_Length, &CRangeCollection::get_LengthX, &CRangeCollection::get_LengthY,
                        &CRangeCollection::get_AveragePointX, &CRangeCollection::get_AveragePointY}) {
        EXPECT_HR(S_OK, ((*collection).*getter)(&value));
        figures.emplace_back("mean", value);
    }
    EXPECT_HR(S_OK, collection->Steadiness(2.5f, 12, 0.3f, -0.2f, &value));
    figures.emplace_back("mean steadiness", value);
    const Span span = spanOf(*collection);
    std::vector<float> coordination;
    std::vector<float> speed;
    for (LONG i = span.requestedFirst; i <= span.requestedLast; ++i) {
        coordination.push_back(coordinationAt(*collection, i));
        speed.push_back(speedAt(*collection, i));
    }

    // Recorded from the straightforward computation that decoded the samples for every statistic.
    const std::vector<std::pair<const char*, float>> recorded = {
        {"statistic", 0x1.77d57p+5f},   {"statistic", 0x1.f9dc78p+4f},  {"statistic", 0x1.bfbb98p+4f},
        {"statistic", 0x1.df536cp-2f},  {"statistic", -0x1.6bebccp-2f}, {"bound", -0x1.83d70ap+1f},
        {"bound", -0x1.43d70ap+1f},     {"bound", 0x1.83d70ap+1f},      {"bound", 0x1.43d70ap+1f},
        {"steadiness", 0x1.48p+5f},     {"steadiness", 0x1p+0f},        {"breach", 0x1.856042p+1f},
        {"breach", 0x1.85a1cap+0f},     {"breach", 0x1.74c71p+1f},      {"breach", 0x1.a91688p+0f},
        {"statistic", 0x1.6d904p+5f},   {"statistic", 0x1.d1195p+4f},   {"statistic", 0x1.cb95cp+4f},
        {"statistic", -0x1.f5557ep-4f}, {"statistic", -0x1.601caep-1f}, {"bound", -0x1.83d70ap+1f},
        {"bound", -0x1.43d70ap+1f},     {"bound", 0x1.83d70ap+1f},      {"bound", 0x1.2p+1f},
        {"steadiness", 0x1.4p+4f},      {"steadiness", 0x1p+0f},        {"breach", 0x1.2e978ep+1f},
        {"breach", 0x1.4dd2f2p-1f},     {"breach", 0x1.1a3a92p+1f},     {"breach", 0x1.7bd07cp-2f},
        {"statistic", 0x1.73ef0cp+5f},  {"statistic", 0x1.eb67dp+4f},   {"statistic", 0x1.bedbfcp+4f},
        {"statistic", -0x1.b61134p-3f}, {"statistic", 0x1.38de86p-1f},  {"bound", -0x1.83d70ap+1f},
        {"bound", -0x1.2p+1f},          {"bound", 0x1.83d70ap+1f},      {"bound", 0x1.43d70ap+1f},
        {"steadiness", 0x1.cp+4f},      {"steadiness", 0x1p+0f},        {"breach", -0x1.25a1cap+1f},
        {"breach", -0x1p-1f},           {"breach", -0x1.1f0902p+1f},    {"breach", -0x1.5ae632p-1f},
        {"mean", 0x1.731c4p+5f},        {"mean", 0x1.e77488p+4f},       {"mean", 0x1.c3647p+4f},
        {"mean", 0x1.67e3dap-5f},       {"mean", -0x1.26f012p-3f},      {"mean steadiness", 0x1.dp+4f},
    };
    ASSERT_EQ(recorded.size(), figures.size());
    for (std::size_t i = 0; i < figures.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(recorded[i].first, figures[i].first);
        EXPECT_EQ(recorded[i].second, figures[i].second);
    }
    EXPECT_EQ(14777588829564358401u, digestOf(coordination));
    EXPECT_EQ(10050456803978468341u, digestOf(speed));
}
