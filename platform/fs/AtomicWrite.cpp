#include "platform/fs/AtomicWrite.h"

#include "platform/fs/internal/SystemError.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::fs {
namespace {

using internal::Access;
using internal::systemError;

Error writeError(int error, std::string_view operation, const std::filesystem::path& path)
{
    return systemError(error, operation, path, Access::Write);
}

/// An open temporary file beside the target; removed on destruction unless released after the rename.
class TemporaryFile {
public:
    TemporaryFile(int descriptor, std::filesystem::path path) : m_descriptor(descriptor), m_path(std::move(path)) {}
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile()
    {
        if (m_descriptor >= 0) {
            ::close(m_descriptor);
        }
        if (!m_released) {
            ::unlink(m_path.c_str());
        }
    }

    int descriptor() const { return m_descriptor; }
    const std::filesystem::path& path() const { return m_path; }

    /// Closes the file and reports what close() reports: on some file systems a write error shows only here.
    int close()
    {
        const int result = ::close(m_descriptor);
        m_descriptor = -1;
        return result;
    }
    void release() { m_released = true; }

private:
    int m_descriptor;
    std::filesystem::path m_path;
    bool m_released = false;
};

std::filesystem::path temporaryName(const std::filesystem::path& target, unsigned attempt)
{
    static std::atomic<unsigned> s_counter{0};
    const auto ticks = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    char suffix[64];
    std::snprintf(suffix, sizeof suffix, ".%x.%x.%llx.%x", static_cast<unsigned>(::getpid()), s_counter++, ticks,
                  attempt);
    // The leading dot hides the file from the catalog watcher and from listings. Only the start of the target's
    // name is kept (whole UTF-8 characters), so any name the folder takes leaves room for the suffix.
    constexpr std::size_t kKeptBytes = 32;
    std::string kept = target.filename().string();
    if (kept.size() > kKeptBytes) {
        std::size_t end = kKeptBytes;
        while (end > 0 && (static_cast<unsigned char>(kept[end]) & 0xC0) == 0x80) {
            --end;
        }
        kept.resize(end);
    }
    std::string name = ".";
    name += kept;
    name += suffix;
    return target.parent_path() / name;
}

Result<std::unique_ptr<TemporaryFile>> createTemporaryFile(const std::filesystem::path& target)
{
    constexpr unsigned kAttempts = 16;
    for (unsigned attempt = 0;; ++attempt) {
        std::filesystem::path name = temporaryName(target, attempt);
        // 0666 lets the umask decide, as for any newly created file.
        const int descriptor = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor >= 0) {
            return std::make_unique<TemporaryFile>(descriptor, std::move(name));
        }
        if (errno != EEXIST || attempt + 1 == kAttempts) {
            return writeError(errno, "cannot create a temporary file for", target);
        }
    }
}

Status writeAll(int descriptor, std::span<const std::uint8_t> bytes, const std::filesystem::path& target)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(descriptor, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return writeError(errno, "cannot write", target);
        }
        bytes = bytes.subspan(static_cast<std::size_t>(written));
    }
    return {};
}

/// Replace keeps the permissions of the file it replaces.
Status adoptExistingPermissions(const TemporaryFile& file, const std::filesystem::path& target)
{
    struct stat status {};
    if (::stat(target.c_str(), &status) != 0) {
        return errno == ENOENT ? Status{} : writeError(errno, "cannot inspect", target);
    }
    if (S_ISREG(status.st_mode) && ::fchmod(file.descriptor(), status.st_mode & 07777) != 0) {
        return writeError(errno, "cannot set the permissions of", file.path());
    }
    return {};
}

/// Renames without replacing. Where the file system refuses renameat2 flags, a hard link gives the same
/// "fails if the name exists" guarantee.
int renameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return 0;
    }
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) {
        return -1;
    }
    if (::link(from.c_str(), to.c_str()) != 0) {
        return -1;
    }
    (void)::unlink(from.c_str()); // The content is in place; a leftover hidden name is harmless.
    return 0;
}

/// Makes the rename itself durable. Some file systems refuse fsync on a folder; the new content is in place
/// either way, so that is not a failure of the write.
void syncFolder(const std::filesystem::path& target)
{
    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
    const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor >= 0) {
        (void)::fsync(descriptor);
        ::close(descriptor);
    }
}

/// The process id in the name of a temporary file this writer makes: "." + a name + four hexadecimal fields
/// (process, counter, clock, attempt). Nothing for any other name.
std::optional<pid_t> writerOf(const std::string& name)
{
    if (name.size() < 2 || name[0] != '.') {
        return std::nullopt;
    }
    std::size_t end = name.size();
    std::string_view fields[4];
    for (int k = 3; k >= 0; --k) {
        const std::size_t dot = name.rfind('.', end - 1);
        if (dot == std::string::npos || dot == 0 || dot + 1 == end) {
            return std::nullopt;
        }
        fields[k] = std::string_view(name).substr(dot + 1, end - dot - 1);
        end = dot;
        if (fields[k].size() > 16 || fields[k].find_first_not_of("0123456789abcdef") != std::string_view::npos) {
            return std::nullopt;
        }
    }
    if (fields[0].size() > 8) {
        return std::nullopt;
    }
    return static_cast<pid_t>(std::stoul(std::string(fields[0]), nullptr, 16));
}

} // namespace

void removeInterruptedSaves(const std::filesystem::path& folder)
{
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::optional<pid_t> writer = writerOf(entry->path().filename().string());
        if (writer && *writer != ::getpid() && ::kill(*writer, 0) != 0 && errno == ESRCH &&
            entry->is_regular_file(error)) {
            (void)::unlink(entry->path().c_str()); // Gone already is as good.
        }
    }
}

void removeInterruptedSavesBelow(const std::filesystem::path& root)
{
    std::error_code error;
    if (!std::filesystem::is_directory(root, error)) {
        return;
    }
    removeInterruptedSaves(root);
    for (std::filesystem::recursive_directory_iterator
             entry(root, std::filesystem::directory_options::skip_permission_denied, error),
         end;
         !error && entry != end; entry.increment(error)) {
        std::error_code gone; // an entry removed meanwhile ends nothing but itself
        if (std::filesystem::is_directory(entry->symlink_status(gone))) {
            removeInterruptedSaves(entry->path());
        }
    }
}

Status checkWritable(const std::filesystem::path& path, WriteMode mode)
{
    if (path.empty() || !path.has_filename()) {
        return Error{STG_E_INVALIDNAME, "no file name in '" + path.string() + "'"};
    }
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    struct stat status {};
    if (::stat(folder.c_str(), &status) != 0) {
        return writeError(errno, "cannot find the folder of", path);
    }
    if (!S_ISDIR(status.st_mode)) {
        return writeError(ENOTDIR, "cannot find the folder of", path);
    }
    if (::access(folder.c_str(), W_OK | X_OK) != 0) {
        return writeError(errno, "cannot write into the folder of", path);
    }
    if (::lstat(path.c_str(), &status) != 0) {
        return errno == ENOENT ? Status{} : writeError(errno, "cannot inspect", path);
    }
    if (mode == WriteMode::CreateOnly) {
        return writeError(EEXIST, "cannot create", path);
    }
    if (S_ISDIR(status.st_mode)) {
        return writeError(EISDIR, "cannot replace", path);
    }
    // As on Windows, the read-only attribute protects a file from being replaced.
    if (S_ISREG(status.st_mode) && (status.st_mode & S_IWUSR) == 0) {
        return Error{STG_E_ACCESSDENIED, "cannot replace read-only file '" + path.string() + "'"};
    }
    return {};
}

Status writeFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes, WriteMode mode)
{
    if (Status writable = checkWritable(path, mode); !writable) {
        return writable;
    }
    auto file = createTemporaryFile(path);
    if (!file) {
        return file.error();
    }
    TemporaryFile& temporary = **file;
    if (mode == WriteMode::Replace) {
        if (Status status = adoptExistingPermissions(temporary, path); !status) {
            return status;
        }
    }
    if (Status status = writeAll(temporary.descriptor(), bytes, path); !status) {
        return status;
    }
    if (::fsync(temporary.descriptor()) != 0) {
        return writeError(errno, "cannot flush", path);
    }
    if (temporary.close() != 0) {
        return writeError(errno, "cannot close", path);
    }
    const int renamed = mode == WriteMode::Replace ? ::rename(temporary.path().c_str(), path.c_str())
                                                   : renameNoReplace(temporary.path(), path);
    if (renamed != 0) {
        return writeError(errno, "cannot rename into", path);
    }
    temporary.release();
    syncFolder(path);
    removeInterruptedSaves(path.has_parent_path() ? path.parent_path() : ".");
    return {};
}

} // namespace platform::fs
