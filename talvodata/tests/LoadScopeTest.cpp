#include "talvodata/LoadScope.h"

#include "talvodata/AimingTrace.h"
#include "talvodata/EventParams.h"

#include "talvodata/tests/support/Bytes.h"

#include "platform/testing/Matchers.h"

namespace talvodata {
namespace {

using testsupport::Bytes;

constexpr std::uint16_t kObjectType = 13; // VT_UNKNOWN

// An event record with no faces, up to its named values.
Bytes eventHead()
{
    Bytes head;
    head.i32(4).bstr(u"Deep").bstr(u"DEEP").f32(4.5F).f32(4.5F).f32(10.0F).i32(1).i32(1).i32(10).i32(0);
    return head;
}

// `levels` events, each holding the next as its one named value (the last field of an event record).
std::vector<std::uint8_t> nestedEvents(int levels)
{
    const std::vector<std::uint8_t> opening =
        eventHead().i32(1).bstr(u"inner").u16(kObjectType).guid(CLSID_EventParams).bytes();
    Bytes record;
    for (int level = 1; level < levels; ++level) {
        record.append(opening);
    }
    return record.append(eventHead().i32(0).bytes()).bytes();
}

// A trace claiming the most samples one trace may hold, all invalid: a few bytes however many they are.
std::vector<std::uint8_t> invalidTrace()
{
    const auto count = static_cast<std::uint32_t>(CAimingTrace::kMaxStoredSamples);
    return Bytes()
        .i32(4)
        .i32(0)
        .i32(CAimingTrace::kMaxStoredSamples)
        .u8(0)
        .u8(0x30)
        .u32(count)
        .u8(0x30)
        .u32(count)
        .i32(0)
        .bytes();
}

// An event whose named values hold `count` such traces.
std::vector<std::uint8_t> eventOfTraces(int count)
{
    Bytes record = eventHead();
    record.i32(count);
    for (int i = 0; i < count; ++i) {
        record.bstr(u"trace" + std::u16string(1, char16_t(u'a' + i))).u16(kObjectType).guid(CLSID_AimingTrace);
        record.append(invalidTrace());
    }
    return record.bytes();
}

TEST(LoadScopeTest, NestingDeeperThanAnyRealFileFails)
{
    const struct {
        int levels;
        HRESULT expected;
    } cases[] = {{1, S_OK}, {LoadScope::kMaxDepth, S_OK}, {LoadScope::kMaxDepth + 1, E_FAIL}, {20000, E_FAIL}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.levels);
        auto event = CEventParams::create();
        EXPECT_HR(c.expected, testsupport::loadRecord(event->unknown(), nestedEvents(c.levels)));
    }
}

TEST(LoadScopeTest, TracesOfOneStreamShareItsSampleBudget)
{
    // One hour of invalid samples is free to one stream; every further sample must be paid for by a byte.
    const struct {
        int traces;
        HRESULT expected;
    } cases[] = {{1, S_OK}, {2, E_FAIL}, {40, E_FAIL}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.traces);
        auto event = CEventParams::create();
        EXPECT_HR(c.expected, testsupport::loadRecord(event->unknown(), eventOfTraces(c.traces)));
        // A new load starts with a new budget.
        EXPECT_HR(S_OK, testsupport::loadRecord(CEventParams::create()->unknown(), eventOfTraces(1)));
    }
}

} // namespace
} // namespace talvodata
