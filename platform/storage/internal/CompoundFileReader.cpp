#include "platform/storage/internal/CompoundFileReader.h"

#include "platform/storage/internal/Format.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>

namespace platform::storage::internal {
namespace {

constexpr std::size_t kUnlimited = std::numeric_limits<std::size_t>::max();

Error corrupt(std::string detail)
{
    return Error{STG_E_DOCFILECORRUPT, std::move(detail)};
}

Error invalidHeader(std::string detail)
{
    return Error{STG_E_INVALIDHEADER, std::move(detail)};
}

std::string number(std::uint64_t value)
{
    return std::to_string(value);
}

std::uint64_t sectorsFor(std::uint64_t size, std::uint64_t unit)
{
    return size / unit + (size % unit != 0 ? 1 : 0);
}

enum class Space { Regular, Mini };

/// One pass over the bytes of a compound file. Every sector handed out by a chain is marked used, so a chain that
/// loops or two streams that share sectors are corruption, and the data read can never exceed the file's size.
class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

    Result<std::shared_ptr<Element>> read();

private:
    Status readHeader();
    Status readFat();
    Status readMiniFat();
    Status readDirectory();
    Status readTree(Element& root);
    Result<std::vector<std::uint32_t>> chain(std::uint32_t start, Space space, std::size_t needed,
                                             const std::string& what);
    Result<std::vector<std::uint8_t>> readStream(std::uint32_t start, std::uint64_t size, Space space,
                                                 const std::string& what);
    void copySector(std::uint32_t sector, std::uint8_t* destination) const;
    const std::uint8_t* header(std::size_t offset) const { return m_bytes.data() + offset; }
    const std::uint8_t* entry(std::uint32_t id) const { return m_directory.data() + id * kDirectoryEntrySize; }
    std::uint64_t streamSize(std::uint32_t id) const;
    Result<std::shared_ptr<Element>> readEntry(std::uint32_t id);

    std::span<const std::uint8_t> m_bytes;
    std::uint16_t m_version = 0;
    std::size_t m_sectorSize = 0;
    std::uint32_t m_sectorCount = 0;
    std::vector<std::uint32_t> m_fat;
    std::vector<std::uint32_t> m_miniFat;
    std::vector<bool> m_usedSectors;
    std::vector<bool> m_usedMiniSectors;
    std::vector<std::uint8_t> m_directory;
    std::uint32_t m_entryCount = 0;
    std::vector<std::uint8_t> m_miniStream;
};

Result<std::shared_ptr<Element>> Reader::read()
{
    if (Status status = readHeader(); !status) {
        return status.error();
    }
    if (Status status = readFat(); !status) {
        return status.error();
    }
    if (Status status = readMiniFat(); !status) {
        return status.error();
    }
    if (Status status = readDirectory(); !status) {
        return status.error();
    }
    if (static_cast<ObjectType>(entry(0)[kObjectTypeOffset]) != ObjectType::Root) {
        return corrupt("directory entry 0 is not the root storage");
    }
    auto root = std::make_shared<Element>();
    root->type = ElementType::Storage;
    root->clsid = com::guidFromBytes(entry(0) + kClsidOffset);
    // The root entry's stream is the mini stream.
    auto miniStream = readStream(readU32(entry(0) + kStartSectorOffset), streamSize(0), Space::Regular, "mini stream");
    if (!miniStream) {
        return miniStream.error();
    }
    m_miniStream = std::move(*miniStream);
    m_miniStream.resize(sectorsFor(m_miniStream.size(), kMiniSectorSize) * kMiniSectorSize);
    m_usedMiniSectors.assign(m_miniStream.size() / kMiniSectorSize, false);
    if (Status status = readTree(*root); !status) {
        return status.error();
    }
    return root;
}

Status Reader::readHeader()
{
    if (m_bytes.size() < kHeaderSize) {
        return invalidHeader("file of " + number(m_bytes.size()) + " bytes is too short for a compound file header");
    }
    if (!hasCompoundFileSignature(m_bytes)) {
        return invalidHeader("no compound file signature");
    }
    if (readU16(header(kByteOrderOffset)) != kByteOrderMark) {
        return invalidHeader("byte order mark is not 0xfffe");
    }
    m_version = readU16(header(kMajorVersionOffset));
    const std::uint16_t shift = readU16(header(kSectorShiftOffset));
    if (!(m_version == kVersion3 && shift == kVersion3SectorShift) &&
        !(m_version == kVersion4 && shift == kVersion4SectorShift)) {
        return invalidHeader("version " + number(m_version) + " with sector shift " + number(shift) +
                             " is not a version 3 or 4 compound file");
    }
    if (readU16(header(kMiniSectorShiftOffset)) != kMiniSectorShift ||
        readU32(header(kMiniStreamCutoffOffset)) != kMiniStreamCutoff) {
        return invalidHeader("mini sector shift or mini stream cutoff is not the standard one");
    }
    m_sectorSize = std::size_t{1} << shift;
    // The header takes the place of one sector; a last sector cut short by the end of the file still counts.
    const std::uint64_t sectors =
        m_bytes.size() > m_sectorSize ? sectorsFor(m_bytes.size() - m_sectorSize, m_sectorSize) : 0;
    m_sectorCount = static_cast<std::uint32_t>(std::min<std::uint64_t>(sectors, kMaxRegularSector + 1ull));
    m_usedSectors.assign(m_sectorCount, false);
    return {};
}

void Reader::copySector(std::uint32_t sector, std::uint8_t* destination) const
{
    const std::uint64_t offset = (static_cast<std::uint64_t>(sector) + 1) * m_sectorSize;
    const std::size_t available =
        static_cast<std::size_t>(std::min<std::uint64_t>(m_sectorSize, m_bytes.size() - offset));
    std::memcpy(destination, m_bytes.data() + offset, available);
    std::memset(destination + available, 0, m_sectorSize - available);
}

Status Reader::readFat()
{
    const std::uint32_t fatSectors = readU32(header(kFatSectorCountOffset));
    const std::uint32_t difatSectors = readU32(header(kDifatSectorCountOffset));
    if (fatSectors > m_sectorCount || difatSectors > m_sectorCount) {
        return corrupt("header counts " + number(fatSectors) + " FAT and " + number(difatSectors) +
                       " DIFAT sectors in a file of " + number(m_sectorCount) + " sectors");
    }
    std::vector<std::uint32_t> locations;
    locations.reserve(fatSectors);
    for (std::size_t i = 0; i < std::min<std::size_t>(fatSectors, kHeaderDifatCount); ++i) {
        locations.push_back(readU32(header(kHeaderDifatOffset + 4 * i)));
    }
    const std::size_t perDifatSector = m_sectorSize / 4 - 1;
    std::vector<std::uint8_t> buffer(m_sectorSize);
    std::uint32_t next = readU32(header(kFirstDifatSectorOffset));
    for (std::uint32_t read = 0; locations.size() < fatSectors; ++read) {
        if (read == difatSectors || next >= m_sectorCount) {
            return corrupt("DIFAT chain ends after " + number(read) + " sectors, short of " + number(fatSectors) +
                           " FAT sectors");
        }
        copySector(next, buffer.data());
        for (std::size_t i = 0; i < perDifatSector && locations.size() < fatSectors; ++i) {
            locations.push_back(readU32(buffer.data() + 4 * i));
        }
        next = readU32(buffer.data() + 4 * perDifatSector);
    }
    const std::size_t perSector = m_sectorSize / 4;
    m_fat.resize(locations.size() * perSector);
    for (std::size_t i = 0; i < locations.size(); ++i) {
        if (locations[i] >= m_sectorCount) {
            return corrupt("FAT sector " + number(locations[i]) + " is past the end of the file (" +
                           number(m_sectorCount) + " sectors)");
        }
        copySector(locations[i], buffer.data());
        for (std::size_t j = 0; j < perSector; ++j) {
            m_fat[i * perSector + j] = readU32(buffer.data() + 4 * j);
        }
    }
    return {};
}

Result<std::vector<std::uint32_t>> Reader::chain(std::uint32_t start, Space space, std::size_t needed,
                                                 const std::string& what)
{
    const bool mini = space == Space::Mini;
    const std::vector<std::uint32_t>& table = mini ? m_miniFat : m_fat;
    std::vector<bool>& used = mini ? m_usedMiniSectors : m_usedSectors;
    const std::size_t limit = std::min(table.size(), used.size());
    std::vector<std::uint32_t> sectors;
    // Each step marks a sector never used before, so the walk ends after at most `limit` steps.
    for (std::uint32_t current = start; sectors.size() < needed && current != kEndOfChain; current = table[current]) {
        if (current >= limit) {
            return corrupt(what + " runs to " + (mini ? "mini " : "") + "sector " + number(current) +
                           ", out of range (" + number(limit) + " sectors)");
        }
        if (used[current]) {
            return corrupt(what + " reaches " + (mini ? "mini " : "") + "sector " + number(current) + " a second time");
        }
        used[current] = true;
        sectors.push_back(current);
    }
    if (needed != kUnlimited && sectors.size() < needed) {
        return corrupt(what + " ends after " + number(sectors.size()) + " sectors, short of its size (" +
                       number(needed) + " sectors)");
    }
    return sectors;
}

Result<std::vector<std::uint8_t>> Reader::readStream(std::uint32_t start, std::uint64_t size, Space space,
                                                     const std::string& what)
{
    const std::size_t unit = space == Space::Mini ? kMiniSectorSize : m_sectorSize;
    const std::uint64_t needed = sectorsFor(size, unit);
    const std::size_t available = space == Space::Mini ? m_usedMiniSectors.size() : m_usedSectors.size();
    if (needed > available) {
        return corrupt(what + " claims " + number(size) + " bytes, more than the file holds");
    }
    auto sectors = chain(start, space, static_cast<std::size_t>(needed), what);
    if (!sectors) {
        return sectors.error();
    }
    std::vector<std::uint8_t> data(sectors->size() * unit);
    for (std::size_t i = 0; i < sectors->size(); ++i) {
        if (space == Space::Mini) {
            std::memcpy(data.data() + i * unit, m_miniStream.data() + (*sectors)[i] * unit, unit);
        } else {
            copySector((*sectors)[i], data.data() + i * unit);
        }
    }
    data.resize(static_cast<std::size_t>(size));
    return data;
}

Status Reader::readMiniFat()
{
    const std::uint32_t miniFatSectors = readU32(header(kMiniFatSectorCountOffset));
    if (miniFatSectors == 0) {
        return {};
    }
    auto sectors = chain(readU32(header(kFirstMiniFatSectorOffset)), Space::Regular, miniFatSectors, "mini FAT");
    if (!sectors) {
        return sectors.error();
    }
    const std::size_t perSector = m_sectorSize / 4;
    std::vector<std::uint8_t> buffer(m_sectorSize);
    m_miniFat.resize(sectors->size() * perSector);
    for (std::size_t i = 0; i < sectors->size(); ++i) {
        copySector((*sectors)[i], buffer.data());
        for (std::size_t j = 0; j < perSector; ++j) {
            m_miniFat[i * perSector + j] = readU32(buffer.data() + 4 * j);
        }
    }
    return {};
}

Status Reader::readDirectory()
{
    auto sectors = chain(readU32(header(kFirstDirectorySectorOffset)), Space::Regular, kUnlimited, "directory");
    if (!sectors) {
        return sectors.error();
    }
    if (sectors->empty()) {
        return corrupt("directory is empty");
    }
    m_directory.resize(sectors->size() * m_sectorSize);
    for (std::size_t i = 0; i < sectors->size(); ++i) {
        copySector((*sectors)[i], m_directory.data() + i * m_sectorSize);
    }
    m_entryCount = static_cast<std::uint32_t>(m_directory.size() / kDirectoryEntrySize);
    return {};
}

std::uint64_t Reader::streamSize(std::uint32_t id) const
{
    const std::uint64_t size = readU64(entry(id) + kStreamSizeOffset);
    // Version 3 files written by old implementations may leave garbage in the high half.
    return m_version == kVersion3 ? size & 0xFFFFFFFFu : size;
}

Result<std::shared_ptr<Element>> Reader::readEntry(std::uint32_t id)
{
    const std::uint8_t* bytes = entry(id);
    const std::uint16_t nameBytes = readU16(bytes + kNameLengthOffset);
    if (nameBytes < 4 || nameBytes > kNameFieldSize || nameBytes % 2 != 0) {
        return corrupt("directory entry " + number(id) + " has a name of " + number(nameBytes) + " bytes");
    }
    auto element = std::make_shared<Element>();
    for (std::size_t i = 0; i + 1 < nameBytes / 2u; ++i) {
        element->name.push_back(static_cast<char16_t>(readU16(bytes + 2 * i)));
    }
    const auto type = static_cast<ObjectType>(bytes[kObjectTypeOffset]);
    if (type == ObjectType::Storage) {
        element->type = ElementType::Storage;
        element->clsid = com::guidFromBytes(bytes + kClsidOffset);
        return element;
    }
    if (type != ObjectType::Stream) {
        return corrupt("directory entry " + number(id) + " has object type " + number(bytes[kObjectTypeOffset]));
    }
    element->type = ElementType::Stream;
    const std::uint64_t size = streamSize(id);
    const Space space = size < kMiniStreamCutoff ? Space::Mini : Space::Regular;
    auto data = readStream(readU32(bytes + kStartSectorOffset), size, space, "stream of directory entry " + number(id));
    if (!data) {
        return data.error();
    }
    element->data = std::move(*data);
    return element;
}

Status Reader::readTree(Element& root)
{
    struct Pending {
        Element* storage;
        std::uint32_t siblingTree;
        std::size_t depth;
    };
    std::vector<bool> visited(m_entryCount, false);
    visited[0] = true;
    std::vector<Pending> storages{{&root, readU32(entry(0) + kChildOffset), 1}};
    // Both walks keep their own stacks: sibling trees of hostile files may be as deep as they are long.
    while (!storages.empty()) {
        const Pending pending = storages.back();
        storages.pop_back();
        std::vector<std::uint32_t> siblings{pending.siblingTree};
        while (!siblings.empty()) {
            const std::uint32_t id = siblings.back();
            siblings.pop_back();
            if (id == kNoStream) {
                continue;
            }
            if (id >= m_entryCount) {
                return corrupt("directory points to entry " + number(id) + ", past its " + number(m_entryCount) +
                               " entries");
            }
            if (visited[id]) {
                return corrupt("directory entry " + number(id) + " is reached twice");
            }
            visited[id] = true;
            auto element = readEntry(id);
            if (!element) {
                return element.error();
            }
            Element* child = element->get();
            if (!pending.storage->children.emplace(child->name, std::move(*element)).second) {
                return corrupt("directory entry " + number(id) + " repeats a name of its storage");
            }
            siblings.push_back(readU32(entry(id) + kLeftSiblingOffset));
            siblings.push_back(readU32(entry(id) + kRightSiblingOffset));
            if (child->type == ElementType::Storage) {
                if (pending.depth == kMaxStorageDepth) {
                    return corrupt("storages nested deeper than " + number(kMaxStorageDepth) + " levels");
                }
                storages.push_back({child, readU32(entry(id) + kChildOffset), pending.depth + 1});
            }
        }
    }
    return {};
}

} // namespace

bool hasCompoundFileSignature(std::span<const std::uint8_t> bytes)
{
    return bytes.size() >= kSignature.size() && std::equal(kSignature.begin(), kSignature.end(), bytes.begin());
}

Result<std::shared_ptr<Element>> readCompoundFile(std::span<const std::uint8_t> bytes)
{
    return Reader(bytes).read();
}

} // namespace platform::storage::internal
