#pragma once

#include <array>
#include <chrono>
#include <optional>
#include <vector>

namespace platform::time {
class Clock;
}

namespace talvodesk {

/// The frame's five timers. Starting a running timer restarts it from now with the new period (a second shot within
/// 500 ms pushes the spoken result back); each timer fires once per period until killed. The window layer arms one
/// real timer at nextDeadline() and calls due() when it fires; tests drive the clock by hand. Owner thread only.
class FrameTimers {
public:
    static constexpr int kCommandState = 1;
    static constexpr int kReplayAllPause = 2;
    static constexpr int kAfterShot = 3;
    static constexpr int kAutoReplay = 4;
    static constexpr int kSpeakResult = 5;

    explicit FrameTimers(const platform::time::Clock& clock) : m_clock(clock) {}

    void start(int id, std::chrono::milliseconds period);
    void kill(int id);
    bool isRunning(int id) const;

    /// The ids whose deadline has passed, lowest first; each moves on by its period.
    std::vector<int> due();
    /// The earliest deadline of a running timer.
    std::optional<std::chrono::milliseconds> nextDeadline() const;

private:
    struct Timer {
        std::chrono::milliseconds period{0};
        std::chrono::milliseconds deadline{0};
        bool running = false;
    };
    Timer& timer(int id);

    const platform::time::Clock& m_clock;
    std::array<Timer, 5> m_timers{};
};

} // namespace talvodesk
