#pragma once

#include "interfaces/talvodata/IAimingAttr.h"
#include "interfaces/talvodata/IRange.h"
#include "interfaces/talvodata/IShot.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace talvodesk {

class CTalvoData;

/// The replay control's scroll-bar actions.
enum class ScrollCode { LineLeft, LineRight, PageLeft, PageRight, ThumbTrack, Left, Right, Other };

/// The sample index a scroll action moves the replay to: a line is max(5, rate / 30) samples, a page rate / 5;
/// the thumb position is taken as a signed 16-bit number; the result stays within first..last.
LONG ReplayScrollIndex(ScrollCode code, LONG current, LONG sampleRate, int thumb, LONG first, LONG last);

/// Seconds as the replay control's labels show them ("%-5.2f").
std::u16string ReplaySecondsText(float seconds);

/// The two times stored with one heart beat (OLE dates).
struct HeartBeatTimes {
    DATE first = 0;
    DATE second = 0;
};

/// The heart beats logged with an aiming, in order.
std::vector<HeartBeatTimes> ReadHeartBeats(IAimingAttr* attributes);

/// 0 when `seconds` (relative to the shot) lies from a beat's start up to, not including, its beat time, else 1.
/// The beat time is the second time; the start is the first time, or when that is 0 the beat time less a third of
/// the interval since the previous beat (a first beat without a first time has no start).
int BeatPhaseAt(std::span<const HeartBeatTimes> beats, DATE shotTime, double seconds);

/// The pulse of the first reading later than shotTime + seconds, else of the last; nothing without readings.
std::optional<long> PulseRateAt(const CTalvoData& data, DATE shotTime, double seconds);

/// The data index of the trace's "_trigger" values; nothing when the trace has none.
std::optional<LONG> TriggerDataIndex(IShot* shot);

/// The largest trigger value over the range's first..last samples, 1 when it is negative (or there is none).
LONG LargestTriggerValue(IRange* range, LONG dataIndex);

/// The visible part of the face, in millimetres from the centre.
struct VisibleArea {
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;
};

/// The first index from the range's first to its last whose point is valid and lies inside the area, edges
/// included; nothing when there is none.
std::optional<LONG> FirstVisibleIndex(IRange* range, const VisibleArea& area);

} // namespace talvodesk
