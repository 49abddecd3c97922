#include "talvodesk/app/MessageLoop.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>

#include <utility>

namespace talvodesk::app {

namespace {

constexpr std::uint32_t kPaint = 0x000F;
constexpr std::uint32_t kNonClientMouseMove = 0x00A0;
constexpr std::uint32_t kTimer = 0x0113;
constexpr std::uint32_t kMouseMove = 0x0200;
constexpr std::uint32_t kAnyOther = 0x0400;

QEventLoop* s_running = nullptr;

} // namespace

std::uint32_t CMessageLoop2::messageOf(const QEvent& event)
{
    switch (event.type()) {
    case QEvent::Paint:
    case QEvent::UpdateRequest:
        return kPaint;
    case QEvent::Timer:
        return kTimer;
    case QEvent::MouseMove:
    case QEvent::HoverMove:
        return kMouseMove;
    case QEvent::NonClientAreaMouseMove:
        return kNonClientMouseMove;
    default:
        return kAnyOther;
    }
}

void CMessageLoop2::addIdleHandler(std::function<bool(int)> handler)
{
    m_idleHandlers.push_back(std::move(handler));
}

int CMessageLoop2::Run()
{
    QCoreApplication::instance()->installEventFilter(this);
    scheduleIdle();
    QEventLoop loop;
    QEventLoop* const outer = std::exchange(s_running, &loop);
    const int code = loop.exec();
    s_running = outer;
    QCoreApplication::instance()->removeEventFilter(this);
    return code;
}

void CMessageLoop2::Quit(int code)
{
    if (s_running) {
        s_running->exit(code);
    }
}

bool CMessageLoop2::eventFilter(QObject* watched, QEvent* event)
{
    // The loop's own idle call is not a message of the program.
    if (watched != this && IsIdleMessage(messageOf(*event))) {
        m_idle = true;
        m_count = 0;
        scheduleIdle();
    }
    return QObject::eventFilter(watched, event);
}

void CMessageLoop2::scheduleIdle()
{
    if (m_scheduled || m_idleHandlers.empty()) {
        return;
    }
    m_scheduled = true;
    // A zero timer runs once the queue is empty; being a timer, it does not restart idling itself.
    QTimer::singleShot(0, this, &CMessageLoop2::runIdle);
}

void CMessageLoop2::runIdle()
{
    m_scheduled = false;
    if (!m_idle) {
        return;
    }
    bool more = false;
    for (const auto& handler : m_idleHandlers) {
        more = handler(m_count) || more;
    }
    ++m_count;
    m_idle = more;
    if (more) {
        scheduleIdle();
    }
}

} // namespace talvodesk::app
