#include "talvodesk/core/range/RangeSequence.h"

#include "talvodesk/core/document/TalvoData.h"
#include "talvodesk/core/range/RangeFrame.h"
#include "talvodesk/core/range/RangePacing.h"
#include "talvodesk/core/range/RangeSteps.h"
#include "talvodesk/core/range/internal/RangeScripts.h"

#include "interfaces/talvodata/IShotCollection.h"
#include "interfaces/talvolink/ITalvoDevice.h"

#include <algorithm>

namespace talvodesk {

using namespace internal;
using platform::com::ComPtr;

namespace {

constexpr LONG kSubDevice = 1;

} // namespace

RangeSequence::RangeSequence(RangeSteps& steps, RangePacing& pacing, CTalvoData& data, RangeFrame& frame)
    : m_steps(steps), m_pacing(pacing), m_data(data), m_frame(frame)
{
}

void RangeSequence::Begin()
{
    m_steps.NextRangeState(1);
    m_counter = 0;
}

void RangeSequence::OnRangeCommandStep()
{
    if (!m_pacing.takeStep()) {
        return;
    }
    const std::vector<RangeStep>& steps = rangeStepsOf(m_data.GetEventCode());
    for (bool again = true; again;) {
        again = false;
        for (const RangeStep& step : steps) {
            if (m_steps.rangeState() != step.state) {
                continue;
            }
            run(step);
            const int state = m_steps.rangeState();
            if (state > 0 && state < step.state) {
                again = true; // A step back runs the whole pass again at once.
                break;
            }
        }
    }
}

void RangeSequence::run(const RangeStep& step)
{
    if (!isOver(step.until)) {
        return;
    }
    const RangeOutcome& outcome = holds(step.condition) ? step.then : step.otherwise;
    // The move comes first, so an effect that ends the sequence has the last word.
    m_steps.NextRangeState(outcome.target);
    for (const RangeEffect& effect : outcome.effects) {
        if (!apply(effect)) {
            return;
        }
    }
}

bool RangeSequence::isOver(const RangeUntil& until)
{
    switch (until.wait) {
    case RangeWait::None:
        return true;
    case RangeWait::Elapsed:
        return m_steps.WaitElapsed(until.ms);
    case RangeWait::SightingShots:
        return m_steps.WaitShotsOrTime(until.ms, until.shots, shots(Series::Sighting).get());
    case RangeWait::MatchShots:
        return m_steps.WaitShotsOrTime(until.ms, m_counter, shots(Series::Match).get());
    case RangeWait::Continue:
        return m_steps.WaitContinue();
    }
    return false;
}

bool RangeSequence::holds(const RangeCondition& condition)
{
    switch (condition.test) {
    case RangeTest::Always:
        return true;
    case RangeTest::CounterIs:
        return m_counter == condition.value;
    case RangeTest::CounterMultipleOf:
        return m_counter % condition.value == 0;
    case RangeTest::MatchShotsBelow:
        return count(Series::Match) < condition.value;
    }
    return false;
}

bool RangeSequence::apply(const RangeEffect& effect)
{
    switch (effect.what) {
    case RangeDo::LightOff:
        m_frame.lightOff();
        break;
    case RangeDo::LightRed:
        m_frame.lightRed();
        break;
    case RangeDo::LightGreen:
        m_frame.lightGreen();
        break;
    case RangeDo::WindowClosed:
        setWindow(false);
        break;
    case RangeDo::WindowOpen:
        setWindow(true);
        break;
    case RangeDo::Calibrate:
        return calibrate();
    case RangeDo::MatchMode:
        m_frame.enterMatchMode();
        break;
    case RangeDo::Prompt:
        m_frame.playPrompt(effect.prompt);
        break;
    case RangeDo::BookSighting:
        bookMissing(Series::Sighting);
        break;
    case RangeDo::BookMatch:
        bookMissing(Series::Match);
        break;
    case RangeDo::SetCounter:
        m_counter = effect.value;
        break;
    case RangeDo::AddCounter:
        m_counter += effect.value;
        break;
    case RangeDo::StopPractice:
        m_frame.stopPractice();
        return false;
    }
    return true;
}

bool RangeSequence::calibrate()
{
    // No step may run while the dialog's own message loop turns.
    m_pacing.setArmed(false);
    m_frame.calibrate();
    if (!m_frame.rangeDevice()) {
        m_steps.NextRangeState(0);
        return false;
    }
    m_pacing.setArmed(true);
    return true;
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

std::vector<std::u16string_view> RangePrompts()
{
    constexpr long kFirstCode = 4;
    constexpr long kLastCode = 11;
    std::vector<std::u16string_view> prompts;
    for (long code = kFirstCode; code <= kLastCode; ++code) {
        for (const RangeStep& step : rangeStepsOf(code)) {
            for (const RangeOutcome* outcome : {&step.then, &step.otherwise}) {
                for (const RangeEffect& effect : outcome->effects) {
                    if (effect.what == RangeDo::Prompt &&
                        std::find(prompts.begin(), prompts.end(), effect.prompt) == prompts.end()) {
                        prompts.push_back(effect.prompt);
                    }
                }
            }
        }
    }
    return prompts;
}

} // namespace talvodesk
