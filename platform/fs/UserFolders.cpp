#include "platform/fs/UserFolders.h"

#include "platform/fs/internal/SystemError.h"

#include <cerrno>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::fs {

namespace {

const char* variable(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : nullptr;
}

Result<std::filesystem::path> madeFolder(std::filesystem::path folder)
{
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        return internal::systemError(error.value(), "create folder", folder, internal::Access::Write);
    }
    return folder;
}

} // namespace

Result<std::filesystem::path> runtimeFolder()
{
    if (const char* runtime = variable("XDG_RUNTIME_DIR")) {
        return madeFolder(std::filesystem::path(runtime) / "talvo");
    }
    const auto folder = std::filesystem::temp_directory_path() / ("talvo-" + std::to_string(::getuid()));
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        return internal::systemError(errno, "create folder", folder, internal::Access::Write);
    }
    // A shared temporary folder: the name may have been taken by someone else first.
    struct stat status {};
    if (::lstat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode) || status.st_uid != ::getuid()) {
        return Error{STG_E_ACCESSDENIED, folder.string() + " is not a folder of this user"};
    }
    return folder;
}

Result<std::filesystem::path> cacheFolder()
{
    if (const char* cache = variable("XDG_CACHE_HOME")) {
        return madeFolder(std::filesystem::path(cache) / "talvo");
    }
    if (const char* home = variable("HOME")) {
        return madeFolder(std::filesystem::path(home) / ".cache" / "talvo");
    }
    return Error{STG_E_PATHNOTFOUND, "neither XDG_CACHE_HOME nor HOME is set"};
}

} // namespace platform::fs
