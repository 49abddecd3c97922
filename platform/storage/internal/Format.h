#pragma once

#include "platform/com/LittleEndian.h"

#include <array>
#include <cstddef>
#include <cstdint>

// The compound file binary format: a header, then sectors numbered from 0 chained through the FAT; streams below
// the mini stream cutoff live in 64-byte mini sectors inside the root entry's stream, chained through the mini FAT.
// Every integer is little-endian.
namespace platform::storage::internal {

inline constexpr std::array<std::uint8_t, 8> kSignature{0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};

inline constexpr std::uint32_t kMaxRegularSector = 0xFFFFFFFA;
inline constexpr std::uint32_t kDifatSector = 0xFFFFFFFC;
inline constexpr std::uint32_t kFatSector = 0xFFFFFFFD;
inline constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
inline constexpr std::uint32_t kFreeSector = 0xFFFFFFFF;
inline constexpr std::uint32_t kNoStream = 0xFFFFFFFF;

inline constexpr std::size_t kHeaderSize = 512;
inline constexpr std::size_t kVersion3SectorSize = 512;
inline constexpr std::uint16_t kVersion3 = 3;
inline constexpr std::uint16_t kVersion4 = 4;
inline constexpr std::uint16_t kVersion3SectorShift = 9;
inline constexpr std::uint16_t kVersion4SectorShift = 12;
inline constexpr std::uint16_t kMinorVersion = 0x003E;
inline constexpr std::uint16_t kByteOrderMark = 0xFFFE;
inline constexpr std::uint16_t kMiniSectorShift = 6;
inline constexpr std::size_t kMiniSectorSize = 64;
inline constexpr std::uint32_t kMiniStreamCutoff = 4096;
inline constexpr std::size_t kHeaderDifatCount = 109;
inline constexpr std::size_t kDirectoryEntrySize = 128;
inline constexpr std::size_t kNameFieldSize = 64;

// Header field offsets.
inline constexpr std::size_t kMinorVersionOffset = 24;
inline constexpr std::size_t kMajorVersionOffset = 26;
inline constexpr std::size_t kByteOrderOffset = 28;
inline constexpr std::size_t kSectorShiftOffset = 30;
inline constexpr std::size_t kMiniSectorShiftOffset = 32;
inline constexpr std::size_t kFatSectorCountOffset = 44;
inline constexpr std::size_t kFirstDirectorySectorOffset = 48;
inline constexpr std::size_t kMiniStreamCutoffOffset = 56;
inline constexpr std::size_t kFirstMiniFatSectorOffset = 60;
inline constexpr std::size_t kMiniFatSectorCountOffset = 64;
inline constexpr std::size_t kFirstDifatSectorOffset = 68;
inline constexpr std::size_t kDifatSectorCountOffset = 72;
inline constexpr std::size_t kHeaderDifatOffset = 76;

// Directory entry field offsets.
inline constexpr std::size_t kNameLengthOffset = 64;
inline constexpr std::size_t kObjectTypeOffset = 66;
inline constexpr std::size_t kColorOffset = 67;
inline constexpr std::size_t kLeftSiblingOffset = 68;
inline constexpr std::size_t kRightSiblingOffset = 72;
inline constexpr std::size_t kChildOffset = 76;
inline constexpr std::size_t kClsidOffset = 80;
inline constexpr std::size_t kStartSectorOffset = 116;
inline constexpr std::size_t kStreamSizeOffset = 120;

enum class ObjectType : std::uint8_t { Unallocated = 0, Storage = 1, Stream = 2, Root = 5 };
enum class Color : std::uint8_t { Red = 0, Black = 1 };

inline std::uint16_t readU16(const std::uint8_t* p)
{
    return com::loadLittleEndian<std::uint16_t>(p);
}
inline std::uint32_t readU32(const std::uint8_t* p)
{
    return com::loadLittleEndian<std::uint32_t>(p);
}
inline std::uint64_t readU64(const std::uint8_t* p)
{
    return com::loadLittleEndian<std::uint64_t>(p);
}
inline void writeU16(std::uint8_t* p, std::uint16_t value)
{
    com::storeLittleEndian(p, value);
}
inline void writeU32(std::uint8_t* p, std::uint32_t value)
{
    com::storeLittleEndian(p, value);
}
inline void writeU64(std::uint8_t* p, std::uint64_t value)
{
    com::storeLittleEndian(p, value);
}

} // namespace platform::storage::internal
