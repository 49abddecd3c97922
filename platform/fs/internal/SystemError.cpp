#include "platform/fs/internal/SystemError.h"

#include "platform/com/ErrorText.h"

#include <cerrno>
#include <string>
#include <sys/stat.h>

namespace platform::fs::internal {
namespace {

bool folderExists(const std::filesystem::path& path)
{
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
    struct stat status {};
    return ::stat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

HRESULT codeFor(int error, const std::filesystem::path& path, Access access)
{
    switch (error) {
    case ENOENT:
        return folderExists(path) ? STG_E_FILENOTFOUND : STG_E_PATHNOTFOUND;
    case ENOTDIR:
        return STG_E_PATHNOTFOUND;
    case EEXIST:
        return STG_E_FILEALREADYEXISTS;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY:
        return STG_E_ACCESSDENIED;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return STG_E_MEDIUMFULL;
    case ENAMETOOLONG:
        return STG_E_INVALIDNAME;
    case ENOMEM:
        return STG_E_INSUFFICIENTMEMORY;
    default:
        return access == Access::Read ? STG_E_READFAULT : STG_E_WRITEFAULT;
    }
}

} // namespace

Error systemError(int error, std::string_view operation, const std::filesystem::path& path, Access access)
{
    std::string detail(operation);
    detail += " '" + path.string() + "': " + platform::com::errorText(error);
    return Error{codeFor(error, path, access), std::move(detail)};
}

} // namespace platform::fs::internal
