#include "talvodata/EventsFolder.h"

#include <cstdlib>
#include <dlfcn.h>
#include <system_error>

namespace talvodata {

namespace {

std::filesystem::path libraryFolder()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&eventsFolder), &info) == 0 || !info.dli_fname) {
        return std::filesystem::current_path();
    }
    std::error_code error;
    const auto library = std::filesystem::canonical(info.dli_fname, error);
    return (error ? std::filesystem::path(info.dli_fname) : library).parent_path();
}

} // namespace

std::filesystem::path eventsFolder()
{
    if (const char* overridden = std::getenv("TALVO_EVENTS_DIR"); overridden && *overridden) {
        return overridden;
    }
    const auto library = libraryFolder();
    // <prefix>/lib or a multiarch <prefix>/lib/<triplet>.
    for (const auto& prefix : {library.parent_path(), library.parent_path().parent_path()}) {
        std::error_code error;
        const auto candidate = prefix / "share" / "talvo" / "events";
        if (std::filesystem::is_directory(candidate, error)) {
            return candidate;
        }
    }
    return library;
}

} // namespace talvodata
