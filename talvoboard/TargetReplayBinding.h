#pragma once

#include "Replay.h"
#include "TargetAccess.h"

#include "platform/time/Clock.h"

namespace talvoboard {

/// Connects the replay to the control: its display switches, its window and its events.
/// Thread rule: owner (user-interface) thread only.
class TargetReplayBinding final : public ReplayView {
public:
    explicit TargetReplayBinding(TargetAccess access);

    Replay& replay() { return m_replay; }
    const Replay& replay() const { return m_replay; }

    bool updatesEnabled() const override;
    bool displaysReplayMark() const override;
    float headingLength() const override;
    void refresh() override;
    void drawCaption() override;
    void invalidateCaption() override;
    void drawBreachesAndTrace(LONG from, LONG to) override;
    void drawTrace(LONG from, LONG to) override;
    void drawHeading(LONG from, LONG to) override;
    void raise(ReplayEvent event) override;

private:
    TargetAccess m_access;
    platform::time::SystemClock m_clock;
    Replay m_replay{*this, m_clock};
};

} // namespace talvoboard
