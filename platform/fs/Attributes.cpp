#include "platform/fs/Attributes.h"

#include "platform/fs/internal/SystemError.h"

#include <cerrno>
#include <sys/stat.h>

namespace platform::fs {

Result<bool> isReadOnly(const std::filesystem::path& path)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        return internal::systemError(errno, "cannot inspect", path, internal::Access::Read);
    }
    return (status.st_mode & S_IWUSR) == 0;
}

Status setReadOnly(const std::filesystem::path& path, ReadOnly readOnly)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        return internal::systemError(errno, "cannot inspect", path, internal::Access::Write);
    }
    const mode_t permissions = status.st_mode & 07777;
    const mode_t changed =
        readOnly == ReadOnly::Yes ? permissions & ~mode_t{S_IWUSR | S_IWGRP | S_IWOTH} : permissions | S_IWUSR;
    if (::chmod(path.c_str(), changed) != 0) {
        return internal::systemError(errno, "cannot change the permissions of", path, internal::Access::Write);
    }
    return {};
}

} // namespace platform::fs
