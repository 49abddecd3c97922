#pragma once

#include "talvoboard/Replay.h"
#include "talvoboard/TargetAccess.h"
#include "talvoboard/internal/TargetPainter.h"

#include "platform/time/Clock.h"

#include <QObject>

#include <functional>
#include <memory>

class QWidget;

namespace talvoboard {

/// Connects the replay to the control: its display switches, its window and its events.
/// Thread rule: owner (user-interface) thread only.
class TargetReplayBinding final : public ReplayView {
public:
    explicit TargetReplayBinding(TargetAccess access);

    Replay& replay() { return m_replay; }
    const Replay& replay() const { return m_replay; }
    /// The replay as the painter shows it, without the mouse's part.
    TargetOverlay overlay() const;
    /// Stops the replay timer when the control's window goes.
    void attach(QWidget& widget);

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
    /// Draws over the window's current image, with the replay as it is now.
    void drawIncrement(const std::function<void(TargetPainter&)>& draw);

    TargetAccess m_access;
    platform::time::SystemClock m_clock;
    Replay m_replay{*this, m_clock};
    // The receiver of the window's destruction, so the connection ends with the binding.
    std::unique_ptr<QObject> m_windowWatch = std::make_unique<QObject>();
};

} // namespace talvoboard
