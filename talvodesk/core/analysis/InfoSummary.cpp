#include "talvodesk/core/analysis/InfoSummary.h"

#include "talvodesk/core/analysis/ShotStatistics.h"
#include "talvodesk/core/document/EventCodes.h"
#include "talvodesk/core/document/TalvoData.h"

#include "interfaces/talvodata/IAimingAttr.h"
#include "interfaces/talvodata/IEventParams.h"
#include "interfaces/talvodata/IRange.h"
#include "interfaces/talvodata/IShot.h"
#include "interfaces/talvodata/ITargetParams.h"
#include "platform/com/Bstr.h"
#include "platform/com/Variant.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <optional>
#include <vector>

namespace talvodesk {

using platform::com::Bstr;
using platform::com::ComPtr;

namespace {

/// The steadiness radius of each face: half of ring 10 widened by the calibre; a face without ring 10 takes the
/// event's "_steadiness_diam".
class SteadinessRadius {
public:
    SteadinessRadius(IEventParams& event, float caliber) : m_event(event), m_caliber(caliber) {}

    float operator()(long subTarget)
    {
        const auto found = m_radius.find(subTarget);
        if (found != m_radius.end()) {
            return found->second;
        }
        float diameter = 0;
        ComPtr<ITargetParams> face;
        if (SUCCEEDED(m_event.get_Target(subTarget, face.put())) && face) {
            (void)face->get_Ring(10, &diameter); // An unreadable ring counts as missing.
        }
        if (diameter == 0) {
            platform::com::Variant value;
            if (SUCCEEDED(m_event.get_Value(Bstr("_steadiness_diam").get(), value.put())) &&
                SUCCEEDED(value.changeType(VT_R4))) {
                diameter = value.get().fltVal;
            }
        }
        const float radius = (diameter + m_caliber) * 0.5F;
        m_radius.emplace(subTarget, radius);
        return radius;
    }

private:
    IEventParams& m_event;
    float m_caliber;
    std::map<long, float> m_radius;
};

struct SideReading {
    std::vector<SummaryShot> shots;
    SummarySideInput input;
};

/// Reads a side's shots; nothing when its collections cannot be had. Unreadable fields of a shot count as 0.
std::optional<SideReading> readSide(CTalvoData& data, bool model, IEventParams& event, bool biathlon)
{
    ComPtr<IShotCollection> shots;
    ComPtr<IAimingCollection> aimings;
    const bool haveShots = model ? data.GetModelShots(shots) : data.GetMatchShots(shots);
    const bool haveAimings = model ? data.GetModelAimings(aimings) : data.GetMatchAimings(aimings);
    if (!haveShots || !haveAimings || !shots || !aimings) {
        return std::nullopt;
    }
    LONG count = 0;
    (void)shots->get_Count(&count); // An unreadable count reads as no shots.
    SideReading side;
    side.input.timesValid = model ? data.HasOrderedModelShotTimes() : data.HasOrderedShotTimes();
    if (biathlon) {
        side.input.seriesIntervalStability = ComputeSeriesShotIntervals(*aimings, data.IncludeHidden());
    }
    float caliber = 0;
    (void)event.get_Caliber(&caliber);
    SteadinessRadius radius(event, caliber);
    const float controlInterval = data.ControlInterval();
    const LONG fCoefficient = data.FCoefficient();
    side.shots.reserve(static_cast<std::size_t>(std::max<LONG>(count, 0)));
    for (LONG i = 1; i <= count; ++i) {
        ComPtr<IShot> shot;
        if (FAILED(shots->get_Item(i, shot.put())) || !shot) {
            continue;
        }
        SummaryShot read;
        VARIANT_BOOL missed = VARIANT_FALSE;
        (void)shot->get_Missed(&missed);
        read.missed = missed == VARIANT_TRUE;
        (void)shot->get_ShotTime(&read.time);
        ComPtr<IAimingAttr> attributes;
        if (SUCCEEDED(shot->get_Attr(attributes.put())) && attributes) {
            LONG subTarget = 1;
            (void)attributes->get_SubTarget(&subTarget);
            read.subTarget = subTarget;
            if (i == 1) {
                (void)attributes->get_EnterTime(&side.input.startDate);
            }
        }
        if (!read.missed) {
            (void)shot->get_Result(&read.result);
            (void)shot->Breach(&read.breachX, &read.breachY);
            ComPtr<IRange> range;
            if (SUCCEEDED(shot->Range(-controlInterval, 0, range.put())) && range) {
                (void)range->get_AveragePointX(&read.averageX);
                (void)range->get_AveragePointY(&read.averageY);
                (void)range->get_Length(&read.length);
                (void)range->get_LengthX(&read.lengthX);
                (void)range->get_LengthY(&read.lengthY);
                float percent = 0;
                if (!biathlon && SUCCEEDED(range->Steadiness(radius(read.subTarget), fCoefficient, 0, 0, &percent))) {
                    read.steadiness = static_cast<int>(percent);
                }
            }
        }
        side.shots.push_back(read);
    }
    return side;
}

} // namespace

namespace {

/// Sums over a side's hits, in collection order, and the hits' points.
struct HitSums {
    double centreX = 0;
    double centreY = 0;
    double averageX = 0;
    double averageY = 0;
    double length = 0;
    double lengthX = 0;
    double lengthY = 0;
    double ratioSum = 0;
    int ratioCount = 0;
    std::int64_t steadinessSum = 0;
    /// The hits' breaches and aiming points, for the spreads.
    std::vector<PlanePoint> breaches;
    std::vector<PlanePoint> aims;

    void add(const SummaryShot& shot, bool biathlon)
    {
        centreX += shot.breachX;
        centreY += shot.breachY;
        averageX += shot.averageX;
        averageY += shot.averageY;
        length += shot.length;
        lengthX += shot.lengthX;
        lengthY += shot.lengthY;
        if (shot.lengthY != 0) {
            ++ratioCount;
            ratioSum += shot.lengthX / (shot.lengthY > 0 ? shot.lengthY : 1.0F);
        }
        if (!biathlon) {
            steadinessSum += shot.steadiness;
        }
        breaches.push_back({shot.breachX, shot.breachY});
        aims.push_back({shot.averageX, shot.averageY});
    }
};

void measureIntervals(std::span<const SummaryShot> shots, SideSummary& s)
{
    for (std::size_t k = 1; k < shots.size(); ++k) {
        const double interval = shots[k].time - shots[k - 1].time;
        if (k == 1 || interval < s.shortestInterval) {
            s.shortestInterval = interval;
        }
        s.longestInterval = std::max(s.longestInterval, interval);
    }
}

/// The means over the hits and the spreads, once all hits are summed.
void averageHits(const HitSums& sums, SideSummary& s)
{
    const std::vector<PlanePoint>& breaches = sums.breaches;
    // Float subtraction keeps order, so the widest pair difference is that of the extremes.
    float widestX = 0;
    float widestY = 0;
    if (breaches.size() > 1) {
        const auto [leftmost, rightmost] = std::minmax_element(
            breaches.begin(), breaches.end(), [](const PlanePoint& a, const PlanePoint& b) { return a.x < b.x; });
        const auto [lowest, highest] = std::minmax_element(
            breaches.begin(), breaches.end(), [](const PlanePoint& a, const PlanePoint& b) { return a.y < b.y; });
        widestX = std::fabs(leftmost->x - rightmost->x);
        widestY = std::fabs(lowest->y - highest->y);
    }
    if (s.hitCount > 0) {
        const double hits = s.hitCount;
        s.centreX = static_cast<float>(sums.centreX / hits);
        s.centreY = static_cast<float>(sums.centreY / hits);
        const double meanX = sums.averageX / hits;
        const double meanY = sums.averageY / hits;
        // One hit has an aiming point too: its distance is its accuracy, never a perfect 0.
        s.accuracy = static_cast<float>(std::sqrt(meanX * meanX + meanY * meanY));
        s.steadiness = static_cast<std::int32_t>(sums.steadinessSum / s.hitCount);
        s.traceLength = static_cast<float>(sums.length / hits);
        s.traceLengthX = static_cast<float>(sums.lengthX / hits);
        s.traceLengthY = static_cast<float>(sums.lengthY / hits);
        if (s.hitCount > 1) {
            s.groupEllipse = widestX / (widestY > 0 ? widestY : 1.0F);
        }
        if (sums.ratioCount > 1) {
            s.traceEllipse = static_cast<float>(sums.ratioSum / sums.ratioCount);
        }
    }
    s.groupSize = std::sqrt(LargestSquaredDistance(breaches));
    s.aimingStability = std::sqrt(LargestSquaredDistance(sums.aims));
}

void measureTimes(std::span<const SummaryShot> shots, const SummarySideInput& side, bool biathlon, SideSummary& s)
{
    s.totalTime = shots.back().time - side.startDate;
    s.averageTime = s.totalTime / s.shotCount;
    if (biathlon) {
        s.intervalStability = side.seriesIntervalStability;
        return;
    }
    std::vector<ShotTime> times;
    times.reserve(shots.size());
    for (const SummaryShot& shot : shots) {
        times.push_back({shot.time, shot.missed});
    }
    s.intervalStability = ComputeCollectionValueStatistics(times);
}

} // namespace

SideSummary ComputeSideSummary(std::span<const SummaryShot> shots, const SummarySideInput& side,
                               const SummaryRules& rules)
{
    SideSummary s;
    s.shotCount = static_cast<std::int32_t>(shots.size());
    if (shots.empty()) {
        return s;
    }
    s.timesValid = side.timesValid;
    s.startDate = side.startDate;
    measureIntervals(shots, s);
    HitSums sums;
    // A hostile event scores in billions: the whole points are summed wide and saturate at the end.
    constexpr float kHuge = 1e12F;
    std::int64_t wholePoints = 0;
    for (const SummaryShot& shot : shots) {
        if (rules.biathlon) {
            ++(shot.subTarget == 1 ? s.standingCount : s.proneCount);
        }
        if (shot.missed) {
            continue;
        }
        ++s.hitCount;
        s.fractionalResult += shot.result;
        wholePoints +=
            std::isfinite(shot.result) ? static_cast<std::int64_t>(std::clamp(shot.result, -kHuge, kHuge)) : 0;
        sums.add(shot, rules.biathlon);
    }
    s.integerResult = static_cast<std::int32_t>(std::clamp<std::int64_t>(
        wholePoints, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
    averageHits(sums, s);
    // The default rounding mode rounds a half to the even thousandth.
    s.averageResult =
        static_cast<float>(std::nearbyint(static_cast<double>(s.fractionalResult) * 1000.0 / s.shotCount) / 1000.0);
    if (!rules.biathlon && !rules.centreGroup && rules.score && s.hitCount > 0) {
        for (const SummaryShot& shot : shots) {
            if (!shot.missed) {
                s.coincidedResult += rules.score(shot.breachX - s.centreX, shot.breachY - s.centreY, shot.subTarget);
            }
        }
    }
    if (s.timesValid) {
        measureTimes(shots, side, rules.biathlon, s);
    }
    return s;
}

void ComputeSummary(CTalvoData& data, InfoSummary& summary, bool documentPart, bool modelPart)
{
    summary.controlInterval = 0;
    if (documentPart) {
        summary.sides[0] = {};
        summary.biathlon = false;
        summary.eventDisplayName.clear();
        summary.eventShortName.clear();
        summary.positionText[0].clear();
    }
    if (modelPart) {
        summary.sides[1] = {};
        summary.positionText[1].clear();
        summary.modelShooterName.clear();
    }
    ComPtr<IEventParams> event;
    if (!data.IsValid() || !data.GetEvent(event) || !event) {
        return;
    }
    summary.controlInterval = data.ControlInterval();
    summary.biathlon = data.GetEventCode() == kBiathlonEventCode;
    SummaryRules rules;
    rules.biathlon = summary.biathlon;
    rules.centreGroup = data.CentreGroup();
    rules.score = [&event](float x, float y, long subTarget) {
        float score = 0;
        (void)event->GetBreachScore(x, y, subTarget, &score); // An unscorable breach counts 0.
        return score;
    };
    for (const int side : {0, 1}) {
        if (!(side == 0 ? documentPart : modelPart)) {
            continue;
        }
        const auto reading = readSide(data, side == 1, *event, summary.biathlon);
        if (!reading) {
            continue;
        }
        if (side == 0) {
            (void)data.GetEventDisplayName(summary.eventDisplayName);
            Bstr shortName;
            if (data.GetEventShortName(shortName)) {
                summary.eventShortName = shortName.view();
            }
            (void)data.GetPositionText(summary.positionText[0]);
        } else {
            (void)data.GetModelPositionText(summary.positionText[1]);
            Bstr shooter;
            if (data.GetModelShooterName(shooter)) {
                summary.modelShooterName = shooter.view();
            }
        }
        summary.sides[side] = ComputeSideSummary(reading->shots, reading->input, rules);
    }
}

} // namespace talvodesk
