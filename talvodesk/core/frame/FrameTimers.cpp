#include "talvodesk/core/frame/FrameTimers.h"

#include "platform/time/Clock.h"

#include <cassert>

namespace talvodesk {

FrameTimers::Timer& FrameTimers::timer(int id)
{
    assert(id >= 1 && id <= 5 && "the frame has five timers");
    return m_timers[static_cast<std::size_t>(id - 1)];
}

void FrameTimers::start(int id, std::chrono::milliseconds period)
{
    Timer& t = timer(id);
    t.period = period;
    t.deadline = m_clock.steadyNow() + period;
    t.running = true;
}

void FrameTimers::kill(int id)
{
    timer(id).running = false;
}

bool FrameTimers::isRunning(int id) const
{
    return m_timers[static_cast<std::size_t>(id - 1)].running;
}

std::vector<int> FrameTimers::due()
{
    const auto now = m_clock.steadyNow();
    std::vector<int> fired;
    for (std::size_t i = 0; i < m_timers.size(); ++i) {
        Timer& t = m_timers[i];
        if (t.running && t.deadline <= now) {
            fired.push_back(static_cast<int>(i + 1));
            // A late tick is not repeated for every period missed, as a window timer would not.
            t.deadline = now + t.period;
        }
    }
    return fired;
}

std::optional<std::chrono::milliseconds> FrameTimers::nextDeadline() const
{
    std::optional<std::chrono::milliseconds> earliest;
    for (const Timer& t : m_timers) {
        if (t.running && (!earliest || t.deadline < *earliest)) {
            earliest = t.deadline;
        }
    }
    return earliest;
}

} // namespace talvodesk
