#pragma once

#include "talvowatch/ChangeSource.h"

#include "platform/time/ManualClock.h"

#include <chrono>
#include <filesystem>
#include <optional>
#include <vector>

namespace talvowatch::testsupport {

/// Folder changes at scripted times on a manual clock, for the worker's waits: a wait moves the clock to the next
/// change, to its own timeout or to the scripted stop, whichever comes first. With the script used up and no
/// timeout, the wait stops. A scripted change names the catalog folder's files. A full scan begins by watching the
/// catalog folder and a rescan of changes by taking them: either marks the start of a scan.
class ScriptedChanges final : public ChangeSource {
public:
    ScriptedChanges(platform::time::ManualClock& clock, std::filesystem::path catalogFolder)
        : m_clock(clock), m_catalogFolder(std::move(catalogFolder))
    {
    }

    std::vector<std::chrono::milliseconds> changes; // Ascending.
    std::optional<std::chrono::milliseconds> stopAt;
    bool watchesFail = false;
    std::vector<std::chrono::milliseconds> scans; // When each scan began.

    platform::Status watchFolder(const std::filesystem::path& folder) override
    {
        if (folder == m_catalogFolder) {
            scans.push_back(m_clock.steadyNow());
        }
        return watchesFail ? platform::Status(platform::Error{E_NOTIMPL, "no notifications"}) : platform::Status();
    }

    void unwatchFolder(const std::filesystem::path&) override {}

    Changes takeChanges() override
    {
        scans.push_back(m_clock.steadyNow());
        Changes changed;
        changed.folders.insert(m_catalogFolder);
        return changed;
    }

    Wake wait(platform::kernel::Timeout timeout) override
    {
        using std::chrono::milliseconds;
        const milliseconds now = m_clock.steadyNow();
        const milliseconds deadline = timeout == platform::kernel::kWaitForever ? milliseconds::max() : now + timeout;
        const milliseconds stop = stopAt.value_or(milliseconds::max());
        if (m_next < changes.size() && changes[m_next] <= std::min(deadline, stop)) {
            moveTo(changes[m_next++]);
            return Wake::Change;
        }
        if (deadline == milliseconds::max() || stop <= deadline) {
            moveTo(std::min(stop, deadline));
            m_stopped = true;
            return Wake::Stop;
        }
        moveTo(deadline);
        return Wake::TimedOut;
    }

    bool stopRequested() const override { return m_stopped; }

private:
    void moveTo(std::chrono::milliseconds when)
    {
        if (when != std::chrono::milliseconds::max() && when > m_clock.steadyNow()) {
            m_clock.advance(when - m_clock.steadyNow());
        }
    }

    platform::time::ManualClock& m_clock;
    std::filesystem::path m_catalogFolder;
    std::size_t m_next = 0;
    bool m_stopped = false;
};

} // namespace talvowatch::testsupport
