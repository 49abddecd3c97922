#pragma once

#include "platform/com/Types.h"

#include <string_view>
#include <vector>

// The range commands of the timed events as data: for each state, what the step waits for and what it then does.
namespace talvodesk::internal {

enum class RangeWait { None, Elapsed, SightingShots, MatchShots, Continue };

/// A step's wait. `SightingShots` waits for `shots` shots or `ms`; `MatchShots` for as many match shots as the
/// counter expects or `ms`.
struct RangeUntil {
    RangeWait wait = RangeWait::None;
    DWORD ms = 0;
    LONG shots = 0;
};

enum class RangeDo {
    LightOff,
    LightRed,
    LightGreen,
    WindowClosed,
    WindowOpen,
    Calibrate,
    MatchMode,
    Prompt,
    BookSighting,
    BookMatch,
    SetCounter,
    AddCounter,
    StopPractice,
};

struct RangeEffect {
    RangeDo what;
    LONG value = 0;
    std::u16string_view prompt = {};
};

inline constexpr int kNextRangeState = -1;

/// The effects in order, and the state that follows (made first).
struct RangeOutcome {
    std::vector<RangeEffect> effects;
    int target = kNextRangeState;
};

enum class RangeTest { Always, CounterIs, CounterMultipleOf, MatchShotsBelow };

struct RangeCondition {
    RangeTest test = RangeTest::Always;
    LONG value = 0;
};

struct RangeStep {
    int state;
    RangeUntil until;
    /// Once the wait is over: `then` when the condition holds (by default it does), else `otherwise`.
    RangeOutcome then;
    RangeCondition condition = {};
    RangeOutcome otherwise = {};
};

/// The steps of an event code in ascending order of state; none for a code without range commands.
const std::vector<RangeStep>& rangeStepsOf(long code);

} // namespace talvodesk::internal
