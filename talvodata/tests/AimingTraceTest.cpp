#include "talvodata/AimingTrace.h"

#include "talvodata/PackedChannel.h"
#include "talvodata/tests/support/TraceBuilder.h"

#include "platform/com/MemoryStream.h"
#include "platform/com/StreamForms.h"
#include "platform/testing/Matchers.h"

#include <random>

using namespace talvodata;
using platform::com::Bstr;
using platform::com::ComPtr;
using platform::com::makeComObject;
using platform::com::MemoryStream;
using platform::com::writeInt32;
using talvodata::testsupport::FakeAimingAttr;
using talvodata::testsupport::TraceBuilder;
using Bytes = std::vector<std::uint8_t>;

namespace {

struct Extent {
    LONG first;
    LONG count;
    LONG last;
};

Extent extentOf(CAimingTrace& trace)
{
    Extent extent{};
    EXPECT_HR(S_OK, trace.get_First(&extent.first));
    EXPECT_HR(S_OK, trace.get_Count(&extent.count));
    EXPECT_HR(S_OK, trace.get_Last(&extent.last));
    return extent;
}

Bytes saved(CAimingTrace& trace)
{
    auto stream = makeComObject<MemoryStream>();
    EXPECT_HR(S_OK, trace.Save(stream.get(), TRUE));
    return stream->bytes();
}

HRESULT loadInto(const Bytes& bytes, ComPtr<CAimingTrace>& trace)
{
    trace = CAimingTrace::create();
    auto stream = makeComObject<MemoryStream>(bytes);
    return trace->Load(stream.get());
}

std::vector<std::pair<LONG, LONG>> pointsOf(CAimingTrace& trace)
{
    const Extent extent = extentOf(trace);
    std::vector<std::pair<LONG, LONG>> points;
    for (LONG i = extent.first; i <= extent.last; ++i) {
        LONG x = 0;
        LONG y = 0;
        EXPECT_HR(S_OK, trace._GetPoint(i, &x, &y));
        points.emplace_back(x, y);
    }
    return points;
}

TEST(AimingTraceTest, TheWindowSlidesUntilSlidingIsSwitchedOff)
{
    auto trace = TraceBuilder(200).samples(1500).build();
    Extent extent = extentOf(*trace);
    EXPECT_EQ(500, extent.first);
    EXPECT_EQ(1000, extent.count);
    EXPECT_EQ(1499, extent.last);

    ASSERT_HR(S_OK, trace->put_WrapEnabled(VARIANT_FALSE));
    for (int i = 0; i < 700; ++i) {
        ASSERT_HR(S_OK, trace->_Add(i, -i));
    }
    extent = extentOf(*trace);
    EXPECT_EQ(500, extent.first);
    EXPECT_EQ(1700, extent.count);
    LONG x = 0;
    LONG y = 0;
    ASSERT_HR(S_OK, trace->_GetPoint(2199, &x, &y));
    EXPECT_EQ(699, x);
    EXPECT_EQ(-699, y);
}

TEST(AimingTraceTest, ALoweredWindowKeepsSliding)
{
    auto trace = TraceBuilder(200).samples(1000).build();
    ASSERT_HR(S_OK, trace->put_MaxTimeBeforeShot(1.0f));
    for (int i = 0; i < 10; ++i) {
        ASSERT_HR(S_OK, trace->_Add(i, i));
    }
    EXPECT_EQ(1000, extentOf(*trace).count);
    EXPECT_EQ(10, extentOf(*trace).first);
}

TEST(AimingTraceTest, AddRoundsHundredthsHalfToEvenInSinglePrecision)
{
    auto trace = TraceBuilder(200).build();
    const struct {
        float millimetres;
        LONG hundredths;
    } cases[] = {{0.125f, 12}, {0.135f, 14}, {-0.125f, -12}, {1.005f, 100}, {327.67f, 32767}, {0.0f, 0}};
    for (const auto& c : cases) {
        ASSERT_HR(S_OK, trace->Add(c.millimetres, 0.0f));
    }
    const auto points = pointsOf(*trace);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].millimetres);
        EXPECT_EQ(cases[i].hundredths, points[i].first);
    }
    EXPECT_HR(E_INVALIDARG, trace->Add(NAN, 0.0f));
    EXPECT_HR(E_INVALIDARG, trace->Add(3e7f, 0.0f));
}

TEST(AimingTraceTest, IndexedMembersCheckTheirRange)
{
    auto trace = TraceBuilder(200).samples(1200).build(); // Indexes 200 .. 1199.
    float value = 0;
    LONG x = 0;
    VARIANT_BOOL valid = 0;
    for (LONG index : {199, 1200, -1}) {
        SCOPED_TRACE(index);
        EXPECT_HR(E_INVALIDARG, trace->get_x(index, &value));
        EXPECT_HR(E_INVALIDARG, trace->get_y(index, &value));
        EXPECT_HR(E_INVALIDARG, trace->_GetPoint(index, &x, &x));
        EXPECT_HR(E_INVALIDARG, trace->get_ValidCoordinate(index, &valid));
    }
    EXPECT_HR(S_OK, trace->get_x(200, &value));
    EXPECT_HR(E_POINTER, trace->_GetPoint(200, &x, nullptr));
    EXPECT_HR(E_INVALIDARG, trace->put_MaxTimeBeforeShot(0.49f));
}

TEST(AimingTraceTest, SecondsAndIndexesFollowTheSampleRate)
{
    auto trace = TraceBuilder(200).build();
    float seconds = 0;
    ASSERT_HR(S_OK, trace->Index2Sec(300, &seconds));
    EXPECT_FLOAT_EQ(1.5f, seconds);
    LONG index = 0;
    ASSERT_HR(S_OK, trace->Sec2Index(0.0125f, &index)); // 2.5 samples, half to even.
    EXPECT_EQ(2, index);

    auto noRate = TraceBuilder(0).build();
    EXPECT_HR(E_UNEXPECTED, noRate->_Add(1, 1));
    EXPECT_HR(E_UNEXPECTED, noRate->Index2Sec(1, &seconds));
}

TEST(AimingTraceTest, ReadOnlyNarrowsWhereValuesAllowAndRefusesSamples)
{
    auto small = TraceBuilder(200).point(32767, -32768).point(0, 1).readOnly().build();
    EXPECT_EQ(3, saved(*small)[12]); // Both channels 16-bit.
    EXPECT_HR(E_UNEXPECTED, small->_Add(1, 1));
    EXPECT_HR(E_INVALIDARG, small->put_ReadOnly(VARIANT_FALSE));
    EXPECT_HR(S_OK, small->put_ReadOnly(VARIANT_TRUE));
    EXPECT_HR(E_INVALIDARG, small->put_WrapEnabled(VARIANT_FALSE));

    auto wideY = TraceBuilder(200).point(0, 32768).readOnly().build();
    EXPECT_EQ(1, saved(*wideY)[12]);

    auto withInvalid = TraceBuilder(200).invalid().readOnly().build();
    EXPECT_EQ(0, saved(*withInvalid)[12]);
    VARIANT_BOOL valid = VARIANT_TRUE;
    ASSERT_HR(S_OK, withInvalid->get_ValidCoordinate(0, &valid));
    EXPECT_EQ(VARIANT_FALSE, valid);
}

TEST(AimingTraceTest, UserChannelsAreFoundByExactNameAndWidenWhenNeeded)
{
    auto trace = TraceBuilder(200).samples(3).build();
    LONG trigger = 0;
    LONG pulse = 0;
    ASSERT_HR(S_OK, trace->AddUserData(Bstr("_trigger").get(), &trigger));
    ASSERT_HR(S_OK, trace->AddUserData(Bstr("_pulse").get(), &pulse));
    EXPECT_EQ(1, trigger);
    EXPECT_EQ(2, pulse);
    LONG again = 0;
    ASSERT_HR(S_OK, trace->AddUserData(Bstr("_trigger").get(), &again));
    EXPECT_EQ(1, again);
    ASSERT_HR(S_OK, trace->GetUserData(Bstr("_Trigger").get(), &again));
    EXPECT_EQ(-1, again);
    EXPECT_HR(E_INVALIDARG, trace->AddUserData(nullptr, &again));

    ASSERT_HR(S_OK, trace->put_ReadOnly(VARIANT_TRUE));
    (void)saved(*trace); // Saving narrows the all-zero user channels to 16 bits.
    ASSERT_HR(S_OK, trace->put_UserData(pulse, 2, 40000));
    LONG value = 0;
    ASSERT_HR(S_OK, trace->get_UserData(pulse, 2, &value));
    EXPECT_EQ(40000, value);
    EXPECT_HR(E_INVALIDARG, trace->put_UserData(3, 2, 1));
    EXPECT_HR(E_INVALIDARG, trace->get_UserData(pulse, 3, &value));

    ASSERT_HR(S_OK, trace->RemoveUserData(Bstr("_trigger").get()));
    ASSERT_HR(S_OK, trace->GetUserData(Bstr("_pulse").get(), &again));
    EXPECT_EQ(1, again);
    ASSERT_HR(S_OK, trace->RemoveUserData(Bstr("absent").get()));
}

TEST(AimingTraceTest, AnEmptyTraceIsTwelveBytes)
{
    auto trace = TraceBuilder(200).build();
    EXPECT_EQ((Bytes{4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), saved(*trace));
    EXPECT_HR(S_FALSE, trace->IsDirty());
}

TEST(AimingTraceTest, ChannelsArePackedAsRunsOfDifferences)
{
    // Differences 0, 100, 200, 0, 99700 classify as 1, 1, 2, 1, 3. The lone class 1 sample after the class 2
    // one costs a header of its own, so it joins the class 2 run.
    auto trace =
        TraceBuilder(200).point(0, 0).point(100, 0).point(300, 0).point(300, 0).point(100000, 0).stopSliding().build();
    const Bytes record = saved(*trace);
    const Bytes expectedX{0x11, 2, 0, 100, 0x12, 2, 200, 0, 0, 0, 0x13, 1, 0xA0, 0x86, 0x01, 0x00};
    ASSERT_GE(record.size(), 13 + expectedX.size());
    EXPECT_EQ(expectedX, Bytes(record.begin() + 13, record.begin() + 13 + static_cast<long>(expectedX.size())));
}

TEST(AimingTraceTest, SamplesAreClassifiedBySizeOfDifference)
{
    TraceChannel channel;
    ASSERT_HR(S_OK, channel.allocate(8, /*narrow=*/false));
    const std::int32_t values[] = {0, 100, 300, 300, 100000, TraceChannel::kInvalid, 100001, -100000};
    for (std::size_t i = 0; i < std::size(values); ++i) {
        channel.set(i, values[i]);
    }
    EXPECT_EQ((std::vector<std::uint8_t>{1, 1, 2, 1, 3, 0, 3, 3}), packed::classify(channel, 0, 8));
}

TEST(AimingTraceTest, PromotionJoinsShortRunsIntoTheirNeighbours)
{
    // One small step inside large ones: its own run would cost two headers more than it saves.
    auto trace = TraceBuilder(200).point(0, 0).point(1000, 0).point(1001, 0).point(2001, 0).stopSliding().build();
    const Bytes record = saved(*trace);
    // Classes 1, 2, 1, 2: the class 1 run of one sample between class 2 runs becomes class 2.
    const Bytes expectedX{0x11, 1, 0, 0x12, 3, 0xE8, 0x03, 1, 0, 0xE8, 0x03};
    EXPECT_EQ(expectedX, Bytes(record.begin() + 13, record.begin() + 13 + static_cast<long>(expectedX.size())));
}

TEST(AimingTraceTest, RecordsRoundTripWithUserChannelsAndInvalidSamples)
{
    auto trace =
        TraceBuilder(200).samples(900).invalid().invalid().samples(400).point(5000000, -5000000).stopSliding().build();
    LONG channel = 0;
    ASSERT_HR(S_OK, trace->AddUserData(Bstr("_trigger").get(), &channel));
    const Extent extent = extentOf(*trace);
    ASSERT_HR(S_OK, trace->put_UserData(channel, extent.last, -7));
    ASSERT_HR(S_OK, trace->put_ReadOnly(VARIANT_TRUE));

    ComPtr<CAimingTrace> loaded;
    ASSERT_HR(S_OK, loadInto(saved(*trace), loaded));
    EXPECT_EQ(pointsOf(*trace), pointsOf(*loaded));
    const Extent loadedExtent = extentOf(*loaded);
    EXPECT_EQ(extent.first, loadedExtent.first);
    LONG value = 0;
    ASSERT_HR(S_OK, loaded->GetUserData(Bstr("_trigger").get(), &channel));
    ASSERT_HR(S_OK, loaded->get_UserData(channel, extent.last, &value));
    EXPECT_EQ(-7, value);
    VARIANT_BOOL flag = VARIANT_FALSE;
    ASSERT_HR(S_OK, loaded->get_ReadOnly(&flag));
    EXPECT_EQ(VARIANT_TRUE, flag);
    EXPECT_HR(S_FALSE, loaded->IsDirty());
    EXPECT_EQ(saved(*trace), saved(*loaded));
}

TEST(AimingTraceTest, OlderUnpackedRecordsAreRead)
{
    auto stream = makeComObject<MemoryStream>();
    for (std::int32_t field : {1, 7, 99, 2, 0}) { // Version 1: First, an ignored field, Count, 32-bit pairs.
        ASSERT_HR(S_OK, writeInt32(stream.get(), field));
    }
    for (std::int32_t value : {10, -20, 70000, 30}) {
        ASSERT_HR(S_OK, writeInt32(stream.get(), value));
    }
    ComPtr<CAimingTrace> loaded;
    ASSERT_HR(S_OK, loadInto(stream->bytes(), loaded));
    EXPECT_EQ((std::vector<std::pair<LONG, LONG>>{{10, -20}, {70000, 30}}), pointsOf(*loaded));
    EXPECT_EQ(7, extentOf(*loaded).first);
    EXPECT_EQ(2, saved(*loaded)[12]); // x needs 32 bits, y was narrowed.
}

TEST(AimingTraceTest, DamagedRecordsFailWithoutHugeAllocations)
{
    const Bytes good = saved(*TraceBuilder(200).samples(300).stopSliding().readOnly().build());
    const struct {
        const char* what;
        Bytes bytes;
    } cases[] = {
        {"version 5", {5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"huge count", {4, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F, 0}},
        {"cut in the header", {4, 0, 0, 0, 0, 0}},
        {"unknown run size", {4, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0x41, 1, 0}},
        {"unknown run class", {4, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0x14, 1, 0}},
        {"run past the count", {4, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0x11, 2, 0, 0}},
        {"invalid run in 16-bit storage", {4, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1, 0x10, 1}},
        {"value too wide for 16-bit storage", {4, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1, 0x13, 1, 0, 0, 1, 0}},
        {"unpacked pairs cut short", {2, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0}},
        {"cut in the user channels", Bytes(good.begin(), good.end() - 1)},
        // Indexes count from the start of the aiming: a first index below 0 would wrap the index arithmetic.
        {"first index -1", {4, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0, 0, 0x11, 1, 0, 0x11, 1, 0, 0, 0, 0, 0}},
        {"first index near INT_MIN", {4, 0, 0, 0, 2, 0, 0, 0x80, 1, 0, 0, 0, 0, 0x11, 1, 0, 0x11, 1, 0, 0, 0, 0, 0}},
        {"empty, first index INT_MIN", {4, 0, 0, 0, 0, 0, 0, 0x80, 0, 0, 0, 0}},
        {"last index past INT_MAX",
         {4, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F, 1, 0, 0, 0, 0, 0x11, 1, 0, 0x11, 1, 0, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ComPtr<CAimingTrace> loaded;
        EXPECT_HR(E_FAIL, loadInto(c.bytes, loaded));
    }
}

namespace {

struct PackedRun {
    std::uint8_t kind;
    std::vector<std::int32_t> fields;
};

std::vector<std::int32_t> steps(std::size_t count, std::int32_t step)
{
    return std::vector<std::int32_t>(count, step);
}

std::vector<std::int32_t> joined(std::vector<std::int32_t> head, const std::vector<std::int32_t>& tail)
{
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

void appendField(Bytes& bytes, std::int32_t value, std::size_t size)
{
    for (std::size_t i = 0; i < size; ++i) {
        bytes.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) >> (8 * i)));
    }
}

// A version 4 record whose x holds `xRuns` (with 32-bit length fields) and whose y is all zero.
Bytes packedRecord(bool narrow, const std::vector<PackedRun>& xRuns)
{
    std::int32_t count = 0;
    Bytes x;
    for (const PackedRun& run : xRuns) {
        count += static_cast<std::int32_t>(run.fields.size());
        x.push_back(static_cast<std::uint8_t>(0x30 | run.kind));
        appendField(x, static_cast<std::int32_t>(run.fields.size()), 4);
        for (std::int32_t field : run.fields) {
            appendField(x, field, run.kind == 3 ? 4 : run.kind);
        }
    }
    Bytes record{4, 0, 0, 0, 0, 0, 0, 0};
    appendField(record, count, 4);
    record.push_back(narrow ? 3 : 0);
    record.insert(record.end(), x.begin(), x.end());
    record.push_back(0x31);
    appendField(record, count, 4);
    record.insert(record.end(), static_cast<std::size_t>(count), 0);
    appendField(record, 0, 4); // No user channels.
    return record;
}

} // namespace

TEST(AimingTraceTest, DecodedValuesMayReachButNeverLeaveTheStorageRange)
{
    // The long runs cross the decoder's chunks, whose ranges it checks in blocks rather than per sample.
    const auto upTo = [](std::int32_t last) { return joined(joined(steps(1040, 0), steps(258, 127)), {last}); };
    const auto downTo = [](std::int32_t last) { return joined(joined(steps(1040, 0), steps(258, -127)), {last}); };
    const struct {
        const char* what;
        bool narrow;
        std::vector<PackedRun> runs;
        HRESULT expected;
        LONG lastX;
    } cases[] = {
        {"byte steps up to 32767", true, {{1, upTo(1)}}, S_OK, 32767},
        {"byte steps past 32767", true, {{1, upTo(2)}}, E_FAIL, 0},
        {"byte steps down to -32768", true, {{1, downTo(-2)}}, S_OK, -32768},
        {"byte steps below -32768", true, {{1, downTo(-3)}}, E_FAIL, 0},
        {"word steps up to 32767", true, {{2, {30000, 2767}}}, S_OK, 32767},
        {"word steps past 32767", true, {{2, {30000, 2768}}}, E_FAIL, 0},
        {"value -32768 in 16 bits", true, {{1, steps(100, 1)}, {3, {-32768}}}, S_OK, -32768},
        {"value -32769 in 16 bits", true, {{1, steps(100, 1)}, {3, {-32769}}}, E_FAIL, 0},
        {"steps up to the 32-bit maximum", false, {{3, {2147450880}}, {2, {32767}}}, S_OK, 2147483647},
        {"steps past the 32-bit maximum", false, {{3, {2147450880}}, {2, {32767}}, {1, {1}}}, E_FAIL, 0},
        {"steps below the 32-bit minimum", false, {{3, {-2147483647 - 1}}, {1, {-1}}}, E_FAIL, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ComPtr<CAimingTrace> loaded;
        ASSERT_HR(c.expected, loadInto(packedRecord(c.narrow, c.runs), loaded));
        if (SUCCEEDED(c.expected)) {
            const Extent extent = extentOf(*loaded);
            LONG x = 0;
            LONG y = 0;
            ASSERT_HR(S_OK, loaded->_GetPoint(extent.last, &x, &y));
            EXPECT_EQ(c.lastX, x);
        }
    }
}

TEST(AimingTraceTest, MutatedRecordsNeverCrash)
{
    auto trace = TraceBuilder(200).samples(400).invalid().samples(50).stopSliding().build();
    LONG channel = 0;
    ASSERT_HR(S_OK, trace->AddUserData(Bstr("_trigger").get(), &channel));
    ASSERT_HR(S_OK, trace->put_ReadOnly(VARIANT_TRUE));
    const Bytes good = saved(*trace);
    std::mt19937 random(20261208);
    int loadedCount = 0;
    for (int round = 0; round < 3000; ++round) {
        Bytes mutated = good;
        const int edits = 1 + static_cast<int>(random() % 4);
        for (int e = 0; e < edits; ++e) {
            mutated[random() % mutated.size()] = static_cast<std::uint8_t>(random());
        }
        if (round % 5 == 0) {
            mutated.resize(random() % mutated.size());
        }
        ComPtr<CAimingTrace> loaded;
        if (SUCCEEDED(loadInto(mutated, loaded))) {
            ++loadedCount;
            (void)pointsOf(*loaded);
        }
    }
    EXPECT_GT(loadedCount, 0);
}

} // namespace
