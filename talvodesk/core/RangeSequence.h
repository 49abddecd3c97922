#pragma once

#include "platform/com/ComPtr.h"
#include "platform/com/Types.h"

#include <string_view>

struct IShotCollection;

namespace talvodesk {

class CTalvoData;
class RangeFrame;
class RangePacing;
class RangeSteps;

/// The range officer of the events with timed range commands (event codes 4 to 11): prompts, signal light, shooting
/// window, shot counting, missed shots, the wait for Continue between the series, and for codes 4 to 6 the end of
/// the practice. The frame owns it beside the steps and the pacing it drives, and wires it in three places:
///
///   practice start (after the pacing started): Begin();
///   the pacing's step message:                  OnRangeCommandStep();
///   the Continue command:                       the steps' chooseContinue().
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

    void runPass(long code);
    void runStep(long code, int state);
    void stepSP1(int state);
    /// "SP2" and "SPF": one shot per 3.2 s window.
    void stepSP2(long code, int state);
    void stepN4TL3(int state);
    void stepN4TL15(int state);
    void stepMRF(DWORD matchWindow, int state);

    // Steps several events share; each but prepare moves on when it is done.
    /// Light off, window closed, calibration with the pacing disarmed, then the prompt. False when the practice
    /// stopped meanwhile, which ends the sequence.
    bool prepare(std::u16string_view prompt);
    void redAfter(DWORD ms, std::u16string_view prompt);
    void greenAfter(DWORD ms, std::u16string_view prompt);
    void matchAfterContinue(std::u16string_view prompt);
    /// Window closed, light off, the prompt; a match series then books its missing shots.
    void endSeries(Series series, std::u16string_view prompt);
    /// The end of a one-shot window: closed and the missing shot booked; then after the series' last shot light off
    /// and the prompt, else light red and the next shot's window from `windowStep` again.
    void endShot(Series series, bool lastOfSeries, std::u16string_view prompt, int windowStep);
    void finish();

    void setWindow(bool open);
    void play(std::u16string_view prompt);
    void next() { goTo(-1); }
    void goTo(int state);
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

} // namespace talvodesk
