#include "catalogcache/CatalogReader.h"

#include "platform/kernel/FileLock.h"
#include "platform/kernel/SwmrgGuard.h"

#include <fcntl.h>
#include <span>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace catalogcache {

using platform::Error;

namespace {

/// The cache file opened and mapped read-only for one refresh.
class MappedCache {
public:
    explicit MappedCache(const std::filesystem::path& file) : m_fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC))
    {
        struct stat status {};
        if (m_fd < 0 || ::fstat(m_fd, &status) != 0 || status.st_size <= 0) {
            return;
        }
        // Every page is read: faulting them in at once costs less than one by one.
        void* view =
            ::mmap(nullptr, static_cast<std::size_t>(status.st_size), PROT_READ, MAP_SHARED | MAP_POPULATE, m_fd, 0);
        if (view != MAP_FAILED) {
            m_bytes = {static_cast<const std::uint8_t*>(view), static_cast<std::size_t>(status.st_size)};
        }
    }
    ~MappedCache()
    {
        if (!m_bytes.empty()) {
            ::munmap(const_cast<std::uint8_t*>(m_bytes.data()), m_bytes.size());
        }
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    MappedCache(const MappedCache&) = delete;
    MappedCache& operator=(const MappedCache&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    std::span<const std::uint8_t> bytes() const { return m_bytes; }

private:
    int m_fd;
    std::span<const std::uint8_t> m_bytes;
};

Error failure(HRESULT code, const char* text)
{
    return Error{code, text};
}

} // namespace

platform::Result<std::unique_ptr<CatalogReader>> CatalogReader::create(CatalogLocation location)
{
    auto guard = platform::kernel::SwmrgGuard::CreateGuard(location.runtimeFolder, kGuardName);
    if (!guard) {
        return guard.error();
    }
    return std::unique_ptr<CatalogReader>(new CatalogReader(std::move(location), std::move(guard).value()));
}

CatalogReader::CatalogReader(CatalogLocation location, std::unique_ptr<platform::kernel::SwmrgGuard> guard)
    : m_location(std::move(location)), m_guard(std::move(guard))
{
}

CatalogReader::~CatalogReader() = default;

bool CatalogReader::isWatcherReady(const CatalogLocation& location)
{
    const auto page = GenerationPage::open(location.generationPage());
    if (!page || !page->isReady()) {
        return false;
    }
    // Taking the lock shared for a moment only succeeds when no watcher holds it; a watcher starting meanwhile
    // waits for it briefly.
    auto instance = platform::kernel::FileLock::open(location.instanceLock());
    if (!instance) {
        return false;
    }
    const bool isFree = instance->lock(platform::kernel::LockMode::Shared, platform::kernel::Timeout(0));
    instance->unlock();
    return !isFree;
}

platform::Result<CatalogReader::Refresh> CatalogReader::refresh()
{
    const platform::kernel::ReadLock lock(*m_guard);
    return refreshLocked();
}

platform::Result<CatalogReader::Refresh> CatalogReader::refreshLocked()
{
    if (!m_page) {
        auto page = GenerationPage::open(m_location.generationPage());
        if (!page) {
            const HRESULT code = page.error().code;
            return code == STG_E_FILENOTFOUND || code == STG_E_ACCESSDENIED
                       ? failure(code, "Unable to open file mapping: 2")
                       : failure(code, "Unable to map view of file: 2");
        }
        m_page.emplace(std::move(page).value());
    }
    const MappedCache cache(m_location.cacheFile);
    if (!cache.isOpen()) {
        return failure(STG_E_FILENOTFOUND, "Unable to open file mapping");
    }
    if (cache.bytes().empty()) {
        return failure(E_OUTOFMEMORY, "Unable to map view of file");
    }
    if (cache.bytes().size() < kHeaderSize || !isSoundHeader(readHeader(cache.bytes()))) {
        return failure(STG_E_DOCFILECORRUPT, "Invalid cache version or corrupted");
    }
    const std::uint32_t generation = m_page->generation();
    const std::uint64_t startStamp = m_page->startStamp();
    if (m_built && generation == m_generation && startStamp == m_startStamp) {
        return Refresh::Unchanged;
    }
    std::vector<CatalogRecord> records;
    records.reserve(m_records.size()); // a change seldom alters the count much
    const platform::Status walked = walkRecords(cache.bytes(), [&](const RecordPlace& place) {
        if (place.state != RecordState::Deleted) {
            records.push_back(readRecord(cache.bytes(), place.offset));
        }
    });
    if (!walked) {
        return failure(STG_E_DOCFILECORRUPT, "Invalid cache version or corrupted");
    }
    m_records = std::move(records);
    m_generation = generation;
    m_startStamp = startStamp;
    m_built = true;
    return Refresh::Rebuilt;
}

} // namespace catalogcache
