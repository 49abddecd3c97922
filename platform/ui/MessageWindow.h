#pragma once

#include "platform/com/Types.h"
#include "platform/kernel/Mutex.h"
#include "platform/kernel/OwnerThread.h"

#include <QObject>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <set>

class QTimer;

namespace platform::ui {

/// The hidden window that receives work from other threads: posted messages run their handlers on the owner thread,
/// in posting order for each posting thread, and window timers fire there too.
/// Thread rule: owner thread only, except post() and postOnce(), which any thread may call while the window lives.
/// Owners stop their posting threads before destroying the window; messages still queued then are dropped.
class MessageWindow : public QObject {
public:
    using MessageHandler = std::function<void(WPARAM wParam, LPARAM lParam)>;
    using TimerHandler = std::function<void(std::uintptr_t timerId)>;

    MessageWindow() = default;
    ~MessageWindow() override;

    /// Replaces the handler of one message number; an empty handler removes it. Messages without a handler are
    /// dropped when they arrive. A handler may replace itself or destroy the window.
    void setHandler(UINT message, MessageHandler handler);
    void setTimerHandler(TimerHandler handler);

    void post(UINT message, WPARAM wParam, LPARAM lParam);
    /// Posts unless an earlier postOnce of the same message is still queued; false when coalesced into that one.
    /// The pending mark is cleared as the message is taken, before its handler runs, so a post made while the handler
    /// works is delivered after it. Coalesced posts lose their parameters: post one message number with fixed ones.
    bool postOnce(UINT message, WPARAM wParam, LPARAM lParam);

    /// Starts the timer id, or restarts it with the new interval when it runs.
    void setTimer(std::uintptr_t timerId, std::chrono::milliseconds interval);
    /// False when no such timer runs. Its callback does not come again, even from within it.
    bool killTimer(std::uintptr_t timerId);

private:
    enum class Delivery { Plain, Once };

    void enqueue(UINT message, WPARAM wParam, LPARAM lParam, Delivery delivery);
    void deliver(UINT message, WPARAM wParam, LPARAM lParam, Delivery delivery);
    void timerFired(std::uintptr_t timerId);

    kernel::OwnerThread m_ownerThread;
    std::map<UINT, MessageHandler> m_handlers;
    TimerHandler m_timerHandler;
    std::map<std::uintptr_t, QTimer*> m_timers; // Children of the window.

    kernel::Mutex m_pendingMutex;
    std::set<UINT> m_pendingOnce TALVO_GUARDED_BY(m_pendingMutex);
};

} // namespace platform::ui
