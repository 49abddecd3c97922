#include "platform/fs/ReadFile.h"

#include "platform/fs/internal/SystemError.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::fs {
namespace {

Error readError(int error, std::string_view operation, const std::filesystem::path& path)
{
    return internal::systemError(error, operation, path, internal::Access::Read);
}

class Descriptor {
public:
    explicit Descriptor(int descriptor) : m_descriptor(descriptor) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor()
    {
        if (m_descriptor >= 0) {
            ::close(m_descriptor);
        }
    }
    int get() const { return m_descriptor; }

private:
    int m_descriptor;
};

/// At most `limit` bytes; with `refuseLonger`, a file longer than that is refused before anything is allocated.
Result<std::vector<std::uint8_t>> readUpTo(const std::filesystem::path& path, std::size_t limit, bool refuseLonger)
{
    // Non-blocking, so a named pipe is refused below instead of waiting for a writer; a regular file ignores it.
    const Descriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.get() < 0) {
        return readError(errno, "cannot open", path);
    }
    struct stat status {};
    if (::fstat(file.get(), &status) != 0) {
        return readError(errno, "cannot inspect", path);
    }
    if (!S_ISREG(status.st_mode)) {
        return Error{STG_E_ACCESSDENIED, path.string() + " is not a regular file"};
    }
    if (refuseLonger && static_cast<std::uint64_t>(status.st_size) > limit) {
        return Error{STG_E_INSUFFICIENTMEMORY, path.string() + " is " + std::to_string(status.st_size) +
                                                   " bytes, more than the " + std::to_string(limit) +
                                                   " bytes it may have"};
    }
    std::vector<std::uint8_t> bytes;
    const auto expected = std::min<std::uint64_t>(static_cast<std::uint64_t>(status.st_size), limit);
    if (expected > bytes.max_size()) {
        return Error{STG_E_INSUFFICIENTMEMORY, path.string() + " is too large to read"};
    }
    bytes.resize(static_cast<std::size_t>(expected));
    std::size_t filled = 0;
    // The file may shrink or grow while we read; what read() gives until the end is the content.
    while (filled < limit) {
        if (filled == bytes.size()) {
            bytes.resize(std::min(bytes.size() + 4096, limit));
        }
        const ssize_t count = ::read(file.get(), bytes.data() + filled, bytes.size() - filled);
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            return readError(errno, "cannot read", path);
        }
        if (count == 0) {
            break;
        }
        filled += static_cast<std::size_t>(count);
    }
    bytes.resize(filled);
    return bytes;
}

} // namespace

Result<std::vector<std::uint8_t>> readFileStart(const std::filesystem::path& path, std::size_t limit)
{
    return readUpTo(path, limit, /*refuseLonger=*/false);
}

Result<std::vector<std::uint8_t>> readWholeFile(const std::filesystem::path& path)
{
    return readUpTo(path, std::numeric_limits<std::size_t>::max(), /*refuseLonger=*/false);
}

Result<std::vector<std::uint8_t>> readWholeFile(const std::filesystem::path& path, std::size_t limit)
{
    return readUpTo(path, limit, /*refuseLonger=*/true);
}

} // namespace platform::fs
