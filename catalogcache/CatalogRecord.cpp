#include "catalogcache/CatalogRecord.h"

#include "catalogcache/internal/LittleEndian.h"

#include <algorithm>
#include <array>
#include <string>

namespace catalogcache {

using internal::load;
using internal::store;

namespace {

// Header fields.
constexpr std::size_t kVersionAt = 0;
constexpr std::size_t kSizeAt = 4;
constexpr std::size_t kLiveDocumentsAt = 8;
constexpr std::size_t kLiveOthersAt = 12;
constexpr std::size_t kDeletedAt = 16;
constexpr std::size_t kCompactingAt = 20;
constexpr std::size_t kReservedAt = 24;
constexpr std::size_t kReservedLength = 36;
constexpr std::size_t kEndMarkAt = 60;

// Record fields.
constexpr std::size_t kStateAt = 0;
constexpr std::size_t kMarkAt = 1;
constexpr std::size_t kLengthAt = 5;
constexpr std::size_t kFileVersionAt = 9;
constexpr std::size_t kFileSizeAt = 13;
constexpr std::size_t kFileTimeLowAt = 17;
constexpr std::size_t kFileTimeHighAt = 21;
constexpr std::size_t kDateAt = 25;
constexpr std::size_t kMatchShotsAt = 33;
constexpr std::size_t kIntegerTotalAt = 37;
constexpr std::size_t kDecimalTotalAt = 41;
constexpr std::size_t kCoefficientAt = 45;
constexpr std::size_t kStringLengthsAt = 49;
constexpr std::size_t kStringsAt = 69;
constexpr std::size_t kStringCount = 5;

std::array<const std::u16string*, kStringCount> stringsOf(const CatalogRecord& record)
{
    return {&record.path, &record.event, &record.shooter, &record.comments, &record.position};
}

std::array<std::u16string*, kStringCount> stringsOf(CatalogRecord& record)
{
    return {&record.path, &record.event, &record.shooter, &record.comments, &record.position};
}

platform::Error corrupt(const std::string& what, std::size_t offset)
{
    return platform::Error{STG_E_DOCFILECORRUPT, what + " at offset " + std::to_string(offset)};
}

/// The length of the record at `offset` when it is sound and ends by `limit`.
platform::Result<std::size_t> checkRecord(std::span<const std::uint8_t> cache, std::size_t offset, std::size_t limit)
{
    if (limit - offset < kFixedRecordLength) {
        return corrupt("record runs past the end", offset);
    }
    const std::uint8_t* record = cache.data() + offset;
    if (record[kStateAt] > static_cast<std::uint8_t>(RecordState::Other)) {
        return corrupt("record of unknown state " + std::to_string(record[kStateAt]), offset);
    }
    if (load<std::uint32_t>(record + kMarkAt) != kRecordMark) {
        return corrupt("record without its mark", offset);
    }
    std::uint64_t units = 0;
    for (std::size_t i = 0; i < kStringCount; ++i) {
        const auto length = load<std::int32_t>(record + kStringLengthsAt + 4 * i);
        if (length < 0) {
            return corrupt("record with a negative string length", offset);
        }
        units += static_cast<std::uint64_t>(length);
    }
    const std::uint64_t expected = kFixedRecordLength + 2 * units;
    if (load<std::int32_t>(record + kLengthAt) < 0 || load<std::uint32_t>(record + kLengthAt) != expected) {
        return corrupt("record whose length does not match its strings", offset);
    }
    if (expected > limit - offset) {
        return corrupt("record runs past the end", offset);
    }
    if (load<std::uint16_t>(record + expected - 2) != kRecordEndMark) {
        return corrupt("record without its end mark", offset);
    }
    return static_cast<std::size_t>(expected);
}

/// The string whose length is at `lengthAt` and whose units begin at `textAt`, both within the record `at`.
std::u16string readText(const std::uint8_t* at, std::size_t lengthAt, std::size_t textAt)
{
    std::u16string text(static_cast<std::size_t>(load<std::int32_t>(at + lengthAt)), u'\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        text[i] = static_cast<char16_t>(load<std::uint16_t>(at + textAt + 2 * i));
    }
    return text;
}

} // namespace

CatalogHeader readHeader(std::span<const std::uint8_t> cache)
{
    const std::uint8_t* at = cache.data();
    return CatalogHeader{load<std::int32_t>(at + kVersionAt),       load<std::int32_t>(at + kSizeAt),
                         load<std::int32_t>(at + kLiveDocumentsAt), load<std::int32_t>(at + kLiveOthersAt),
                         load<std::int32_t>(at + kDeletedAt),       load<std::int32_t>(at + kEndMarkAt),
                         load<std::int32_t>(at + kCompactingAt)};
}

void writeHeader(std::span<std::uint8_t> cache, const CatalogHeader& header)
{
    std::uint8_t* at = cache.data();
    store(at + kVersionAt, header.version);
    store(at + kSizeAt, header.size);
    store(at + kLiveDocumentsAt, header.liveDocuments);
    store(at + kLiveOthersAt, header.liveOthers);
    store(at + kDeletedAt, header.deleted);
    store(at + kCompactingAt, header.compacting);
    std::fill_n(at + kReservedAt, kReservedLength, std::uint8_t{0});
    store(at + kEndMarkAt, header.endMark);
}

bool isSoundHeader(const CatalogHeader& header)
{
    return header.version == kCacheVersion && header.endMark == kHeaderEndMark && header.size >= 0 &&
           header.liveDocuments >= 0 && header.liveOthers >= 0 && header.deleted >= 0 && header.compacting == 0;
}

std::size_t recordLength(const CatalogRecord& record)
{
    std::size_t units = 0;
    for (const std::u16string* text : stringsOf(record)) {
        units += text->size();
    }
    return kFixedRecordLength + 2 * units;
}

void writeRecord(std::span<std::uint8_t> to, const CatalogRecord& record)
{
    std::uint8_t* at = to.data();
    const auto length = static_cast<std::int32_t>(recordLength(record));
    at[kStateAt] = static_cast<std::uint8_t>(record.state);
    store(at + kMarkAt, kRecordMark);
    store(at + kLengthAt, length);
    store(at + kFileVersionAt, record.fileVersion);
    store(at + kFileSizeAt, record.fileSize);
    store(at + kFileTimeLowAt, static_cast<std::uint32_t>(record.fileTime));
    store(at + kFileTimeHighAt, static_cast<std::uint32_t>(record.fileTime >> 32));
    store(at + kDateAt, record.date);
    store(at + kMatchShotsAt, record.matchShots);
    store(at + kIntegerTotalAt, record.integerTotal);
    store(at + kDecimalTotalAt, record.decimalTotal);
    store(at + kCoefficientAt, record.coefficient);
    std::size_t text = kStringsAt;
    std::size_t lengthAt = kStringLengthsAt;
    for (const std::u16string* value : stringsOf(record)) {
        store(at + lengthAt, static_cast<std::int32_t>(value->size()));
        lengthAt += 4;
        for (const char16_t unit : *value) {
            store(at + text, static_cast<std::uint16_t>(unit));
            text += 2;
        }
    }
    store(at + text, kRecordEndMark);
}

CatalogRecord readRecord(std::span<const std::uint8_t> cache, std::size_t offset)
{
    const std::uint8_t* at = cache.data() + offset;
    CatalogRecord record;
    record.state = static_cast<RecordState>(at[kStateAt]);
    record.fileVersion = load<std::int32_t>(at + kFileVersionAt);
    const FileStamp stamp = readStamp(cache, offset);
    record.fileSize = stamp.fileSize;
    record.fileTime = stamp.fileTime;
    record.date = load<double>(at + kDateAt);
    record.matchShots = load<std::int32_t>(at + kMatchShotsAt);
    record.integerTotal = load<std::int32_t>(at + kIntegerTotalAt);
    record.decimalTotal = load<float>(at + kDecimalTotalAt);
    record.coefficient = load<std::int32_t>(at + kCoefficientAt);
    std::size_t text = kStringsAt;
    std::size_t lengthAt = kStringLengthsAt;
    for (std::u16string* value : stringsOf(record)) {
        *value = readText(at, lengthAt, text);
        text += 2 * value->size();
        lengthAt += 4;
    }
    return record;
}

std::u16string readPath(std::span<const std::uint8_t> cache, std::size_t offset)
{
    return readText(cache.data() + offset, kStringLengthsAt, kStringsAt);
}

FileStamp readStamp(std::span<const std::uint8_t> cache, std::size_t offset)
{
    const std::uint8_t* at = cache.data() + offset;
    return FileStamp{load<std::uint32_t>(at + kFileTimeLowAt) |
                         static_cast<std::uint64_t>(load<std::uint32_t>(at + kFileTimeHighAt)) << 32,
                     load<std::int32_t>(at + kFileSizeAt)};
}

void writeState(std::span<std::uint8_t> cache, std::size_t offset, RecordState state)
{
    cache[offset + kStateAt] = static_cast<std::uint8_t>(state);
}

platform::Status walkRecords(std::span<const std::uint8_t> cache, const std::function<void(const RecordPlace&)>& visit)
{
    if (cache.size() < kHeaderSize) {
        return corrupt("cache shorter than its header", 0);
    }
    const CatalogHeader header = readHeader(cache);
    if (!isSoundHeader(header)) {
        return corrupt("unknown version or damaged header", 0);
    }
    const std::size_t limit = std::min(cache.size(), static_cast<std::size_t>(header.size));
    std::int64_t liveLeft = std::int64_t{header.liveDocuments} + header.liveOthers;
    std::size_t offset = kHeaderSize;
    while (liveLeft > 0) {
        if (offset >= limit) {
            return corrupt("live records missing", offset);
        }
        auto length = checkRecord(cache, offset, limit);
        if (!length) {
            return length.error();
        }
        const auto state = static_cast<RecordState>(cache[offset + kStateAt]);
        liveLeft -= state == RecordState::Deleted ? 0 : 1;
        visit(RecordPlace{offset, *length, state});
        offset += *length;
    }
    return {};
}

} // namespace catalogcache
