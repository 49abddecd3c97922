#pragma once

#include "platform/com/Result.h"

#include <filesystem>

namespace catalogcache {

/// Where the watcher and its readers meet: the cache file, and the runtime folder that holds the generation page
/// "TALVOWATCHIM", the guard "TALVOWATCHDG" and the watcher's instance lock "TALVOWATCHST".
struct CatalogLocation {
    std::filesystem::path cacheFile;
    std::filesystem::path runtimeFolder;

    std::filesystem::path generationPage() const { return runtimeFolder / "TALVOWATCHIM"; }
    std::filesystem::path instanceLock() const { return runtimeFolder / "TALVOWATCHST"; }
};

inline constexpr char kGuardName[] = "TALVOWATCHDG";

/// "talvowatch.tmp" in the user's cache folder and the user's runtime folder (platform/fs UserFolders).
platform::Result<CatalogLocation> defaultCatalogLocation();

} // namespace catalogcache
