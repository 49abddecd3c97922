#include "talvodesk/core/range/internal/RangeScripts.h"

namespace talvodesk::internal {

namespace {

constexpr std::u16string_view kLoad = u"Load";
constexpr std::u16string_view kAttention = u"Attention";
constexpr std::u16string_view kUnload = u"Unload";
constexpr std::u16string_view kBeepStart = u"beep-start";
constexpr std::u16string_view kBeepStop = u"beep-stop";
constexpr std::u16string_view kSightingLoad = u"For the sighting series - load";
// The recording's file name is spelt so.
constexpr std::u16string_view kFirstMatchLoad = u"For the first competion series - load";
constexpr std::u16string_view kNextMatchLoad = u"For the next competition series - load";

RangeUntil now()
{
    return {};
}
RangeUntil after(DWORD ms)
{
    return {RangeWait::Elapsed, ms};
}
RangeUntil sightingShotsOr(LONG shots, DWORD ms)
{
    return {RangeWait::SightingShots, ms, shots};
}
RangeUntil matchShotsOr(DWORD ms)
{
    return {RangeWait::MatchShots, ms};
}
RangeUntil continueChosen()
{
    return {RangeWait::Continue};
}

const RangeEffect kOff{RangeDo::LightOff};
const RangeEffect kRed{RangeDo::LightRed};
const RangeEffect kGreen{RangeDo::LightGreen};
const RangeEffect kClosed{RangeDo::WindowClosed};
const RangeEffect kOpen{RangeDo::WindowOpen};
const RangeEffect kCalibrate{RangeDo::Calibrate};
const RangeEffect kMatch{RangeDo::MatchMode};
const RangeEffect kBookSighting{RangeDo::BookSighting};
const RangeEffect kBookMatch{RangeDo::BookMatch};
const RangeEffect kStop{RangeDo::StopPractice};

RangeEffect say(std::u16string_view prompt)
{
    return {RangeDo::Prompt, 0, prompt};
}
RangeEffect counter(LONG value)
{
    return {RangeDo::SetCounter, value};
}
RangeEffect counterPlus(LONG value)
{
    return {RangeDo::AddCounter, value};
}

RangeCondition counterIs(LONG value)
{
    return {RangeTest::CounterIs, value};
}
RangeCondition counterMultipleOf(LONG value)
{
    return {RangeTest::CounterMultipleOf, value};
}
RangeCondition matchShotsBelow(LONG value)
{
    return {RangeTest::MatchShotsBelow, value};
}

/// "SP1": the counter is the total of match shots expected.
std::vector<RangeStep> sp1()
{
    return {
        {1, now(), {{kOff, kClosed, kCalibrate, say(kLoad)}}},
        {2, after(5000), {{say(kAttention), kRed}}},
        {3, after(7000), {{kGreen, kOpen}}},
        {4, sightingShotsOr(5, 300000), {{kClosed, kOff, say(kUnload)}}},
        {5, now(), {{counter(5)}}},
        {6, continueChosen(), {{kMatch, say(kLoad)}}},
        {7, after(5000), {{say(kAttention), kRed}}},
        {8, after(7000), {{kGreen, kOpen}}},
        {9, matchShotsOr(300000), {{kClosed, kOff, say(kUnload), kBookMatch}}},
        {10, now(), {{counterPlus(5)}, 6}, matchShotsBelow(30), {}},
        {11, now(), {{kStop}, 0}},
    };
}

/// "SP2", and "SPF" (`final`) with its own announcements and two match series: the counter is the number of the
/// current shot, one shot a window.
std::vector<RangeStep> sp2(bool final)
{
    return {
        {1, now(), {{kOff, kClosed, kCalibrate, say(final ? kSightingLoad : kLoad), counter(1)}}},
        {2, after(5000), {{say(kAttention), kRed}}},
        {3, after(7000), {{kGreen, kOpen}}},
        {4,
         after(3200),
         {{kClosed, kBookSighting, kOff, say(kUnload)}},
         counterIs(5),
         {{kClosed, kBookSighting, kRed, counterPlus(1)}, 3}},
        {5, now(), {{counter(1)}}},
        {6,
         continueChosen(),
         {{kMatch, say(final ? kFirstMatchLoad : kLoad)}},
         counterIs(1),
         {{kMatch, say(final ? kNextMatchLoad : kLoad)}}},
        {7, after(5000), {{say(kAttention), kRed}}},
        {8, after(7000), {{kGreen, kOpen}}},
        {9,
         after(3200),
         {{kClosed, kBookMatch, kOff, say(kUnload)}},
         counterMultipleOf(5),
         {{kClosed, kBookMatch, kRed, counterPlus(1)}, 8}},
        {10, now(), {}, counterIs(final ? 10 : 30), {{counterPlus(1)}, 6}},
        {11, now(), {{kStop}, 0}},
    };
}

/// "N4TL3": silent; the counter is the number of the current shot; series of four until the user stops.
std::vector<RangeStep> n4tl3()
{
    return {
        {1, now(), {{kOff, kClosed, kCalibrate, counter(1)}}},
        {2, after(5000), {{kRed}}},
        {3, after(7000), {{kGreen, kOpen}}},
        {4,
         after(3000),
         {{kClosed, kBookSighting, kOff}},
         counterIs(4),
         {{kClosed, kBookSighting, kRed, counterPlus(1)}, 3}},
        {5, now(), {{counter(1)}}},
        {6, continueChosen(), {{kMatch}}},
        {7, after(3000), {{kRed}}},
        {8, after(3000), {{kGreen, kOpen}}},
        {9,
         after(3000),
         {{kClosed, kBookMatch, kOff}},
         counterMultipleOf(4),
         {{kClosed, kBookMatch, kRed, counterPlus(1)}, 8}},
        {10, now(), {{counterPlus(1)}, 6}},
    };
}

/// "N4TL15": the counter is the total of match shots expected; series of four until the user stops.
std::vector<RangeStep> n4tl15()
{
    return {
        {1, now(), {{kOff, kClosed, kCalibrate}}},
        {2, after(5000), {{say(kAttention), kRed}}},
        {3, after(7000), {{kGreen, kOpen}}},
        {4, sightingShotsOr(4, 15000), {{kClosed, kOff}}},
        {5, now(), {{counter(4)}}},
        {6, continueChosen(), {{kMatch}}},
        {7, after(5000), {{kRed}}},
        {8, after(7000), {{kGreen, kOpen}}},
        {9, matchShotsOr(15000), {{kClosed, kOff, kBookMatch}}},
        {10, now(), {{counterPlus(4)}, 6}},
    };
}

/// The "MRF" events: the counter is the total of match shots expected; series of five until the user stops.
std::vector<RangeStep> mrf(DWORD matchWindow)
{
    return {
        {1, now(), {{kOff, kClosed, kCalibrate}}},
        {2, after(5000), {{kRed}}},
        {3, after(7000), {{kGreen, kOpen}}},
        {4, sightingShotsOr(5, 15000), {{kClosed, kOff}}},
        {5, now(), {{counter(5)}}},
        {6, continueChosen(), {{kMatch}}},
        {7, after(5000), {{say(kAttention), kRed}}},
        {8, after(7000), {{say(kBeepStart), kGreen, kOpen}}},
        {9, matchShotsOr(matchWindow), {{kClosed, kRed, say(kBeepStop), kBookMatch}}},
        {10, after(7000), {{say(kUnload), kRed}}},
        {11, now(), {{counterPlus(5)}, 6}},
    };
}

} // namespace

const std::vector<RangeStep>& rangeStepsOf(long code)
{
    static const std::vector<RangeStep> kNone;
    static const std::vector<RangeStep> kSP1 = sp1();
    static const std::vector<RangeStep> kSP2 = sp2(false);
    static const std::vector<RangeStep> kSPF = sp2(true);
    static const std::vector<RangeStep> kN4TL3 = n4tl3();
    static const std::vector<RangeStep> kN4TL15 = n4tl15();
    static const std::vector<RangeStep> kMRF10 = mrf(10000);
    static const std::vector<RangeStep> kMRF8 = mrf(8000);
    static const std::vector<RangeStep> kMRF6 = mrf(6000);
    switch (code) {
    case 4:
        return kSP1;
    case 5:
        return kSP2;
    case 6:
        return kSPF;
    case 7:
        return kN4TL3;
    case 8:
        return kN4TL15;
    case 9:
        return kMRF10;
    case 10:
        return kMRF8;
    case 11:
        return kMRF6;
    default:
        return kNone;
    }
}

} // namespace talvodesk::internal
