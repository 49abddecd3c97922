#include "talvodesk/core/trace/ReplayPosition.h"

#include "talvodesk/core/document/PulseLog.h"
#include "talvodesk/core/document/TalvoData.h"

#include "interfaces/talvodata/IAimingTrace.h"
#include "platform/com/Bstr.h"
#include "platform/com/ComPtr.h"
#include "platform/text/Printf.h"

#include <algorithm>
#include <cstdint>

namespace talvodesk {

using platform::com::Bstr;
using platform::com::ComPtr;

namespace {

constexpr double kSecondsPerDay = 86400.0;

double secondsAfter(DATE time, DATE shotTime)
{
    return (time - shotTime) * kSecondsPerDay;
}

} // namespace

LONG ReplayScrollIndex(ScrollCode code, LONG current, LONG sampleRate, int thumb, LONG first, LONG last)
{
    const LONG line = std::max<LONG>(5, sampleRate / 30);
    const LONG page = sampleRate / 5;
    LONG index = current;
    switch (code) {
    case ScrollCode::LineLeft:
        index = current - line;
        break;
    case ScrollCode::LineRight:
        index = current + line;
        break;
    case ScrollCode::PageLeft:
        index = current - page;
        break;
    case ScrollCode::PageRight:
        index = current + page;
        break;
    case ScrollCode::ThumbTrack:
        // The position travels as the signed high word of the message.
        index = static_cast<std::int16_t>(thumb);
        break;
    case ScrollCode::Left:
        index = first;
        break;
    case ScrollCode::Right:
        index = last;
        break;
    case ScrollCode::Other:
        break;
    }
    return std::clamp(index, first, std::max(first, last));
}

std::u16string ReplaySecondsText(float seconds)
{
    return platform::com::utf8ToUtf16(platform::text::formatC("%-5.2f", static_cast<double>(seconds)));
}

std::vector<HeartBeatTimes> ReadHeartBeats(IAimingAttr* attributes)
{
    std::vector<HeartBeatTimes> beats;
    const long count = GetPulseSampleCount(attributes);
    for (long i = 0; i < count; ++i) {
        HeartBeatTimes beat;
        if (GetPulseMinMax(attributes, i, beat.first, beat.second)) {
            beats.push_back(beat);
        }
    }
    return beats;
}

int BeatPhaseAt(std::span<const HeartBeatTimes> beats, DATE shotTime, double seconds)
{
    std::optional<double> previousBeat;
    for (const HeartBeatTimes& beat : beats) {
        const double beatTime = secondsAfter(beat.second, shotTime);
        std::optional<double> start;
        if (beat.first != 0) {
            start = secondsAfter(beat.first, shotTime);
        } else if (previousBeat) {
            start = beatTime - (beatTime - *previousBeat) / 3.0;
        }
        if (start && seconds >= *start && seconds < beatTime) {
            return 0;
        }
        previousBeat = beatTime;
    }
    return 1;
}

std::optional<long> PulseRateAt(const CTalvoData& data, DATE shotTime, double seconds)
{
    const long count = data.GetPulseCount();
    const DATE moment = shotTime + seconds / kSecondsPerDay;
    std::optional<long> rate;
    for (long i = 0; i < count; ++i) {
        DATE time = 0;
        long pulse = 0;
        if (!data.GetPulseSample(i, time, pulse)) {
            continue;
        }
        rate = pulse;
        if (time > moment) {
            break;
        }
    }
    return rate;
}

std::optional<LONG> TriggerDataIndex(IShot* shot)
{
    ComPtr<IAimingTrace> trace;
    LONG index = -1;
    if (!shot || FAILED(shot->get_Trace(trace.put())) || !trace ||
        FAILED(trace->GetUserData(Bstr("_trigger").get(), &index)) || index < 1) {
        return std::nullopt;
    }
    return index;
}

LONG LargestTriggerValue(IRange* range, LONG dataIndex)
{
    LONG first = 0;
    LONG last = -1;
    if (range) {
        (void)range->get_First(&first); // A range that cannot say has no samples: the loop below is skipped.
        (void)range->get_Last(&last);
    }
    LONG largest = -1;
    for (LONG i = first; i <= last; ++i) {
        LONG value = 0;
        if (SUCCEEDED(range->get_UserData(dataIndex, i, &value))) {
            largest = std::max(largest, value);
        }
    }
    return largest < 0 ? 1 : largest;
}

std::optional<LONG> FirstVisibleIndex(IRange* range, const VisibleArea& area)
{
    LONG first = 0;
    LONG last = -1;
    if (!range || FAILED(range->get_First(&first)) || FAILED(range->get_Last(&last))) {
        return std::nullopt;
    }
    for (LONG i = first; i <= last; ++i) {
        VARIANT_BOOL valid = VARIANT_FALSE;
        float x = 0;
        float y = 0;
        if (FAILED(range->get_ValidCoordinate(i, &valid)) || valid == VARIANT_FALSE || FAILED(range->get_x(i, &x)) ||
            FAILED(range->get_y(i, &y))) {
            continue;
        }
        if (x >= area.left && x <= area.left + area.width && y >= area.top && y <= area.top + area.height) {
            return i;
        }
    }
    return std::nullopt;
}

} // namespace talvodesk
