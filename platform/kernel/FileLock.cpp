#include "platform/kernel/FileLock.h"

#include "platform/com/ErrorText.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace platform::kernel {

namespace {

// A timed lock polls; waits are short (a writer holds the lock for one record), so a few milliseconds of lag
// cost nothing.
constexpr std::chrono::milliseconds kPollInterval{2};

bool tryLock(int fd, int operation)
{
    while (::flock(fd, operation | LOCK_NB) != 0) {
        if (errno != EINTR) {
            return false;
        }
    }
    return true;
}

} // namespace

Result<FileLock> FileLock::open(const std::filesystem::path& path)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        const int error = errno;
        return Error{error == ENOENT ? STG_E_PATHNOTFOUND : STG_E_ACCESSDENIED,
                     "cannot open lock file " + path.string() + ": " + com::errorText(error)};
    }
    return FileLock(fd);
}

FileLock::FileLock(FileLock&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept
{
    std::swap(m_fd, other.m_fd);
    return *this;
}

FileLock::~FileLock()
{
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

bool FileLock::lock(LockMode mode, Timeout timeout)
{
    const int operation = mode == LockMode::Shared ? LOCK_SH : LOCK_EX;
    if (timeout == kWaitForever) {
        while (::flock(m_fd, operation) != 0) {
            if (errno != EINTR) {
                return false;
            }
        }
        return true;
    }
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!tryLock(m_fd, operation)) {
        if (errno != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
    return true;
}

void FileLock::unlock()
{
    (void)::flock(m_fd, LOCK_UN); // Fails only for a bad descriptor, which the constructor rules out.
}

} // namespace platform::kernel
