#pragma once

#include "catalogcache/tests/support/CacheFolder.h"
#include "platform/kernel/FileLock.h"
#include "platform/shell/ItemIdList.h"
#include "talvoshell/CatalogServices.h"

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace talvoshell::testsupport {

/// Starts nothing and records what it was asked to start.
class RecordingLauncher : public Launcher {
public:
    bool Start(const std::vector<std::string>& argv) override
    {
        started.push_back(argv);
        return true;
    }
    std::vector<std::vector<std::string>> started;
};

/// A catalog over a cache in a temporary folder, registered under the computer folder, with a recording
/// launcher, recorded failures and questions answered by `m_answer`. Starting the watcher marks the page ready and
/// takes the instance lock, as a started watcher does.
class CatalogFixture : public catalogcache::testsupport::CacheFolder {
protected:
    CatalogFixture();
    ~CatalogFixture() override;

    /// Writes a cache of these records and steps the generation counter, as the watcher does.
    void publish(const std::vector<catalogcache::CatalogRecord>& records);
    /// A practice record; `version` 0 lists under "Other".
    static catalogcache::CatalogRecord practice(std::u16string path, std::u16string event, std::u16string shooter,
                                                double date = 46000.5, std::int32_t version = 10);
    /// The absolute list of the computer, the root, then these names.
    static platform::shell::ItemIdPtr listOf(const std::vector<std::u16string>& names);
    static platform::shell::ItemIdPtr item(const std::u16string& name);

    std::shared_ptr<RecordingLauncher> m_launcher = std::make_shared<RecordingLauncher>();
    std::shared_ptr<CatalogServices> m_services;
    std::vector<std::pair<std::u16string, std::u16string>> m_failures;
    int m_watcherStarts = 0;
    bool m_answer = true;
    std::vector<std::u16string> m_questions;
    /// The instance lock of the pretended watcher, held once it was "started".
    std::optional<platform::kernel::FileLock> m_watcherLock;
};

} // namespace talvoshell::testsupport
