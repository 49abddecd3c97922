#include "talvodesk/core/RangeSequence.h"

#include "talvodesk/core/RangeFrame.h"
#include "talvodesk/core/RangePacing.h"
#include "talvodesk/core/RangeSteps.h"
#include "talvodesk/core/TalvoData.h"

#include "interfaces/talvodata/IShotCollection.h"
#include "interfaces/talvolink/ITalvoDevice.h"

namespace talvodesk {

using platform::com::ComPtr;

namespace {

constexpr long kSP1 = 4;
constexpr long kSP2 = 5;
constexpr long kSPF = 6;
constexpr long kN4TL3 = 7;
constexpr long kN4TL15 = 8;
constexpr long kMRF10 = 9;
constexpr long kMRF8 = 10;
constexpr long kMRF6 = 11;

constexpr int kLastStep = 11;
constexpr LONG kSubDevice = 1;

constexpr std::u16string_view kNoPrompt;
constexpr std::u16string_view kLoad = u"Load";
constexpr std::u16string_view kAttention = u"Attention";
constexpr std::u16string_view kUnload = u"Unload";
constexpr std::u16string_view kBeepStart = u"beep-start";
constexpr std::u16string_view kBeepStop = u"beep-stop";
constexpr std::u16string_view kSightingLoad = u"For the sighting series - load";
// The recording's file name is spelt so.
constexpr std::u16string_view kFirstMatchLoad = u"For the first competion series - load";
constexpr std::u16string_view kNextMatchLoad = u"For the next competition series - load";

} // namespace

RangeSequence::RangeSequence(RangeSteps& steps, RangePacing& pacing, CTalvoData& data, RangeFrame& frame)
    : m_steps(steps), m_pacing(pacing), m_data(data), m_frame(frame)
{
}

void RangeSequence::Begin()
{
    goTo(1);
    m_counter = 0;
}

void RangeSequence::OnRangeCommandStep()
{
    if (m_pacing.takeStep()) {
        runPass(m_data.GetEventCode());
    }
}

void RangeSequence::runPass(long code)
{
    for (int step = 1; step <= kLastStep; ++step) {
        if (m_steps.rangeState() != step) {
            continue;
        }
        runStep(code, step);
        const int state = m_steps.rangeState();
        if (state > 0 && state < step) {
            step = 0; // A step back runs the whole pass again at once.
        }
    }
}

void RangeSequence::runStep(long code, int state)
{
    switch (code) {
    case kSP1:
        stepSP1(state);
        break;
    case kSP2:
    case kSPF:
        stepSP2(code, state);
        break;
    case kN4TL3:
        stepN4TL3(state);
        break;
    case kN4TL15:
        stepN4TL15(state);
        break;
    case kMRF10:
        stepMRF(10000, state);
        break;
    case kMRF8:
        stepMRF(8000, state);
        break;
    case kMRF6:
        stepMRF(6000, state);
        break;
    default:
        break;
    }
}

void RangeSequence::stepSP1(int state)
{
    switch (state) {
    case 1:
        if (prepare(kLoad)) {
            next();
        }
        break;
    case 2:
    case 7:
        redAfter(5000, kAttention);
        break;
    case 3:
    case 8:
        greenAfter(7000, kNoPrompt);
        break;
    case 4:
        if (m_steps.WaitShotsOrTime(300000, 5, shots(Series::Sighting).get())) {
            endSeries(Series::Sighting, kUnload);
        }
        break;
    case 5:
        m_counter = 5;
        next();
        break;
    case 6:
        matchAfterContinue(kLoad);
        break;
    case 9:
        if (m_steps.WaitShotsOrTime(300000, m_counter, shots(Series::Match).get())) {
            endSeries(Series::Match, kUnload);
        }
        break;
    case 10:
        if (count(Series::Match) < 30) {
            m_counter += 5;
            goTo(6);
        } else {
            next();
        }
        break;
    case 11:
        finish();
        break;
    default:
        break;
    }
}

void RangeSequence::stepSP2(long code, int state)
{
    const bool final = code == kSPF;
    switch (state) {
    case 1:
        if (prepare(final ? kSightingLoad : kLoad)) {
            m_counter = 1;
            next();
        }
        break;
    case 2:
    case 7:
        redAfter(5000, kAttention);
        break;
    case 3:
    case 8:
        greenAfter(7000, kNoPrompt);
        break;
    case 4:
        if (m_steps.WaitElapsed(3200)) {
            endShot(Series::Sighting, m_counter == 5, kUnload, 3);
        }
        break;
    case 5:
        m_counter = 1;
        next();
        break;
    case 6:
        matchAfterContinue(!final ? kLoad : m_counter == 1 ? kFirstMatchLoad : kNextMatchLoad);
        break;
    case 9:
        if (m_steps.WaitElapsed(3200)) {
            endShot(Series::Match, m_counter % 5 == 0, kUnload, 8);
        }
        break;
    case 10:
        if (m_counter != (final ? 10 : 30)) {
            ++m_counter;
            goTo(6);
        } else {
            next();
        }
        break;
    case 11:
        finish();
        break;
    default:
        break;
    }
}

void RangeSequence::stepN4TL3(int state)
{
    switch (state) {
    case 1:
        if (prepare(kNoPrompt)) {
            m_counter = 1;
            next();
        }
        break;
    case 2:
        redAfter(5000, kNoPrompt);
        break;
    case 3:
        greenAfter(7000, kNoPrompt);
        break;
    case 4:
        if (m_steps.WaitElapsed(3000)) {
            endShot(Series::Sighting, m_counter == 4, kNoPrompt, 3);
        }
        break;
    case 5:
        m_counter = 1;
        next();
        break;
    case 6:
        matchAfterContinue(kNoPrompt);
        break;
    case 7:
        redAfter(3000, kNoPrompt);
        break;
    case 8:
        greenAfter(3000, kNoPrompt);
        break;
    case 9:
        if (m_steps.WaitElapsed(3000)) {
            endShot(Series::Match, m_counter % 4 == 0, kNoPrompt, 8);
        }
        break;
    case 10:
        ++m_counter;
        goTo(6);
        break;
    default:
        break;
    }
}

void RangeSequence::stepN4TL15(int state)
{
    switch (state) {
    case 1:
        if (prepare(kNoPrompt)) {
            next();
        }
        break;
    case 2:
        redAfter(5000, kAttention);
        break;
    case 3:
    case 8:
        greenAfter(7000, kNoPrompt);
        break;
    case 4:
        if (m_steps.WaitShotsOrTime(15000, 4, shots(Series::Sighting).get())) {
            endSeries(Series::Sighting, kNoPrompt);
        }
        break;
    case 5:
        m_counter = 4;
        next();
        break;
    case 6:
        matchAfterContinue(kNoPrompt);
        break;
    case 7:
        redAfter(5000, kNoPrompt);
        break;
    case 9:
        if (m_steps.WaitShotsOrTime(15000, m_counter, shots(Series::Match).get())) {
            endSeries(Series::Match, kNoPrompt);
        }
        break;
    case 10:
        m_counter += 4;
        goTo(6);
        break;
    default:
        break;
    }
}

void RangeSequence::stepMRF(DWORD matchWindow, int state)
{
    switch (state) {
    case 1:
        if (prepare(kNoPrompt)) {
            next();
        }
        break;
    case 2:
        redAfter(5000, kNoPrompt);
        break;
    case 3:
        greenAfter(7000, kNoPrompt);
        break;
    case 4:
        if (m_steps.WaitShotsOrTime(15000, 5, shots(Series::Sighting).get())) {
            endSeries(Series::Sighting, kNoPrompt);
        }
        break;
    case 5:
        m_counter = 5;
        next();
        break;
    case 6:
        matchAfterContinue(kNoPrompt);
        break;
    case 7:
        redAfter(5000, kAttention);
        break;
    case 8:
        greenAfter(7000, kBeepStart);
        break;
    case 9:
        if (m_steps.WaitShotsOrTime(matchWindow, m_counter, shots(Series::Match).get())) {
            setWindow(false);
            m_frame.lightRed();
            play(kBeepStop);
            bookMissing(Series::Match);
            next();
        }
        break;
    case 10:
        redAfter(7000, kUnload);
        break;
    case 11:
        m_counter += 5;
        goTo(6);
        break;
    default:
        break;
    }
}

bool RangeSequence::prepare(std::u16string_view prompt)
{
    m_frame.lightOff();
    setWindow(false);
    // No step may run while the dialog's own message loop turns.
    m_pacing.setArmed(false);
    m_frame.calibrate();
    if (!m_frame.rangeDevice()) {
        goTo(0); // The practice stopped while the dialog was open.
        return false;
    }
    m_pacing.setArmed(true);
    play(prompt);
    return true;
}

void RangeSequence::redAfter(DWORD ms, std::u16string_view prompt)
{
    if (m_steps.WaitElapsed(ms)) {
        play(prompt);
        m_frame.lightRed();
        next();
    }
}

void RangeSequence::greenAfter(DWORD ms, std::u16string_view prompt)
{
    if (m_steps.WaitElapsed(ms)) {
        play(prompt);
        m_frame.lightGreen();
        setWindow(true);
        next();
    }
}

void RangeSequence::matchAfterContinue(std::u16string_view prompt)
{
    if (m_steps.WaitContinue()) {
        m_frame.enterMatchMode();
        play(prompt);
        next();
    }
}

void RangeSequence::endSeries(Series series, std::u16string_view prompt)
{
    setWindow(false);
    m_frame.lightOff();
    play(prompt);
    if (series == Series::Match) {
        bookMissing(series);
    }
    next();
}

void RangeSequence::endShot(Series series, bool lastOfSeries, std::u16string_view prompt, int windowStep)
{
    setWindow(false);
    bookMissing(series);
    if (lastOfSeries) {
        m_frame.lightOff();
        play(prompt);
        next();
    } else {
        m_frame.lightRed();
        ++m_counter;
        goTo(windowStep);
    }
}

void RangeSequence::finish()
{
    goTo(0);
    m_frame.stopPractice();
}

void RangeSequence::setWindow(bool open)
{
    if (m_frame.isShootingWindowOpen() == open) {
        return;
    }
    // The aiming under way belongs to the side of the window it began on.
    if (ITalvoDevice* device = m_frame.rangeDevice()) {
        (void)device->ConcludeCurrentAiming(kSubDevice); // A device without an aiming under way has nothing to end.
    }
    m_frame.setShootingWindowOpen(open);
}

void RangeSequence::play(std::u16string_view prompt)
{
    if (!prompt.empty()) {
        m_frame.playPrompt(prompt);
    }
}

void RangeSequence::goTo(int state)
{
    m_steps.NextRangeState(state);
}

ComPtr<IShotCollection> RangeSequence::shots(Series series)
{
    ComPtr<IShotCollection> collection;
    const bool found = series == Series::Match ? m_data.GetMatchShots(collection) : m_data.GetSightingShots(collection);
    return found ? collection : ComPtr<IShotCollection>();
}

LONG RangeSequence::count(Series series)
{
    const ComPtr<IShotCollection> collection = shots(series);
    LONG shots = 0;
    if (!collection || FAILED(collection->get_Count(&shots))) {
        return 0;
    }
    return shots;
}

void RangeSequence::bookMissing(Series series)
{
    for (LONG missing = m_counter - count(series); missing > 0; --missing) {
        ComPtr<IShot> shot;
        if (!m_data.AddMissedShot(series == Series::Match, shot)) {
            return;
        }
        (void)m_data.SetCurrentShot(shot.get()); // False only when it is current already.
    }
}

} // namespace talvodesk
