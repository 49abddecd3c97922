#pragma once

#include "catalogcache/CatalogRecord.h"

#include "platform/com/Result.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace catalogcache {

class GenerationPage;

/// The watcher's side of the catalog cache: the file mapped read-write, a header and packed records. A valid cache
/// left by an earlier run is reused with its records; a damaged one (wrong version, size or end mark, any bad
/// record, a path listed twice, or a compaction that never finished) is started afresh, since the next scan finds
/// every practice again. Every change steps the generation counter. The watcher is the only writer, so it reads its
/// own records without the lock.
/// Thread rule: the watcher's threads, each change (open and close too) under the guard's writer side.
class CatalogCache {
public:
    enum class Append { Written, Dropped };

    /// Opens or creates the file. Errors: the storage codes of opening, sizing or mapping it.
    static platform::Result<std::unique_ptr<CatalogCache>> open(const std::filesystem::path& file,
                                                                GenerationPage& generation);
    ~CatalogCache();
    CatalogCache(const CatalogCache&) = delete;
    CatalogCache& operator=(const CatalogCache&) = delete;

    /// True when the records of an earlier run were kept.
    bool wasReused() const { return m_reused; }
    CatalogHeader header() const { return readHeader(bytes()); }
    std::span<const std::uint8_t> bytes() const { return {m_view, m_size}; }

    /// The first live record of exactly this path (file names are case-sensitive).
    std::optional<std::size_t> find(std::u16string_view path) const;
    CatalogRecord record(std::size_t offset) const { return readRecord(bytes(), offset); }
    std::u16string path(std::size_t offset) const { return readPath(bytes(), offset); }
    FileStamp stamp(std::size_t offset) const { return readStamp(bytes(), offset); }
    /// The offsets of the live records, in file order.
    std::vector<std::size_t> liveOffsets() const;
    /// The offsets of the live records whose paths begin with `prefix`, in file order.
    std::vector<std::size_t> liveUnder(std::u16string_view prefix) const;

    /// Appends after the last live record, compacting first when more than 100 records were deleted since the
    /// last compaction, and growing the file by whole steps when the record does not fit. When it cannot grow,
    /// nothing is written and the record is Dropped (the next scan tries the file again). The state comes from the
    /// file version: Document from 1 up, else Other.
    Append append(CatalogRecord record);
    /// Marks the live record at `offset` deleted; it keeps its length so walks step over it.
    void remove(std::size_t offset);
    /// Moves the live records together from offset 64, under the header's compaction mark.
    void compact();

private:
    CatalogCache(int fd, std::uint8_t* view, std::size_t size, GenerationPage& generation);

    std::span<std::uint8_t> writable() { return {m_view, m_size}; }
    void initialise();
    /// Reads the live records into the index; false at the first bad record, when the counts do not match or
    /// when a path is listed twice.
    bool index();
    /// Writes the first `length` bytes of the view through to the file.
    void flush(std::size_t length);
    bool grow(std::size_t size);
    std::size_t endOfLiveRecords() const;

    int m_fd;
    std::uint8_t* m_view;
    std::size_t m_size;
    GenerationPage& m_generation;
    bool m_reused = false;
    /// Indexes the first record of each path; false when the path has one already.
    bool addPath(std::u16string path, std::size_t offset);
    void clearPaths();

    /// Looks paths up without copying them.
    struct PathHash {
        using is_transparent = void;
        std::size_t operator()(std::u16string_view path) const { return std::hash<std::u16string_view>()(path); }
    };

    std::map<std::size_t, std::size_t> m_live; // Offset to length, in file order.
    std::unordered_map<std::u16string, std::size_t, PathHash, std::equal_to<>> m_byPath;
    std::set<std::u16string_view> m_pathOrder; // m_byPath's keys in order: the records of a folder lie together.
};

} // namespace catalogcache
