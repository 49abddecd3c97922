#include "talvodata/Range.h"

#include "talvodata/tests/support/FakeEvent.h"
#include "talvodata/tests/support/RangeBuilder.h"

#include "platform/testing/Matchers.h"

#include <limits>
#include <numbers>
#include <vector>

using namespace talvodata;
using platform::com::ComPtr;
using platform::com::makeComObject;
using talvodata::testing::FakeEvent;
using talvodata::testing::RangeBuilder;

namespace {

constexpr double kNoPhase = std::numeric_limits<double>::quiet_NaN();

struct Window {
    VARIANT_BOOL valid;
    LONG requestedFirst;
    LONG requestedLast;
    LONG first;
    LONG last;
    LONG count;
};

Window windowOf(IRange& range)
{
    Window window{};
    EXPECT_HR(S_OK, range.get_Valid(&window.valid));
    EXPECT_HR(S_OK, range.get_RequestedFirst(&window.requestedFirst));
    EXPECT_HR(S_OK, range.get_RequestedLast(&window.requestedLast));
    EXPECT_HR(S_OK, range.get_First(&window.first));
    EXPECT_HR(S_OK, range.get_Last(&window.last));
    EXPECT_HR(S_OK, range.get_Count(&window.count));
    return window;
}

float lengthOf(IRange& range)
{
    float length = -1;
    EXPECT_HR(S_OK, range.get_Length(&length));
    return length;
}

std::pair<float, float> breachOf(IRange& range, LONG index, LONG coefficient, double phase)
{
    float x = -1;
    float y = -1;
    EXPECT_HR(S_OK, range.Breaches2(index, coefficient, phase, &x, &y));
    return {x, y};
}

float steadinessOf(IRange& range, float radius, LONG coefficient, float centreX = 0, float centreY = 0)
{
    float percent = -1;
    EXPECT_HR(S_OK, range.Steadiness(radius, coefficient, centreX, centreY, &percent));
    return percent;
}

TEST(RangeTest, AttachTakesTheWholeTraceAroundTheIndexBase)
{
    RangeBuilder builder(200);
    builder.line(100, 10);
    auto range = builder.range(/*indexBase=*/60);

    const Window window = windowOf(*range);
    EXPECT_EQ(VARIANT_TRUE, window.valid);
    EXPECT_EQ(-60, window.first);
    EXPECT_EQ(39, window.last);
    EXPECT_EQ(-60, window.requestedFirst);
    EXPECT_EQ(39, window.requestedLast);
    EXPECT_EQ(100, window.count);

    LONG value = 0;
    EXPECT_HR(S_OK, range->get_SampleRate(&value));
    EXPECT_EQ(200, value);
    EXPECT_HR(S_OK, range->get_IndexBase(&value));
    EXPECT_EQ(60, value);
    float x = 0;
    EXPECT_HR(S_OK, range->get_x(-60, &x));
    EXPECT_FLOAT_EQ(0.0f, x);
    EXPECT_HR(S_OK, range->get_x(0, &x));
    EXPECT_FLOAT_EQ(6.0f, x);
    ComPtr<IAimingTrace> trace;
    EXPECT_HR(S_OK, range->get_Trace(trace.put()));
    EXPECT_EQ(static_cast<IAimingTrace*>(builder.trace().get()), trace.get());
}

TEST(RangeTest, ARangeWithoutSamplesIsNotValid)
{
    RangeBuilder builder(200);
    auto unattached = CRange::create();
    auto overEmptyTrace = builder.range(0);
    for (CRange* range : {unattached.get(), overEmptyTrace.get()}) {
        SCOPED_TRACE(range == unattached.get() ? "unattached" : "empty trace");
        const Window window = windowOf(*range);
        EXPECT_EQ(VARIANT_FALSE, window.valid);
        EXPECT_EQ(0, window.count);
        EXPECT_TRUE(range->window(-1, 0)); // Nothing to narrow: success, and nothing changes.
        EXPECT_EQ(0, windowOf(*range).count);
        EXPECT_EQ(std::make_pair(0.0f, 0.0f), breachOf(*range, 0, 0, kNoPhase));
        EXPECT_EQ(0.0f, steadinessOf(*range, 100, 0));
        EXPECT_EQ(0.0f, lengthOf(*range));
        float x = -1;
        EXPECT_HR(E_INVALIDARG, range->get_x(0, &x));
    }
    float seconds = -1;
    EXPECT_HR(E_UNEXPECTED, unattached->Index2Sec(10, &seconds));
}

TEST(RangeTest, WindowKeepsTheLastUnbrokenRunOfValidSamples)
{
    struct Case {
        const char* name;
        int validBefore;
        int invalidCount;
        int validAfter;
        LONG expectedFirst;
        LONG expectedLast;
    };
    // One sample per index 0..99; the window (-0.5 s, 0 s) around sample 99 asks for -100..0.
    const Case cases[] = {
        {"no gap", 100, 0, 0, -99, 0},
        {"gap inside the window", 50, 10, 40, -39, 0},
        {"window ends in invalid samples", 80, 20, 0, -99, -20},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        RangeBuilder builder(200);
        builder.points(test.validBefore, 100, 100).invalid(test.invalidCount).points(test.validAfter, 100, 100);
        auto range = builder.window(-0.5f, 0.0f, /*indexBase=*/99);
        const Window window = windowOf(*range);
        EXPECT_EQ(VARIANT_TRUE, window.valid);
        EXPECT_EQ(-100, window.requestedFirst);
        EXPECT_EQ(0, window.requestedLast);
        EXPECT_EQ(test.expectedFirst, window.first);
        EXPECT_EQ(test.expectedLast, window.last);
    }
}

TEST(RangeTest, WindowFailsWhenItEndsBeforeItStarts)
{
    RangeBuilder builder(200);
    builder.line(100, 10);
    auto range = builder.range(50);
    EXPECT_FALSE(range->window(0.0f, -0.1f));
    // The requested bounds are kept; the valid window is not touched.
    const Window window = windowOf(*range);
    EXPECT_EQ(0, window.requestedFirst);
    EXPECT_EQ(-20, window.requestedLast);
    EXPECT_EQ(-50, window.first);
    EXPECT_EQ(49, window.last);
}

TEST(RangeTest, AWindowWithoutValidSamplesLeavesTheRangeNotValid)
{
    struct Case {
        const char* name;
        float first;
        float last;
    };
    // Samples 0..19 valid, 20..29 invalid; relative index 0 is sample 10.
    const Case cases[] = {
        {"after the trace", 1.0f, 2.0f},
        {"before the trace", -2.0f, -1.0f},
        {"over invalid samples only", 0.05f, 0.1f},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        RangeBuilder builder(200);
        builder.line(20, 10).invalid(10);
        auto range = builder.window(test.first, test.last, /*indexBase=*/10);
        const Window window = windowOf(*range);
        EXPECT_EQ(VARIANT_FALSE, window.valid);
        EXPECT_EQ(0, window.count);
        float x = -1;
        EXPECT_HR(E_INVALIDARG, range->get_x(window.first, &x));
    }
}

TEST(RangeTest, CircleGivesItsLengthAveragePointAndBounds)
{
    // Radius 10 mm, one turn a second at 200 Hz: 200 samples, 199 chords of 2 x 10 x sin(pi/200) = 0.314146 mm.
    RangeBuilder builder(200);
    builder.circle(200, 1000, 2 * std::numbers::pi / 200);
    auto range = builder.range(/*indexBase=*/199);

    // Whole hundredths add a little jitter to the ideal 62.515 mm.
    EXPECT_NEAR(62.515f, lengthOf(*range), 0.02f);
    // x runs 10 -> -10 -> 10 mm and y 0 -> 10 -> -10 -> -0.31 mm, in whole hundredths.
    float value = 0;
    EXPECT_HR(S_OK, range->get_LengthX(&value));
    EXPECT_FLOAT_EQ(40.0f, value);
    EXPECT_HR(S_OK, range->get_LengthY(&value));
    EXPECT_FLOAT_EQ(39.69f, value);
    EXPECT_HR(S_OK, range->get_AveragePointX(&value));
    EXPECT_NEAR(0.0f, value, 0.005f);
    EXPECT_HR(S_OK, range->get_AveragePointY(&value));
    EXPECT_NEAR(0.0f, value, 0.005f);
    float left = 0;
    float top = 0;
    float right = 0;
    float bottom = 0;
    EXPECT_HR(S_OK, range->GetBounds(&left, &top, &right, &bottom));
    EXPECT_FLOAT_EQ(-10.0f, left);
    EXPECT_FLOAT_EQ(-10.0f, top);
    EXPECT_FLOAT_EQ(10.0f, right);
    EXPECT_FLOAT_EQ(10.0f, bottom);

    // Half a turn: -0.5 s .. 0 s is 101 samples, 100 chords, half the average point above the x axis.
    auto half = builder.window(-0.5f, 0.0f, /*indexBase=*/199);
    EXPECT_NEAR(31.4146f, lengthOf(*half), 0.01f);
    EXPECT_HR(S_OK, half->get_AveragePointY(&value));
    EXPECT_LT(value, -6.0f); // The lower half-turn: mean of -10 sin over it is about -6.3 mm.
}

TEST(RangeTest, LengthIsScaledUpToTheRequestedWindow)
{
    // Half of the 100 requested samples invalid: 49 steps of 1 mm measured, 98 mm reported.
    RangeBuilder builder(200);
    builder.invalid(50).line(50, 100);
    auto range = builder.window(-0.495f, 0.0f, /*indexBase=*/99);
    const Window window = windowOf(*range);
    EXPECT_EQ(-99, window.requestedFirst);
    EXPECT_EQ(-49, window.first);
    EXPECT_FLOAT_EQ(98.0f, lengthOf(*range));
    float lengthX = 0;
    EXPECT_HR(S_OK, range->get_LengthX(&lengthX));
    EXPECT_FLOAT_EQ(98.0f, lengthX);
}

TEST(RangeTest, ASingleSampleWindowHasNoStatistics)
{
    RangeBuilder builder(200);
    builder.points(10, 500, -700);
    auto range = builder.window(0.0f, 0.0f, /*indexBase=*/5);
    EXPECT_EQ(1, windowOf(*range).count);
    EXPECT_EQ(0.0f, lengthOf(*range));
    float average = -1;
    EXPECT_HR(S_OK, range->get_AveragePointX(&average));
    EXPECT_EQ(0.0f, average);
    float left = -1;
    float top = -1;
    float right = -1;
    float bottom = -1;
    EXPECT_HR(S_OK, range->GetBounds(&left, &top, &right, &bottom));
    EXPECT_EQ(0.0f, left);
    EXPECT_EQ(0.0f, top);
    EXPECT_EQ(0.0f, right);
    EXPECT_EQ(0.0f, bottom);
}

// x(i) = 3i^2 - 7i + 100 and y(i) = -2i^2 + 50 hundredths: a smooth quadratic path.
RangeBuilder quadraticPath(LONG sampleRate, int count)
{
    RangeBuilder builder(sampleRate);
    for (LONG i = 0; i < count; ++i) {
        builder.point(3 * i * i - 7 * i + 100, -2 * i * i + 50);
    }
    return builder;
}

TEST(RangeTest, PhasePlacesTheBreachOnTheParabolaThroughTheLastThreeSamples)
{
    auto range = quadraticPath(200, 30).range(/*indexBase=*/10);
    // Sample 20 (relative 10): x = 1160, y = -750; the phase 1 is the sample itself, exactly.
    EXPECT_EQ(std::make_pair(11.6f, -7.5f), breachOf(*range, 10, 0, 1.0));
    // Phase 0 is the sample before; phase 0.5 the path half a sample earlier: x(19.5), y(19.5).
    const auto [x0, y0] = breachOf(*range, 10, 0, 0.0);
    EXPECT_FLOAT_EQ(10.5f, x0);
    EXPECT_FLOAT_EQ(-6.72f, y0);
    const auto [x, y] = breachOf(*range, 10, 0, 0.5);
    EXPECT_FLOAT_EQ(11.0425f, x);
    EXPECT_FLOAT_EQ(-7.105f, y);
    // No phase is phase 1, through either method.
    float bx = 0;
    float by = 0;
    EXPECT_HR(S_OK, range->Breaches(10, 0, &bx, &by));
    EXPECT_EQ(std::make_pair(11.6f, -7.5f), std::make_pair(bx, by));
    EXPECT_EQ(std::make_pair(bx, by), breachOf(*range, 10, 0, kNoPhase));
}

TEST(RangeTest, CoefficientLeadsTheBreachAlongTheDirectionOfTravel)
{
    struct Case {
        LONG sampleRate;
        LONG coefficient;
        double leadSamples; // coefficient x rate / 1000, not rounded to whole samples
    };
    const Case cases[] = {{200, 3, 0.6}, {200, 50, 10.0}, {500, 1, 0.5}, {200, -5, -1.0}};
    for (const Case& test : cases) {
        SCOPED_TRACE(test.coefficient);
        auto range = quadraticPath(test.sampleRate, 30).range(0);
        // At sample 20 the path moves by x' = 6i - 7 = 113 and y' = -4i = -80 hundredths a sample.
        const auto [x, y] = breachOf(*range, 20, test.coefficient, kNoPhase);
        EXPECT_FLOAT_EQ(static_cast<float>((1160 + 113 * test.leadSamples) / 100), x);
        EXPECT_FLOAT_EQ(static_cast<float>((-750 - 80 * test.leadSamples) / 100), y);
    }
}

TEST(RangeTest, BreachIsTheRawSampleWithoutTwoValidSamplesBeforeIt)
{
    RangeBuilder builder(200);
    builder.point(100, 100).point(300, 200).point(600, 400).invalid().point(900, 900).point(1000, 1000);
    auto range = builder.range(0);
    EXPECT_EQ(std::make_pair(1.0f, 1.0f), breachOf(*range, 0, 50, kNoPhase));   // c - 2 before the trace
    EXPECT_EQ(std::make_pair(3.0f, 2.0f), breachOf(*range, 1, 50, kNoPhase));   // c - 2 before the trace
    EXPECT_EQ(std::make_pair(9.0f, 9.0f), breachOf(*range, 4, 50, kNoPhase));   // an invalid sample before
    EXPECT_EQ(std::make_pair(10.0f, 10.0f), breachOf(*range, 5, 50, kNoPhase)); // an invalid one two before
    EXPECT_NE(std::make_pair(6.0f, 4.0f), breachOf(*range, 2, 50, kNoPhase));   // extrapolated
    float x = -1;
    float y = -1;
    EXPECT_HR(E_INVALIDARG, range->Breaches2(6, 0, kNoPhase, &x, &y)); // no sample there
    EXPECT_HR(E_INVALIDARG, range->Breaches2(7, 0, kNoPhase, &x, &y));
    EXPECT_HR(E_INVALIDARG, range->Breaches2(std::numeric_limits<LONG>::max(), 0, kNoPhase, &x, &y));
    EXPECT_EQ(0.0f, x);
}

TEST(RangeTest, SteadinessCountsExtrapolatedPointsInsideTheCircle)
{
    // x = 0, 0.1, ... 3.9 mm; 40 samples requested. Inside 1.05 mm of the centre: samples 0..10.
    RangeBuilder builder(200);
    builder.line(40, 10);
    auto range = builder.range(0);
    EXPECT_EQ(27.0f, steadinessOf(*range, 1.05f, 0)); // trunc(11 x 100 / 40)
    // A lead of 10 samples moves every extrapolated point 1 mm on: only the two raw first samples stay in.
    EXPECT_EQ(5.0f, steadinessOf(*range, 1.05f, 50));
    // The circle is centred where asked.
    EXPECT_EQ(50.0f, steadinessOf(*range, 1.05f, 0, 3.0f, 0.0f)); // 2.0 .. 3.9 mm: 20 samples
    // Asked again, each is what it was; a new window counts its own samples.
    EXPECT_EQ(27.0f, steadinessOf(*range, 1.05f, 0));
    EXPECT_EQ(5.0f, steadinessOf(*range, 1.05f, 50));
    ASSERT_TRUE(range->window(0.0f, 0.095f));         // the first 20 samples of the 40, 0.0 .. 1.9 mm
    EXPECT_EQ(55.0f, steadinessOf(*range, 1.05f, 0)); // trunc(11 x 100 / 20)
}

TEST(RangeTest, SteadinessIsAShareOfTheRequestedTime)
{
    struct Case {
        const char* name;
        int invalidBefore;
        float firstSeconds;
        float expected;
    };
    const Case cases[] = {
        {"every point inside", 0, -0.495f, 100.0f},
        {"half the window invalid", 50, -0.495f, 50.0f},
        {"half the window before the trace", 0, -0.995f, 50.0f},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        RangeBuilder builder(200);
        builder.invalid(test.invalidBefore).points(100 - test.invalidBefore, 250, -250);
        auto range = builder.window(test.firstSeconds, 0.0f, /*indexBase=*/99);
        EXPECT_EQ(test.expected, steadinessOf(*range, 0.5f, 20, 2.5f, -2.5f));
    }
}

TEST(RangeTest, SeveralCirclesAtOnceCountAsEachAlone)
{
    // The window starts after two invalid samples: its first two breaches are the raw samples, the others follow the
    // curve round a circle of 2 mm.
    RangeBuilder builder(200);
    builder.circle(150, 300, 0.07).invalid(2).circle(200, 200, 0.04);
    const std::vector<SteadinessCircle> circles{
        {1.0f, 0.0f, 0.0f},  {2.5f, 0.3f, -0.2f}, {0.8f, 1.2f, 0.5f}, {4.0f, 0.0f, 0.0f},   {0.0f, 0.0f, 0.0f},
        {3.0f, -1.0f, 1.0f}, {1.5f, 0.5f, 0.5f},  {2.0f, 2.0f, 0.0f}, {5.0f, -2.0f, -2.0f}, {2.5f, 0.3f, -0.2f}};
    for (const LONG coefficient : {0, 12, 40}) {
        SCOPED_TRACE(coefficient);
        std::vector<float> alone;
        for (const SteadinessCircle& circle : circles) {
            alone.push_back(steadinessOf(*builder.window(-1.0f, 0.0f, 351), circle.radius, coefficient, circle.centreX,
                                         circle.centreY));
        }
        // More circles than one pass counts, some of them asked before and kept.
        auto range = builder.window(-1.0f, 0.0f, 351);
        (void)steadinessOf(*range, circles[2].radius, coefficient, circles[2].centreX, circles[2].centreY);
        std::vector<float> together(circles.size(), -1.0f);
        EXPECT_HR(S_OK, range->steadiness(coefficient, circles, together));
        EXPECT_EQ(alone, together);
    }
    auto range = builder.window(-1.0f, 0.0f, 351);
    std::vector<float> percents(2, -1.0f);
    EXPECT_HR(E_INVALIDARG, range->steadiness(0, circles, percents));
}

TEST(RangeTest, IndexedReadsStayInsideTheWindow)
{
    RangeBuilder builder(200);
    builder.line(30, 10);
    LONG channel = 0;
    platform::com::Bstr name(u"_trigger");
    ASSERT_HR(S_OK, builder.trace()->AddUserData(name.get(), &channel));
    ASSERT_HR(S_OK, builder.trace()->put_UserData(channel, 25, 7));
    auto range = builder.window(-0.05f, 0.0f, /*indexBase=*/25); // -10 .. 0, samples 15 .. 25

    float value = 0;
    VARIANT_BOOL valid = VARIANT_FALSE;
    LONG data = 0;
    EXPECT_HR(S_OK, range->get_y(-10, &value));
    EXPECT_HR(S_OK, range->get_ValidCoordinate(0, &valid));
    EXPECT_EQ(VARIANT_TRUE, valid);
    EXPECT_HR(S_OK, range->get_UserData(channel, 0, &data));
    EXPECT_EQ(7, data);
    for (LONG outside : {-11, 1, std::numeric_limits<LONG>::max()}) {
        SCOPED_TRACE(outside);
        EXPECT_HR(E_INVALIDARG, range->get_x(outside, &value));
        EXPECT_HR(E_INVALIDARG, range->get_y(outside, &value));
        EXPECT_HR(E_INVALIDARG, range->get_ValidCoordinate(outside, &valid));
        EXPECT_HR(E_INVALIDARG, range->get_UserData(channel, outside, &data));
    }
    EXPECT_HR(E_INVALIDARG, range->get_UserData(0, 0, &data));
    EXPECT_HR(E_INVALIDARG, range->get_UserData(channel + 1, 0, &data));
}

TEST(RangeTest, SecondsAndIndexesFollowTheSampleRate)
{
    RangeBuilder builder(250);
    builder.line(5, 10);
    auto range = builder.range(0);
    float seconds = 0;
    EXPECT_HR(S_OK, range->Index2Sec(-125, &seconds));
    EXPECT_FLOAT_EQ(-0.5f, seconds);
    LONG index = 0;
    EXPECT_HR(S_OK, range->Sec2Index(0.01f, &index)); // 2.5 rounds to even
    EXPECT_EQ(2, index);
    EXPECT_HR(S_OK, range->Sec2Index(-1.0f, &index));
    EXPECT_EQ(-250, index);
}

TEST(RangeTest, EventAndNearestAreaComeFromTheAttributes)
{
    auto event = makeComObject<FakeEvent>();
    event->setAreaCentre(12.5f, -4.0f);
    RangeBuilder builder(200, event.get());
    builder.line(5, 10);
    ASSERT_HR(S_OK, builder.attributes()->put_SubTarget(2));
    auto range = builder.range(0);

    ComPtr<IEventParams> got;
    EXPECT_HR(S_OK, range->get_Event(got.put()));
    EXPECT_EQ(static_cast<IEventParams*>(event.get()), got.get());
    LONG area = 0;
    float cx = 0;
    float cy = 0;
    EXPECT_HR(S_OK, range->GetNearestArea(1, 1, &area, &cx, &cy));
    EXPECT_EQ(1, area);
    EXPECT_EQ(std::make_pair(12.5f, -4.0f), std::make_pair(cx, cy));
    EXPECT_EQ(2, event->lastSubTarget());

    RangeBuilder withoutEvent(200);
    withoutEvent.line(5, 10);
    auto orphan = withoutEvent.range(0);
    EXPECT_HR(E_FAIL, orphan->get_Event(got.put()));
    EXPECT_EQ(nullptr, got.get());
    EXPECT_HR(E_FAIL, orphan->GetNearestArea(1, 1, &area, &cx, &cy));
}

TEST(RangeTest, NullOutPointersAreRefused)
{
    RangeBuilder builder(200);
    builder.line(5, 10);
    auto range = builder.range(0);
    float value = 0;
    LONG area = 0;
    EXPECT_HR(E_POINTER, range->get_Valid(nullptr));
    EXPECT_HR(E_POINTER, range->get_Count(nullptr));
    EXPECT_HR(E_POINTER, range->get_x(0, nullptr));
    EXPECT_HR(E_POINTER, range->get_Length(nullptr));
    EXPECT_HR(E_POINTER, range->Index2Sec(0, nullptr));
    EXPECT_HR(E_POINTER, range->Sec2Index(0, nullptr));
    EXPECT_HR(E_POINTER, range->Steadiness(1, 0, 0, 0, nullptr));
    EXPECT_HR(E_POINTER, range->Breaches(0, 0, &value, nullptr));
    EXPECT_HR(E_POINTER, range->Breaches2(0, 0, kNoPhase, nullptr, &value));
    EXPECT_HR(E_POINTER, range->get_Event(nullptr));
    EXPECT_HR(E_POINTER, range->GetBounds(&value, &value, &value, nullptr));
    EXPECT_HR(E_POINTER, range->get_ValidCoordinate(0, nullptr));
    EXPECT_HR(E_POINTER, range->GetNearestArea(0, 0, &area, &value, nullptr));
    EXPECT_HR(E_POINTER, range->get_Trace(nullptr));
    EXPECT_HR(E_POINTER, range->get_IndexBase(nullptr));
    EXPECT_HR(E_POINTER, range->get_UserData(1, 0, nullptr));
}

} // namespace
