#include "platform/storage/internal/CompoundFileWriter.h"

#include "platform/storage/internal/Format.h"

#include <cassert>
#include <cstring>
#include <span>

namespace platform::storage::internal {
namespace {

constexpr std::size_t kSectorSize = kVersion3SectorSize;
constexpr std::size_t kEntriesPerSector = kSectorSize / 4;
constexpr std::size_t kEntriesPerDifatSector = kEntriesPerSector - 1;

std::size_t sectorsFor(std::size_t size, std::size_t unit)
{
    return (size + unit - 1) / unit;
}

struct DirectoryEntry {
    const Element* element = nullptr;
    std::uint32_t left = kNoStream;
    std::uint32_t right = kNoStream;
    std::uint32_t child = kNoStream;
    Color color = Color::Black;
    std::uint32_t startSector = kEndOfChain;
    std::uint64_t size = 0;
};

/// Flattens the tree into directory entries, the root first.
class Directory {
public:
    explicit Directory(const Element& root)
    {
        m_entries.push_back({&root});
        addChildren(0);
    }
    std::vector<DirectoryEntry>& entries() { return m_entries; }

private:
    void addChildren(std::uint32_t parent)
    {
        const Element& storage = *m_entries[parent].element;
        std::vector<std::uint32_t> ids;
        for (const auto& [name, child] : storage.children) {
            ids.push_back(static_cast<std::uint32_t>(m_entries.size()));
            m_entries.push_back({child.get()});
        }
        m_entries[parent].child = balancedTree(ids, 0, ids.size(), 0, bottomDepth(ids.size()));
        for (const std::uint32_t id : ids) {
            if (m_entries[id].element->type == ElementType::Storage) {
                addChildren(id);
            }
        }
    }

    static std::size_t bottomDepth(std::size_t count)
    {
        std::size_t depth = 0;
        while (count >>= 1) {
            ++depth;
        }
        return depth;
    }

    // Splitting the sorted names at the middle leaves every empty link at the bottom depth or one below it, so
    // colouring the bottom row red and the rest black gives every path the same number of black entries.
    std::uint32_t balancedTree(const std::vector<std::uint32_t>& ids, std::size_t begin, std::size_t end,
                               std::size_t depth, std::size_t bottom)
    {
        if (begin == end) {
            return kNoStream;
        }
        const std::size_t middle = begin + (end - begin) / 2;
        DirectoryEntry& entry = m_entries[ids[middle]];
        entry.color = depth == bottom && depth > 0 ? Color::Red : Color::Black;
        entry.left = balancedTree(ids, begin, middle, depth + 1, bottom);
        entry.right = balancedTree(ids, middle + 1, end, depth + 1, bottom);
        return ids[middle];
    }

    std::vector<DirectoryEntry> m_entries;
};

/// Regular sectors handed out in order, with their FAT entries.
class SectorAllocator {
public:
    std::uint32_t next() const { return static_cast<std::uint32_t>(m_fat.size()); }

    /// Allocates `count` sectors as one chain and returns its first sector (kEndOfChain for none).
    std::uint32_t chain(std::size_t count)
    {
        if (count == 0) {
            return kEndOfChain;
        }
        const std::uint32_t first = next();
        for (std::size_t i = 1; i < count; ++i) {
            m_fat.push_back(next() + 1);
        }
        m_fat.push_back(kEndOfChain);
        return first;
    }
    void mark(std::size_t count, std::uint32_t value) { m_fat.insert(m_fat.end(), count, value); }
    std::vector<std::uint32_t>& fat() { return m_fat; }

private:
    std::vector<std::uint32_t> m_fat;
};

void writeEntry(std::uint8_t* out, const DirectoryEntry& entry, bool isRoot)
{
    const Element& element = *entry.element;
    const std::u16string_view name = isRoot ? std::u16string_view(u"Root Entry") : element.name;
    for (std::size_t i = 0; i < name.size(); ++i) {
        writeU16(out + 2 * i, name[i]);
    }
    writeU16(out + kNameLengthOffset, static_cast<std::uint16_t>((name.size() + 1) * 2));
    const ObjectType type = isRoot                                 ? ObjectType::Root
                            : element.type == ElementType::Storage ? ObjectType::Storage
                                                                   : ObjectType::Stream;
    out[kObjectTypeOffset] = static_cast<std::uint8_t>(type);
    out[kColorOffset] = static_cast<std::uint8_t>(entry.color);
    writeU32(out + kLeftSiblingOffset, entry.left);
    writeU32(out + kRightSiblingOffset, entry.right);
    writeU32(out + kChildOffset, entry.child);
    if (element.type == ElementType::Storage) {
        const auto clsid = com::guidToBytes(element.clsid);
        std::memcpy(out + kClsidOffset, clsid.data(), clsid.size());
    }
    writeU32(out + kStartSectorOffset, entry.startSector);
    writeU64(out + kStreamSizeOffset, entry.size);
}

void writeUnusedEntry(std::uint8_t* out)
{
    writeU32(out + kLeftSiblingOffset, kNoStream);
    writeU32(out + kRightSiblingOffset, kNoStream);
    writeU32(out + kChildOffset, kNoStream);
}

std::uint8_t* sectorAt(std::vector<std::uint8_t>& file, std::uint32_t sector)
{
    return file.data() + kHeaderSize + static_cast<std::size_t>(sector) * kSectorSize;
}

void writeChainData(std::vector<std::uint8_t>& file, std::uint32_t first, std::span<const std::uint8_t> data)
{
    // Chains are allocated contiguously, so the data goes in one piece.
    if (!data.empty()) {
        std::memcpy(sectorAt(file, first), data.data(), data.size());
    }
}

void writeTable(std::vector<std::uint8_t>& file, std::uint32_t first, const std::vector<std::uint32_t>& table,
                std::size_t sectors)
{
    if (sectors == 0) {
        return;
    }
    std::uint8_t* out = sectorAt(file, first);
    for (std::size_t i = 0; i < sectors * kEntriesPerSector; ++i) {
        writeU32(out + 4 * i, i < table.size() ? table[i] : kFreeSector);
    }
}

/// FAT and DIFAT sector counts that can describe `dataSectors` plus themselves.
std::pair<std::size_t, std::size_t> fatLayout(std::size_t dataSectors)
{
    std::size_t fatSectors = sectorsFor(dataSectors, kEntriesPerSector);
    for (;;) {
        const std::size_t difatSectors =
            fatSectors > kHeaderDifatCount ? sectorsFor(fatSectors - kHeaderDifatCount, kEntriesPerDifatSector) : 0;
        if (fatSectors * kEntriesPerSector >= dataSectors + fatSectors + difatSectors) {
            return {fatSectors, difatSectors};
        }
        ++fatSectors;
    }
}

void writeHeader(std::vector<std::uint8_t>& file, std::size_t fatSectors, std::uint32_t firstDirectorySector,
                 std::uint32_t firstMiniFatSector, std::size_t miniFatSectors, std::uint32_t firstDifatSector,
                 std::size_t difatSectors)
{
    std::uint8_t* out = file.data();
    std::memcpy(out, kSignature.data(), kSignature.size());
    writeU16(out + kMinorVersionOffset, kMinorVersion);
    writeU16(out + kMajorVersionOffset, kVersion3);
    writeU16(out + kByteOrderOffset, kByteOrderMark);
    writeU16(out + kSectorShiftOffset, kVersion3SectorShift);
    writeU16(out + kMiniSectorShiftOffset, kMiniSectorShift);
    writeU32(out + kFatSectorCountOffset, static_cast<std::uint32_t>(fatSectors));
    writeU32(out + kFirstDirectorySectorOffset, firstDirectorySector);
    writeU32(out + kMiniStreamCutoffOffset, kMiniStreamCutoff);
    writeU32(out + kFirstMiniFatSectorOffset, firstMiniFatSector);
    writeU32(out + kMiniFatSectorCountOffset, static_cast<std::uint32_t>(miniFatSectors));
    writeU32(out + kFirstDifatSectorOffset, firstDifatSector);
    writeU32(out + kDifatSectorCountOffset, static_cast<std::uint32_t>(difatSectors));
}

/// Places the FAT sector locations: the first 109 in the header, the rest in chained DIFAT sectors.
void writeDifat(std::vector<std::uint8_t>& file, std::uint32_t firstFatSector, std::size_t fatSectors,
                std::uint32_t firstDifatSector, std::size_t difatSectors)
{
    for (std::size_t i = 0; i < kHeaderDifatCount; ++i) {
        writeU32(file.data() + kHeaderDifatOffset + 4 * i,
                 i < fatSectors ? firstFatSector + static_cast<std::uint32_t>(i) : kFreeSector);
    }
    for (std::size_t d = 0; d < difatSectors; ++d) {
        std::uint8_t* out = sectorAt(file, firstDifatSector + static_cast<std::uint32_t>(d));
        for (std::size_t i = 0; i < kEntriesPerDifatSector; ++i) {
            const std::size_t fatIndex = kHeaderDifatCount + d * kEntriesPerDifatSector + i;
            writeU32(out + 4 * i,
                     fatIndex < fatSectors ? firstFatSector + static_cast<std::uint32_t>(fatIndex) : kFreeSector);
        }
        const bool last = d + 1 == difatSectors;
        writeU32(out + 4 * kEntriesPerDifatSector,
                 last ? kEndOfChain : firstDifatSector + static_cast<std::uint32_t>(d + 1));
    }
}

} // namespace

std::vector<std::uint8_t> writeCompoundFile(const Element& root)
{
    Directory directory(root);
    std::vector<DirectoryEntry>& entries = directory.entries();

    // Small streams go into the mini stream, each chain contiguous in mini sectors.
    std::vector<std::uint8_t> miniStream;
    std::vector<std::uint32_t> miniFat;
    std::vector<DirectoryEntry*> largeStreams;
    for (DirectoryEntry& entry : entries) {
        const Element& element = *entry.element;
        if (element.type != ElementType::Stream || element.data.empty()) {
            continue;
        }
        assert(element.data.size() <= kMaxStreamSize && "stream too large for a version 3 file");
        entry.size = element.data.size();
        if (element.data.size() >= kMiniStreamCutoff) {
            largeStreams.push_back(&entry);
            continue;
        }
        const std::size_t count = sectorsFor(element.data.size(), kMiniSectorSize);
        entry.startSector = static_cast<std::uint32_t>(miniFat.size());
        for (std::size_t i = 1; i < count; ++i) {
            miniFat.push_back(static_cast<std::uint32_t>(miniFat.size() + 1));
        }
        miniFat.push_back(kEndOfChain);
        miniStream.insert(miniStream.end(), element.data.begin(), element.data.end());
        miniStream.resize(miniFat.size() * kMiniSectorSize);
    }

    SectorAllocator sectors;
    const std::size_t directorySectors = sectorsFor(entries.size() * kDirectoryEntrySize, kSectorSize);
    const std::uint32_t firstDirectorySector = sectors.chain(directorySectors);
    const std::size_t miniFatSectors = sectorsFor(miniFat.size() * 4, kSectorSize);
    const std::uint32_t firstMiniFatSector = sectors.chain(miniFatSectors);
    entries[0].startSector = sectors.chain(sectorsFor(miniStream.size(), kSectorSize));
    entries[0].size = miniStream.size();
    for (DirectoryEntry* entry : largeStreams) {
        entry->startSector = sectors.chain(sectorsFor(entry->element->data.size(), kSectorSize));
    }
    const auto [fatSectors, difatSectors] = fatLayout(sectors.next());
    const std::uint32_t firstFatSector = sectors.next();
    sectors.mark(fatSectors, kFatSector);
    const std::uint32_t firstDifatSector = difatSectors > 0 ? sectors.next() : kEndOfChain;
    sectors.mark(difatSectors, kDifatSector);

    std::vector<std::uint8_t> file(kHeaderSize + static_cast<std::size_t>(sectors.next()) * kSectorSize);
    writeHeader(file, fatSectors, firstDirectorySector, firstMiniFatSector, miniFatSectors, firstDifatSector,
                difatSectors);
    writeDifat(file, firstFatSector, fatSectors, firstDifatSector, difatSectors);
    writeTable(file, firstFatSector, sectors.fat(), fatSectors);
    writeTable(file, firstMiniFatSector, miniFat, miniFatSectors);
    for (std::size_t i = 0; i < directorySectors * kSectorSize / kDirectoryEntrySize; ++i) {
        std::uint8_t* out = sectorAt(file, firstDirectorySector) + i * kDirectoryEntrySize;
        if (i < entries.size()) {
            writeEntry(out, entries[i], i == 0);
        } else {
            writeUnusedEntry(out);
        }
    }
    writeChainData(file, entries[0].startSector, miniStream);
    for (const DirectoryEntry* entry : largeStreams) {
        writeChainData(file, entry->startSector, entry->element->data);
    }
    return file;
}

} // namespace platform::storage::internal
