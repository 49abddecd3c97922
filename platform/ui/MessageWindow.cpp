#include "platform/ui/MessageWindow.h"

#include <QMetaObject>
#include <QTimer>

#include <utility>

namespace platform::ui {

MessageWindow::~MessageWindow()
{
    m_ownerThread.assertOwnerThread();
    // ~QObject drops the queued invocations and deletes the timers.
}

void MessageWindow::setHandler(UINT message, MessageHandler handler)
{
    m_ownerThread.assertOwnerThread();
    if (handler) {
        m_handlers[message] = std::move(handler);
    } else {
        m_handlers.erase(message);
    }
}

void MessageWindow::setTimerHandler(TimerHandler handler)
{
    m_ownerThread.assertOwnerThread();
    m_timerHandler = std::move(handler);
}

void MessageWindow::post(UINT message, WPARAM wParam, LPARAM lParam)
{
    enqueue(message, wParam, lParam, Delivery::Plain);
}

bool MessageWindow::postOnce(UINT message, WPARAM wParam, LPARAM lParam)
{
    {
        kernel::LockGuard guard(m_pendingMutex);
        if (!m_pendingOnce.insert(message).second) {
            return false;
        }
    }
    enqueue(message, wParam, lParam, Delivery::Once);
    return true;
}

void MessageWindow::enqueue(UINT message, WPARAM wParam, LPARAM lParam, Delivery delivery)
{
    // Queued to this object: Qt runs it on the owner thread and discards it if the window dies first.
    QMetaObject::invokeMethod(
        this, [this, message, wParam, lParam, delivery] { deliver(message, wParam, lParam, delivery); },
        Qt::QueuedConnection);
}

void MessageWindow::deliver(UINT message, WPARAM wParam, LPARAM lParam, Delivery delivery)
{
    if (delivery == Delivery::Once) {
        kernel::LockGuard guard(m_pendingMutex);
        m_pendingOnce.erase(message);
    }
    const auto found = m_handlers.find(message);
    if (found == m_handlers.end()) {
        return;
    }
    // A copy, because the handler may replace itself or destroy the window; nothing here touches `this` after it.
    const MessageHandler handler = found->second;
    handler(wParam, lParam);
}

void MessageWindow::setTimer(std::uintptr_t timerId, std::chrono::milliseconds interval)
{
    m_ownerThread.assertOwnerThread();
    QTimer*& timer = m_timers[timerId];
    if (!timer) {
        timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [this, timerId] { timerFired(timerId); });
    }
    timer->start(interval);
}

bool MessageWindow::killTimer(std::uintptr_t timerId)
{
    m_ownerThread.assertOwnerThread();
    const auto found = m_timers.find(timerId);
    if (found == m_timers.end()) {
        return false;
    }
    found->second->stop();
    // Later, because this may run inside the timer's own timeout signal.
    found->second->deleteLater();
    m_timers.erase(found);
    return true;
}

void MessageWindow::timerFired(std::uintptr_t timerId)
{
    if (!m_timerHandler) {
        return;
    }
    const TimerHandler handler = m_timerHandler;
    handler(timerId);
}

} // namespace platform::ui
