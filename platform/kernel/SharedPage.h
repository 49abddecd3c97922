#pragma once

#include "platform/com/Result.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>

namespace platform::kernel {

enum class PageAccess { ReadOnly, ReadWrite };

/// One page of memory shared between processes through a file (on the runtime folder's memory file system).
/// Its owner opens it read-write; the file is reused in place, never replaced, so a reader's mapping keeps
/// seeing what a later owner writes.
/// Thread rule: the object any thread; the memory's own rules are the caller's (use atomic accesses).
class SharedPage {
public:
    static constexpr std::size_t kSize = 4096;

    /// ReadWrite creates the file when missing and gives it the page's size; ReadOnly needs it to exist with at
    /// least that size. Errors: STG_E_FILENOTFOUND, STG_E_ACCESSDENIED, STG_E_INVALIDHEADER (too short),
    /// E_OUTOFMEMORY (the mapping failed).
    static Result<SharedPage> open(const std::filesystem::path& path, PageAccess access);

    SharedPage(SharedPage&& other) noexcept;
    SharedPage& operator=(SharedPage&& other) noexcept;
    SharedPage(const SharedPage&) = delete;
    SharedPage& operator=(const SharedPage&) = delete;
    ~SharedPage();

    /// Page-aligned; writable only when opened ReadWrite.
    std::uint8_t* data() const { return m_data; }

private:
    explicit SharedPage(std::uint8_t* data) : m_data(data) {}

    std::uint8_t* m_data = nullptr;
};

} // namespace platform::kernel
