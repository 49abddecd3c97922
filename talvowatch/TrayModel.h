#pragma once

#include "platform/kernel/Mutex.h"

#include <functional>
#include <string>

namespace talvowatch {

enum class TrayIcon { Idle, Busy, ChangeSeen };

/// What the tray shows: the icon, the number of practices in the catalog, that the catalog is rescanned on a timer
/// when folder changes cannot be watched, and what keeps the catalog folder from being indexed. It lives without a
/// tray too (a desktop may have none).
/// Thread rule: any thread; the observer runs on the thread that made the change, with no lock held.
class TrayModel {
public:
    using Observer = std::function<void()>;

    void setObserver(Observer observer);
    void setIcon(TrayIcon icon);
    void setCount(int count);
    void setPeriodicRescan(bool periodic);
    /// A sentence naming what is wrong with the catalog folder; empty when nothing is.
    void setProblem(std::string problem);
    std::string problem() const;

    TrayIcon icon() const;
    /// "Talvo catalog%s - %i file(s)": " busy" unless the icon is the idle one, then the count.
    std::string tip() const;

private:
    void changed();

    mutable platform::kernel::Mutex m_mutex;
    Observer m_observer TALVO_GUARDED_BY(m_mutex);
    TrayIcon m_icon TALVO_GUARDED_BY(m_mutex) = TrayIcon::Idle;
    int m_count TALVO_GUARDED_BY(m_mutex) = 0;
    bool m_periodic TALVO_GUARDED_BY(m_mutex) = false;
    std::string m_problem TALVO_GUARDED_BY(m_mutex);
};

} // namespace talvowatch
