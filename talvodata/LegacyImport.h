#pragma once

#include "interfaces/talvodata/IEventManager.h"
#include "interfaces/talvodata/ITalvoDocument.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

namespace talvodata {

/// What the importer fills: the document through its interface, and what the interface cannot take.
struct LegacyImportTarget {
    ITalvoDocument& document;
    IEventManager& events;
    /// Called with the file's version as soon as it is read.
    std::function<void(std::int32_t)> fileVersionRead;
    /// Progress(Done, Total) before each aiming, Done counting from 0.
    std::function<void(LONG, LONG)> progress;
};

/// The bytes looksLikeLegacyPractice needs, and the largest old practice file read (its records are read whole).
constexpr std::size_t kLegacyHeadSize = 9;
constexpr std::size_t kLargestLegacyFile = std::size_t{256} << 20;

/// Whether the first bytes of a file can begin an old flat practice file: five bytes, then a tag length of 10 or 21.
bool looksLikeLegacyPractice(std::span<const std::uint8_t> head);

/// Builds a practice from an old flat practice file into a cleared document: shooter, event, one aiming per
/// record with its trace and shot, comments and the shooting position. E_FAIL for a short file, a bad tag length,
/// an unknown or missing event, or a record whose sample rate or scale cannot be used; E_OUTOFMEMORY for a sample
/// count outside 1..16380 or an aiming the document refuses. Aimings imported before a failure stay.
HRESULT importLegacyPractice(std::span<const std::uint8_t> file, LegacyImportTarget& target);

} // namespace talvodata
