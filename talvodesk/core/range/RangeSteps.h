#pragma once

#include "platform/com/Types.h"
#include "platform/kernel/OwnerThread.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

struct IShotCollection;

namespace platform::time {
class Clock;
}

namespace talvodesk {

/// The state of the range-command sequence and the waits a step uses to decide whether it may move on: time
/// elapsed, shots made, Continue chosen. Each wait measures from the first time the step asked, shows what is
/// left in the status pane and clears it when done. Thread rule: owner thread only (the frame's).
class RangeSteps {
public:
    /// Shows a text in the frame's first status pane; empty clears it.
    using StatusPane = std::function<void(const std::u16string& text)>;

    /// `texts` gives the status texts in the current language.
    RangeSteps(platform::time::Clock& clock, std::function<std::u16string_view(std::uint32_t id)> texts,
               StatusPane statusPane);

    int rangeState() const { return m_rangeState; }
    /// The next state for a negative argument, else the argument; every step measures its own time again and
    /// waits for a Continue of its own.
    void NextRangeState(int state);

    bool WaitElapsed(DWORD ms);
    /// Done when the time has passed or the collection holds at least `shots` shots (a null one holds none).
    bool WaitShotsOrTime(DWORD ms, LONG shots, IShotCollection* collection);
    /// False on the first call of a step, which starts the waiting; then true once Continue was chosen.
    bool WaitContinue();
    /// The Continue command. Taken only while a step waits for it; false otherwise.
    bool chooseContinue();
    bool isWaitingForContinue() const { return m_waitingForContinue; }

private:
    /// Milliseconds since the step's first check, which starts the step's clock. A 32-bit tick count, so its wrap
    /// does no harm.
    std::uint32_t elapsed();
    /// Clears the status pane when done, else shows what is left.
    bool finish(bool done, const std::u16string& left);
    /// The same, and a finished wait starts the step's clock again at its next check.
    bool finishTimedWait(bool done, const std::u16string& left);
    std::u16string text(std::uint32_t id) const;

    platform::kernel::OwnerThread m_ownerThread;
    platform::time::Clock& m_clock;
    const std::function<std::u16string_view(std::uint32_t id)> m_texts;
    const StatusPane m_statusPane;
    int m_rangeState = 0;
    std::optional<std::uint32_t> m_stepStart;
    bool m_waitingForContinue = false;
    bool m_continueChosen = false;
};

} // namespace talvodesk
