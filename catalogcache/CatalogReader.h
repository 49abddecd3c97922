#pragma once

#include "catalogcache/CatalogLocation.h"
#include "catalogcache/CatalogRecord.h"
#include "catalogcache/GenerationPage.h"

#include "platform/com/Result.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace platform::kernel {
class SwmrgGuard;
}

namespace catalogcache {

/// A reader's view of the catalog cache: the live records in cache order, read again only when the watcher's
/// generation counter or start stamp has moved since the last read.
/// Thread rule: owner thread only (the guard underneath admits many readers across threads and processes).
class CatalogReader {
public:
    enum class Refresh { Unchanged, Rebuilt };

    /// Creates or opens the guard. Errors: those of the guard's lock file.
    static platform::Result<std::unique_ptr<CatalogReader>> create(CatalogLocation location);
    ~CatalogReader();
    CatalogReader(const CatalogReader&) = delete;
    CatalogReader& operator=(const CatalogReader&) = delete;

    /// Reads the cache under the guard's reader side (which keeps the watcher from growing or rewriting it
    /// meanwhile). On failure the records stay as they were and the error's detail is the text to show:
    /// "Unable to open file mapping: 2" or "Unable to map view of file: 2" for the generation page, "Unable to
    /// open file mapping" or "Unable to map view of file" for the cache, and "Invalid cache version or corrupted"
    /// for a damaged header or record.
    platform::Result<Refresh> refresh();

    /// Whether a watcher runs with its cache open: its ready flag is set and it holds its instance lock (a watcher
    /// that died leaves the flag set but not the lock). A reader that finds none starts the watcher.
    static bool isWatcherReady(const CatalogLocation& location);

    const std::vector<CatalogRecord>& records() const { return m_records; }
    /// The generation counter when the records were read.
    std::uint32_t generation() const { return m_generation; }

private:
    CatalogReader(CatalogLocation location, std::unique_ptr<platform::kernel::SwmrgGuard> guard);
    platform::Result<Refresh> refreshLocked();

    CatalogLocation m_location;
    std::unique_ptr<platform::kernel::SwmrgGuard> m_guard;
    std::optional<GenerationPage> m_page; // Kept once opened.
    bool m_built = false;
    std::uint32_t m_generation = 0;
    std::uint64_t m_startStamp = 0;
    std::vector<CatalogRecord> m_records;
};

} // namespace catalogcache
