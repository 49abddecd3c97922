#pragma once

#include "platform/storage/internal/Element.h"

#include "platform/com/Result.h"
#include "platform/fs/AtomicWrite.h"

#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>

namespace platform::storage::internal {

/// What every storage and stream object of one compound file shares: the element tree, one lock for all of
/// them, and the file the tree is written to. It is held by each of those objects, so the file is written when
/// the last of them goes, whatever order they are released in.
/// Thread rule: any thread; callers hold mutex() around each use.
class Document {
public:
    /// A document in memory only, or (with a write mode) one written to `path` on commit().
    Document(std::shared_ptr<Element> root, std::filesystem::path path, std::optional<fs::WriteMode> writeMode);
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;
    /// Writes a file that changed since its last commit; a failure can only be logged here.
    ~Document();

    std::recursive_mutex& mutex() const { return m_mutex; }
    const std::shared_ptr<Element>& root() const { return m_root; }
    const std::filesystem::path& path() const { return m_path; }

    void markChanged() { m_changed = true; }
    /// Nothing is written until the next change.
    void abandonChanges() { m_changed = false; }
    /// Writes the whole file through an atomic replace; nothing to do in memory or when unchanged.
    Status commit();

private:
    std::shared_ptr<Element> m_root;
    std::filesystem::path m_path;
    std::optional<fs::WriteMode> m_writeMode;
    // A new file counts as changed: it must come into being even if nothing is put in it.
    bool m_changed;
    mutable std::recursive_mutex m_mutex;
};

} // namespace platform::storage::internal
