#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>

#include <chrono>

namespace platform::testing {

/// Runs the owner thread's event loop until done() holds; false when the bound passes first. The bound is only
/// reached when a test fails.
template <typename Predicate> bool pumpUntil(Predicate done, std::chrono::milliseconds bound = std::chrono::seconds(30))
{
    const QDeadlineTimer deadline(bound);
    // Wakes the blocking wait below now and then, so the deadline is seen even when no event comes.
    QTimer wake;
    wake.start(std::chrono::milliseconds(50));
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

} // namespace platform::testing
