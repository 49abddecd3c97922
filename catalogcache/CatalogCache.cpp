#include "catalogcache/CatalogCache.h"

#include "catalogcache/GenerationPage.h"

#include "platform/com/ErrorText.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace catalogcache {

namespace {

// The header keeps the size as a signed 32-bit number.
constexpr std::size_t kLargestSize = 0x7FFFFFFF / kGrowthStep * kGrowthStep;
constexpr std::int32_t kDeletionsBeforeCompaction = 100;

std::size_t wholeSteps(std::size_t size)
{
    return (size + kGrowthStep - 1) / kGrowthStep * kGrowthStep;
}

platform::Error fileError(const std::string& what, const std::filesystem::path& file, int error)
{
    const HRESULT code = error == ENOSPC || error == EFBIG || error == EDQUOT ? STG_E_MEDIUMFULL
                         : error == ENOENT                                    ? STG_E_PATHNOTFOUND
                         : error == ENOMEM                                    ? E_OUTOFMEMORY
                                                                              : STG_E_ACCESSDENIED;
    return platform::Error{code, "cannot " + what + " " + file.string() + ": " + platform::com::errorText(error)};
}

/// Gives the file `size` bytes with their blocks reserved, so that writing through the mapping can never meet a
/// full disk.
int reserve(int fd, std::size_t size)
{
    return ::posix_fallocate(fd, 0, static_cast<off_t>(size));
}

} // namespace

platform::Result<std::unique_ptr<CatalogCache>> CatalogCache::open(const std::filesystem::path& file,
                                                                   GenerationPage& generation)
{
    const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        return fileError("open", file, errno);
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        const int error = errno;
        ::close(fd);
        return fileError("read the size of", file, error);
    }
    const auto fileSize = static_cast<std::size_t>(status.st_size);
    const bool isNew = fileSize < kGrowthStep || fileSize > kLargestSize;
    // A size between whole steps is rounded up, so the header's size stays a whole number of steps.
    const std::size_t size = isNew ? kGrowthStep : wholeSteps(fileSize);
    int error = 0;
    if (fileSize > kLargestSize && ::ftruncate(fd, static_cast<off_t>(size)) != 0) {
        error = errno;
    } else if (size != fileSize) {
        error = reserve(fd, size);
    }
    if (error != 0) {
        ::close(fd);
        return fileError("size", file, error);
    }
    void* view = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (view == MAP_FAILED) {
        error = errno;
        ::close(fd);
        return fileError("map", file, error);
    }
    std::unique_ptr<CatalogCache> cache(new CatalogCache(fd, static_cast<std::uint8_t*>(view), size, generation));
    const CatalogHeader header = cache->header();
    cache->m_reused =
        !isNew && isSoundHeader(header) && static_cast<std::size_t>(header.size) == fileSize && cache->index();
    if (cache->m_reused) {
        CatalogHeader rounded = header;
        rounded.size = static_cast<std::int32_t>(size);
        writeHeader(cache->writable(), rounded);
    } else {
        cache->initialise();
    }
    return cache;
}

CatalogCache::CatalogCache(int fd, std::uint8_t* view, std::size_t size, GenerationPage& generation)
    : m_fd(fd), m_view(view), m_size(size), m_generation(generation)
{
}

CatalogCache::~CatalogCache()
{
    ::munmap(m_view, m_size);
    ::close(m_fd);
}

void CatalogCache::initialise()
{
    m_live.clear();
    clearPaths();
    CatalogHeader header;
    header.size = static_cast<std::int32_t>(m_size);
    writeHeader(writable(), header);
}

bool CatalogCache::index()
{
    std::int32_t documents = 0;
    bool twice = false; // One file listed twice: the cache was damaged, and others may be missing.
    const platform::Status walked = walkRecords(bytes(), [&](const RecordPlace& place) {
        if (place.state == RecordState::Deleted) {
            return;
        }
        documents += place.state == RecordState::Document ? 1 : 0;
        m_live.emplace(place.offset, place.length);
        twice = !addPath(path(place.offset), place.offset) || twice;
    });
    return walked && !twice && documents == header().liveDocuments;
}

std::optional<std::size_t> CatalogCache::find(std::u16string_view path) const
{
    const auto found = m_byPath.find(path);
    return found == m_byPath.end() ? std::nullopt : std::optional(found->second);
}

std::vector<std::size_t> CatalogCache::liveOffsets() const
{
    std::vector<std::size_t> offsets;
    offsets.reserve(m_live.size());
    for (const auto& [offset, length] : m_live) {
        offsets.push_back(offset);
    }
    return offsets;
}

std::vector<std::size_t> CatalogCache::liveUnder(std::u16string_view prefix) const
{
    std::vector<std::size_t> offsets;
    for (auto at = m_pathOrder.lower_bound(prefix); at != m_pathOrder.end() && at->starts_with(prefix); ++at) {
        offsets.push_back(m_byPath.find(*at)->second);
    }
    std::sort(offsets.begin(), offsets.end());
    return offsets;
}

std::size_t CatalogCache::endOfLiveRecords() const
{
    return m_live.empty() ? kHeaderSize : m_live.rbegin()->first + m_live.rbegin()->second;
}

CatalogCache::Append CatalogCache::append(CatalogRecord record)
{
    if (header().deleted > kDeletionsBeforeCompaction) {
        compact();
    }
    const std::size_t offset = endOfLiveRecords();
    const std::size_t length = recordLength(record);
    if (offset + length > m_size && !grow(m_size + wholeSteps(offset + length - m_size))) {
        return Append::Dropped;
    }
    record.state = record.fileVersion >= 1 ? RecordState::Document : RecordState::Other;
    writeRecord(writable().subspan(offset, length), record);
    CatalogHeader updated = header();
    (record.state == RecordState::Document ? updated.liveDocuments : updated.liveOthers) += 1;
    writeHeader(writable(), updated);
    m_live.emplace(offset, length);
    addPath(std::move(record.path), offset);
    m_generation.increment();
    return Append::Written;
}

void CatalogCache::remove(std::size_t offset)
{
    const CatalogRecord removed = record(offset);
    writeState(writable(), offset, RecordState::Deleted);
    CatalogHeader updated = header();
    (removed.state == RecordState::Document ? updated.liveDocuments : updated.liveOthers) -= 1;
    updated.deleted += 1;
    writeHeader(writable(), updated);
    m_live.erase(offset);
    if (const auto found = m_byPath.find(removed.path); found != m_byPath.end() && found->second == offset) {
        m_pathOrder.erase(found->first);
        m_byPath.erase(found);
    }
    m_generation.increment();
}

void CatalogCache::compact()
{
    // Moving records rewrites the bytes that the header's counts describe: a watcher killed meanwhile would leave
    // copies of some records and lose others. The mark reaches the file before the first record moves, and goes
    // only once every record has; a cache found marked is started afresh.
    CatalogHeader updated = header();
    updated.compacting = kCompactingMark;
    writeHeader(writable(), updated);
    flush(kHeaderSize);
    std::map<std::size_t, std::size_t> moved;
    std::size_t to = kHeaderSize;
    for (const auto& [offset, length] : m_live) {
        std::memmove(m_view + to, m_view + offset, length);
        moved.emplace(to, length);
        to += length;
    }
    flush(to);
    m_live = std::move(moved);
    clearPaths();
    for (const auto& [offset, length] : m_live) {
        addPath(path(offset), offset);
    }
    updated.deleted = 0;
    updated.compacting = 0;
    writeHeader(writable(), updated);
}

void CatalogCache::flush(std::size_t length)
{
    // A failed flush leaves the order of the writes to chance, as a crash of the whole system would; the mark
    // still protects a watcher that is killed.
    [[maybe_unused]] const int ignored = ::msync(m_view, std::min(length, m_size), MS_SYNC);
}

bool CatalogCache::addPath(std::u16string path, std::size_t offset)
{
    const auto [at, added] = m_byPath.try_emplace(std::move(path), offset);
    if (added) {
        m_pathOrder.insert(at->first); // The key stays where it is while the entry lives.
    }
    return added;
}

void CatalogCache::clearPaths()
{
    m_pathOrder.clear();
    m_byPath.clear();
}

bool CatalogCache::grow(std::size_t size)
{
    if (size > kLargestSize) {
        return false;
    }
    void* view = reserve(m_fd, size) == 0 ? ::mremap(m_view, m_size, size, MREMAP_MAYMOVE) : MAP_FAILED;
    if (view == MAP_FAILED) {
        // A failed reservation may have extended the file part way; its size must match the header's again.
        [[maybe_unused]] const int ignored = ::ftruncate(m_fd, static_cast<off_t>(m_size));
        return false;
    }
    m_view = static_cast<std::uint8_t*>(view);
    m_size = size;
    CatalogHeader updated = header();
    updated.size = static_cast<std::int32_t>(size);
    writeHeader(writable(), updated);
    return true;
}

} // namespace catalogcache
