#pragma once

#include "catalogcache/CatalogTexts.h"
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

    /// The tray speaks the language of the texts.
    explicit TrayModel(catalogcache::CatalogTexts texts = {}) : m_texts(std::move(texts)) {}

    const catalogcache::CatalogTexts& texts() const { return m_texts; }

    void setObserver(Observer observer);
    void setIcon(TrayIcon icon);
    void setCount(int count);
    void setPeriodicRescan(bool periodic);
    /// A sentence naming what is wrong with the catalog folder; empty when nothing is.
    void setProblem(std::string problem);
    std::string problem() const;

    TrayIcon icon() const;
    /// "Talvo catalog - %i file(s)", "busy" after "catalog" unless the icon is the idle one, then the periodic rescan
    /// and the problem on lines of their own.
    std::string tip() const;

private:
    void changed();

    const catalogcache::CatalogTexts m_texts;
    mutable platform::kernel::Mutex m_mutex;
    Observer m_observer TALVO_GUARDED_BY(m_mutex);
    TrayIcon m_icon TALVO_GUARDED_BY(m_mutex) = TrayIcon::Idle;
    int m_count TALVO_GUARDED_BY(m_mutex) = 0;
    bool m_periodic TALVO_GUARDED_BY(m_mutex) = false;
    std::string m_problem TALVO_GUARDED_BY(m_mutex);
};

} // namespace talvowatch
