#pragma once

#include "catalogcache/CatalogRecord.h"

#include <filesystem>

namespace talvowatch {

/// The catalog record of the file at `path` as the document model reads it: event, shooter, comments, position,
/// date, match shots and totals, correction coefficient and file version. A file that is no readable, valid
/// practice gives a record of file version 0 with everything else empty. Path, size and file time are the
/// caller's to fill in.
catalogcache::CatalogRecord summarisePractice(const std::filesystem::path& path);

} // namespace talvowatch
