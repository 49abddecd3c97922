#pragma once

#include "platform/com/Result.h"
#include "platform/kernel/SharedPage.h"

#include <cstdint>
#include <filesystem>

namespace catalogcache {

/// The shared page beside the cache: the generation counter (u32 at offset 0, one step per append or deletion),
/// the watcher's start stamp (u64 at offset 8, new at each start, so a reader notices a restarted watcher even
/// when the counter happens to match) and the ready flag (u32 at offset 16: set while the watcher runs with its
/// cache open). Writes happen under the guard's writer side; all accesses are atomic.
/// Thread rule: any thread.
class GenerationPage {
public:
    /// The watcher's side: counter 0, a new start stamp, not ready.
    static platform::Result<GenerationPage> create(const std::filesystem::path& path);
    /// A reader's side, read-only.
    static platform::Result<GenerationPage> open(const std::filesystem::path& path);

    std::uint32_t generation() const;
    std::uint64_t startStamp() const;
    bool isReady() const;

    void increment();
    void setReady(bool ready);

private:
    explicit GenerationPage(platform::kernel::SharedPage page) : m_page(std::move(page)) {}

    platform::kernel::SharedPage m_page;
};

} // namespace catalogcache
