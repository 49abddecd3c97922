#pragma once

#include "platform/com/Result.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace catalogcache {

inline constexpr std::int32_t kCacheVersion = 7;
inline constexpr std::uint32_t kGrowthStep = 0x40000;
inline constexpr std::size_t kHeaderSize = 64;
inline constexpr std::int32_t kHeaderEndMark = 0x3FFFFFFF;
/// Set in the header while compaction moves records, so that a cache left part-way is never trusted.
inline constexpr std::int32_t kCompactingMark = 0x504D4F43;
inline constexpr std::uint32_t kRecordMark = 0xFFFF5FFF;
inline constexpr std::uint16_t kRecordEndMark = 0xF0FA;
/// The length of a record whose five strings are empty.
inline constexpr std::size_t kFixedRecordLength = 71;

enum class RecordState : std::uint8_t {
    Document = 0,
    Deleted = 1,
    Other = 2, ///< A file that is no readable practice, or one of file version below 1.
};

/// The 64-byte header at the start of the cache.
struct CatalogHeader {
    std::int32_t version = kCacheVersion;
    std::int32_t size = 0; ///< The mapping size in bytes, a multiple of kGrowthStep.
    std::int32_t liveDocuments = 0;
    std::int32_t liveOthers = 0;
    std::int32_t deleted = 0; ///< Records deleted since the last compaction.
    std::int32_t endMark = kHeaderEndMark;
    /// kCompactingMark while records move, else 0. It lies in the first of the reserved bytes (offset 20), which
    /// readers that do not know it skip.
    std::int32_t compacting = 0;
};

/// One file under the catalog folder as the cache keeps it.
struct CatalogRecord {
    RecordState state = RecordState::Other;
    std::int32_t fileVersion = 0;
    std::int32_t fileSize = 0;  ///< Low 32 bits.
    std::uint64_t fileTime = 0; ///< 100-nanosecond intervals since 1601 (UTC) of the last write.
    double date = 0;            ///< OLE date of the practice.
    std::int32_t matchShots = 0;
    std::int32_t integerTotal = 0;
    float decimalTotal = 0;
    std::int32_t coefficient = 0;
    std::u16string path;
    std::u16string event;
    std::u16string shooter;
    std::u16string comments;
    std::u16string position;

    bool operator==(const CatalogRecord&) const = default;
};

/// What tells whether a file changed since its record was written.
struct FileStamp {
    std::uint64_t fileTime = 0;
    std::int32_t fileSize = 0;

    bool operator==(const FileStamp&) const = default;
};

/// Reads the header of a cache of at least kHeaderSize bytes.
CatalogHeader readHeader(std::span<const std::uint8_t> cache);
/// Writes the header, zeroing its reserved bytes but the compaction mark.
void writeHeader(std::span<std::uint8_t> cache, const CatalogHeader& header);
/// Version and end mark right, counts not negative, no compaction under way.
bool isSoundHeader(const CatalogHeader& header);

/// 71 bytes plus two per UTF-16 unit of the five strings.
std::size_t recordLength(const CatalogRecord& record);
/// Writes the record at the start of `to`, which holds at least recordLength(record) bytes.
void writeRecord(std::span<std::uint8_t> to, const CatalogRecord& record);
/// The record at `offset`; the walk has checked it.
CatalogRecord readRecord(std::span<const std::uint8_t> cache, std::size_t offset);
/// Only the path of the record at `offset`, which the walk has checked.
std::u16string readPath(std::span<const std::uint8_t> cache, std::size_t offset);
/// Only the file time and size of the record at `offset`, which the walk has checked.
FileStamp readStamp(std::span<const std::uint8_t> cache, std::size_t offset);
/// Sets the state byte of the record at `offset`.
void writeState(std::span<std::uint8_t> cache, std::size_t offset, RecordState state);

/// A record met by walkRecords.
struct RecordPlace {
    std::size_t offset;
    std::size_t length;
    RecordState state;
};

/// Walks the records from offset 64, each checked before it is trusted (known state, mark, a length that matches
/// its strings and stays inside both the cache and the header's size, end mark), and stops after the last of the
/// header's live records. STG_E_DOCFILECORRUPT names the first bad header or record; records before it have been
/// visited.
platform::Status walkRecords(std::span<const std::uint8_t> cache, const std::function<void(const RecordPlace&)>& visit);

} // namespace catalogcache
