#pragma once

#include "talvodesk/core/program/MessageLoop.h"

#include <QObject>

#include <functional>
#include <vector>

class QEvent;

namespace talvodesk::app {

/// The main loop over Qt's event loop: idle handlers run when the queue is empty, and again after every event but
/// those the idle rule leaves out (paint, mouse moves, timers). Main thread only.
class CMessageLoop2 final : public QObject, public talvodesk::CMessageLoop2 {
    Q_OBJECT
public:
    /// An idle handler gets the count of calls since idling began and answers whether it wants more.
    void addIdleHandler(std::function<bool(int count)> handler);
    /// Runs until Quit; returns Quit's code.
    int Run();
    /// Ends the running loop with the code; nothing when none runs. Main thread (post to it from others).
    static void Quit(int code);

    /// The message number by which the idle rule knows an event.
    static std::uint32_t messageOf(const QEvent& event);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void scheduleIdle();
    void runIdle();

    std::vector<std::function<bool(int)>> m_idleHandlers;
    bool m_idle = true;
    bool m_scheduled = false;
    int m_count = 0;
};

} // namespace talvodesk::app
