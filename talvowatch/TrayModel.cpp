#include "talvowatch/TrayModel.h"

#include "catalogcache/CatalogEnglish.h"
#include "platform/com/Bstr.h"

namespace talvowatch {

using platform::kernel::LockGuard;
using platform::kernel::Mutex;

void TrayModel::setObserver(Observer observer)
{
    const LockGuard lock(m_mutex);
    m_observer = std::move(observer);
}

void TrayModel::setIcon(TrayIcon icon)
{
    {
        const LockGuard lock(m_mutex);
        m_icon = icon;
    }
    changed();
}

void TrayModel::setCount(int count)
{
    {
        const LockGuard lock(m_mutex);
        m_count = count;
    }
    changed();
}

void TrayModel::setPeriodicRescan(bool periodic)
{
    {
        const LockGuard lock(m_mutex);
        m_periodic = periodic;
    }
    changed();
}

void TrayModel::setProblem(std::string problem)
{
    {
        const LockGuard lock(m_mutex);
        if (m_problem == problem) {
            return;
        }
        m_problem = std::move(problem);
    }
    changed();
}

std::string TrayModel::problem() const
{
    const LockGuard lock(m_mutex);
    return m_problem;
}

TrayIcon TrayModel::icon() const
{
    const LockGuard lock(m_mutex);
    return m_icon;
}

std::string TrayModel::tip() const
{
    const LockGuard lock(m_mutex);
    using namespace catalogcache;
    const std::u16string count = platform::com::utf8ToUtf16(std::to_string(m_count));
    std::string tip =
        platform::com::utf16ToUtf8(m_texts.format(m_icon == TrayIcon::Idle ? kTrayTipText : kTrayBusyTipText, {count}));
    if (m_periodic) {
        tip += "\n" + platform::com::utf16ToUtf8(m_texts.text(kPeriodicRescanText));
    }
    if (!m_problem.empty()) {
        tip += "\n" + m_problem;
    }
    return tip;
}

void TrayModel::changed()
{
    Observer observer;
    {
        const LockGuard lock(m_mutex);
        observer = m_observer;
    }
    if (observer) {
        observer();
    }
}

} // namespace talvowatch
