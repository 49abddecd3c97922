#pragma once

#include "interfaces/talvodata/ITalvoDocument.h"
#include "platform/com/Result.h"
#include "platform/com/Stream.h"
#include "platform/com/Types.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace talvodata {

/// What a catalog lists of a practice. Saved beside the document's contents in a stream of its own, so that an
/// index reads a few hundred bytes instead of every trace.
struct DocumentSummary {
    std::u16string eventShortName;
    std::u16string shooter;
    /// The named values "_comments" and "_position" when they are strings, else empty.
    std::u16string comments;
    std::u16string position;
    /// The enter time and correction coefficient of the first match shot's aiming, else of the first sighting
    /// shot's; 0 without shots.
    DATE date = 0;
    std::int32_t coefficient = 0;
    /// Over the match shots, hidden ones left out: their number, the sum of each result truncated, and the sum.
    std::int32_t matchShots = 0;
    std::int32_t integerTotal = 0;
    float decimalTotal = 0;
    /// The version of the document's contents.
    std::int32_t fileVersion = 0;

    bool operator==(const DocumentSummary&) const = default;
};

/// The name of the summary's stream in a document file.
inline constexpr char16_t kSummaryStream[] = u"Summary";

/// The summary of a valid document, computed from its aimings and values.
DocumentSummary summariseDocument(ITalvoDocument& document);

HRESULT writeSummary(IStream* stream, const DocumentSummary& summary);
/// E_FAIL for a record that is short, of an unknown version, or whose texts do not fit in it.
HRESULT readSummary(IStream* stream, DocumentSummary& summary);

/// The summary saved in the document file at `path`, its aimings left unread. An error when the file is no
/// practice document of a version this model reads, or has no readable summary (files saved before summaries
/// were): the caller then loads the whole document.
platform::Result<DocumentSummary> readSavedSummary(const std::filesystem::path& path);

} // namespace talvodata
