#pragma once

#include "platform/com/ComPtr.h"
#include "platform/com/Types.h"

#include <string_view>
#include <vector>

struct IShotCollection;

namespace talvodesk {

class CTalvoData;
class RangeFrame;
class RangePacing;
class RangeSteps;

namespace internal {
struct RangeCondition;
struct RangeEffect;
struct RangeStep;
struct RangeUntil;
} // namespace internal

/// The range officer of the events with timed range commands (event codes 4 to 11): prompts, signal light, shooting
/// window, shot counting, missed shots, the wait for Continue between the series, and for codes 4 to 6 the end of
/// the practice. The frame owns it beside the steps and the pacing it drives, implements RangeFrame for it, and
/// wires it in three places:
///
///   practice start, with the other practice fields:  Begin();
///   the pacing's step message (WM_USER + 100):       OnRangeCommandStep();
///   the Continue command:                            the steps' chooseContinue().
///
/// Each step message runs one pass: the steps are tried in ascending order, each when the state equals its number,
/// so a step that moves on lets the next one run in the same pass; a step that moves back repeats the pass at once.
/// States 0 (ended) and above 11 do nothing, and so does every other event code.
/// Owner thread only (the frame's).
class RangeSequence {
public:
    RangeSequence(RangeSteps& steps, RangePacing& pacing, CTalvoData& data, RangeFrame& frame);

    /// A new practice: the first step comes next, no shot counted.
    void Begin();
    /// The pacing's step message: one pass of the document's event, unless the pacing is disarmed.
    void OnRangeCommandStep();

private:
    enum class Series { Sighting, Match };

    void run(const internal::RangeStep& step);
    bool isOver(const internal::RangeUntil& until);
    bool holds(const internal::RangeCondition& condition);
    /// False when the practice has ended, which leaves the step's remaining effects undone.
    bool apply(const internal::RangeEffect& effect);
    /// The calibration dialog, with the pacing disarmed while it is open. False when the practice stopped meanwhile,
    /// which ends the sequence.
    bool calibrate();
    void setWindow(bool open);
    platform::com::ComPtr<IShotCollection> shots(Series series);
    LONG count(Series series);
    /// Books the shots the counter expects and the series lacks as missed shots, each made the current shot.
    void bookMissing(Series series);

    RangeSteps& m_steps;
    RangePacing& m_pacing;
    CTalvoData& m_data;
    RangeFrame& m_frame;
    /// By event: the total of match shots expected, or the number of the current shot.
    LONG m_counter = 0;
};

/// Every prompt the range commands of any event say, each once, in the order first said.
std::vector<std::u16string_view> RangePrompts();

} // namespace talvodesk
