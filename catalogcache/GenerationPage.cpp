#include "catalogcache/GenerationPage.h"

#include <atomic>
#include <chrono>

namespace catalogcache {

using platform::kernel::PageAccess;
using platform::kernel::SharedPage;

namespace {

constexpr std::size_t kGenerationAt = 0;
constexpr std::size_t kStartStampAt = 8;
constexpr std::size_t kReadyAt = 16;

template <typename T> std::atomic_ref<T> field(const SharedPage& page, std::size_t offset)
{
    return std::atomic_ref<T>(*reinterpret_cast<T*>(page.data() + offset));
}

} // namespace

platform::Result<GenerationPage> GenerationPage::create(const std::filesystem::path& path)
{
    auto page = SharedPage::open(path, PageAccess::ReadWrite);
    if (!page) {
        return page.error();
    }
    GenerationPage generation(std::move(page).value());
    const std::uint64_t previous = generation.startStamp();
    auto stamp = static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
    field<std::uint64_t>(generation.m_page, kStartStampAt).store(stamp == previous ? stamp + 1 : stamp);
    field<std::uint32_t>(generation.m_page, kGenerationAt).store(0);
    generation.setReady(false);
    return generation;
}

platform::Result<GenerationPage> GenerationPage::open(const std::filesystem::path& path)
{
    auto page = SharedPage::open(path, PageAccess::ReadOnly);
    if (!page) {
        return page.error();
    }
    return GenerationPage(std::move(page).value());
}

std::uint32_t GenerationPage::generation() const
{
    return field<std::uint32_t>(m_page, kGenerationAt).load();
}

std::uint64_t GenerationPage::startStamp() const
{
    return field<std::uint64_t>(m_page, kStartStampAt).load();
}

bool GenerationPage::isReady() const
{
    return field<std::uint32_t>(m_page, kReadyAt).load() != 0;
}

void GenerationPage::increment()
{
    field<std::uint32_t>(m_page, kGenerationAt).fetch_add(1);
}

void GenerationPage::setReady(bool ready)
{
    field<std::uint32_t>(m_page, kReadyAt).store(ready ? 1 : 0);
}

} // namespace catalogcache
