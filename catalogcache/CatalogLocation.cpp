#include "catalogcache/CatalogLocation.h"

#include "platform/fs/UserFolders.h"

namespace catalogcache {

platform::Result<CatalogLocation> defaultCatalogLocation()
{
    auto cache = platform::fs::cacheFolder();
    if (!cache) {
        return cache.error();
    }
    auto runtime = platform::fs::runtimeFolder();
    if (!runtime) {
        return runtime.error();
    }
    return CatalogLocation{*cache / "talvowatch.tmp", *runtime};
}

} // namespace catalogcache
