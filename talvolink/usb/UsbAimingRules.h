#pragma once

#include "platform/com/Types.h"

#include <array>
#include <chrono>
#include <cstddef>
#include <optional>
#include <vector>

namespace talvolink {

/// The rules that the USB sensor models share on top of their aiming session.

/// The heart rate from the last four beats: a rate (beats per minute, truncated) when every interval lies within
/// 200..2000 ms and within half the mean of the mean; only a rate that differs from the last one is reported.
/// Thread rule: owner thread.
class PulseRate {
public:
    std::optional<LONG> onBeat(DATE beat);
    void reset() { *this = PulseRate(); }

private:
    std::array<DATE, 4> m_beats{};
    std::size_t m_count = 0;
    LONG m_lastRate = 0;
};

/// A trigger sensor's filtered value as a record carries it: value / 4 within 0..1023.
std::int16_t TriggerValue(double sensorValue);

/// The trigger values of one batch of records, announced once with the batch's points.
/// Thread rule: owner thread.
class TriggerBatch {
public:
    void begin(std::size_t records);
    void append(std::int16_t value) { m_values.push_back(value); }
    /// The count to announce with Trigger, 0 for none; the values stay readable until the next batch.
    LONG takeCount();
    bool value(LONG index, LONG* value) const;
    void clear() { *this = TriggerBatch(); }

private:
    std::vector<std::int16_t> m_values;
    bool m_announced = false;
};

/// Shot detection after a shot: the first records are dead (the sensor shakes with the recoil), then the piezo may
/// fire again once the trace holds more than five points.
/// Thread rule: owner thread.
class ShotDetection {
public:
    static constexpr LONG kMinTracePoints = 5;

    void setDeadRecords(int records) { m_deadRecords = records; }
    int deadRecords() const { return m_deadRecords; }
    bool armed() const { return m_armed; }
    void arm() { m_armed = true; }
    /// After a shot: the next dead records only add their points.
    void disarm()
    {
        m_armed = false;
        m_since = 0;
    }
    /// A valid record while disarmed: counts it and arms after the dead records.
    void countDead()
    {
        if (++m_since >= m_deadRecords) {
            m_armed = true;
        }
    }
    /// A point was added while armed: fire when the piezo reaches the sensitivity on a trace of over five points.
    bool fires(LONG piezo, LONG sensitivity, LONG tracePoints) const
    {
        return m_armed && piezo >= sensitivity && tracePoints > kMinTracePoints;
    }

private:
    int m_deadRecords = 4;
    int m_since = 0;
    bool m_armed = false;
};

/// When a wireless or image sensor may start the next aiming: after an aiming without a shot at once, after a shot
/// only once `pause` has passed since the last activity (a record that may not start renews the activity).
/// Thread rule: owner thread.
class ActivityClock {
public:
    static constexpr std::chrono::milliseconds kRestartPause{500};

    void renew(std::chrono::milliseconds now) { m_last = now; }
    std::chrono::milliseconds sinceActivity(std::chrono::milliseconds now) const { return now - m_last; }
    /// Renews the activity when it answers false.
    bool mayStart(bool lastAimingHadShot, std::chrono::milliseconds now);

private:
    std::chrono::milliseconds m_last{0};
};

} // namespace talvolink
