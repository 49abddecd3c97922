#pragma once

#include "catalogcache/CatalogRecord.h"

#include <cstdint>
#include <string>
#include <vector>

namespace catalogcache::testsupport {

/// A record of 91 bytes for a four-unit path.
inline CatalogRecord practice(std::u16string path, RecordState state = RecordState::Document)
{
    return CatalogRecord{state,  10,  0x1234, 0x0102030405060708, 46000.25, 60, 590, 600.5F, 12, std::move(path), u"AR",
                         u"Ann", u"", u"x"};
}

/// A header and the records one after another; the header counts the records that are not deleted.
inline std::vector<std::uint8_t> cacheOf(const std::vector<CatalogRecord>& records, std::size_t size = 4096)
{
    std::vector<std::uint8_t> cache(size);
    CatalogHeader header;
    header.size = static_cast<std::int32_t>(size);
    std::size_t offset = kHeaderSize;
    for (const CatalogRecord& record : records) {
        writeRecord(std::span(cache).subspan(offset), record);
        offset += recordLength(record);
        header.liveDocuments += record.state == RecordState::Document ? 1 : 0;
        header.liveOthers += record.state == RecordState::Other ? 1 : 0;
    }
    writeHeader(cache, header);
    return cache;
}

} // namespace catalogcache::testsupport
