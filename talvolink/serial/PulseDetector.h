#pragma once

#include "platform/com/Types.h"

#include <array>
#include <functional>

namespace talvolink {

/// The pulse sensor of model 306: a low-pass filter over the raw values, then a beat detector that finds each
/// heart beat as a rise of the filtered wave well above its recent swing, and a rate over the last five beats.
/// Thread rule: owner (control's) thread.
class PulseDetector {
public:
    struct Events {
        /// A beat: the trough before it and the beat itself, local OLE dates.
        std::function<void(DATE trough, DATE beat)> heartBeat;
        /// Beats per minute, announced when two beats in a row agree on a new value; 0 for no plausible rate.
        std::function<void(LONG rate)> pulseChanged;
    };

    /// One raw value at `sampleRate`, taken at `now`.
    void Step(int value, LONG sampleRate, DATE now, const Events& events);

private:
    void detect(int a, LONG sampleRate, DATE now, const Events& events);

    // Filter histories: the last two inputs and outputs.
    std::array<double, 2> m_inputs{};
    std::array<double, 2> m_outputs{};

    int m_samples = 0; // since the last beat
    int m_runningMax = 0;
    int m_runningMin = 1023;
    int m_lastMax = 0;
    int m_lastMin = 1023;
    int m_mark = 1023; // where the rise to the next beat is measured from
    int m_refractory = 0;
    int m_previous = 0;
    int m_previousSlope = 0;
    DATE m_troughTime = 0.0;
    DATE m_beatTime = 0.0;
    std::array<int, 4> m_intervals{}; // oldest first
    LONG m_lastComputed = 0;
    LONG m_lastReported = 0;
};

} // namespace talvolink
