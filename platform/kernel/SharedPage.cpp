#include "platform/kernel/SharedPage.h"

#include "platform/com/ErrorText.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace platform::kernel {

namespace {

Error openError(int error, const std::filesystem::path& path)
{
    return Error{error == ENOENT ? STG_E_FILENOTFOUND : STG_E_ACCESSDENIED,
                 "cannot open shared page " + path.string() + ": " + com::errorText(error)};
}

} // namespace

Result<SharedPage> SharedPage::open(const std::filesystem::path& path, PageAccess access)
{
    const bool writable = access == PageAccess::ReadWrite;
    const int fd = ::open(path.c_str(), (writable ? O_RDWR | O_CREAT : O_RDONLY) | O_CLOEXEC, 0600);
    if (fd < 0) {
        return openError(errno, path);
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 ||
        (writable && status.st_size < static_cast<off_t>(kSize) && ::ftruncate(fd, static_cast<off_t>(kSize)) != 0)) {
        const int error = errno;
        ::close(fd);
        return openError(error, path);
    }
    if (!writable && status.st_size < static_cast<off_t>(kSize)) {
        ::close(fd);
        return Error{STG_E_INVALIDHEADER, "shared page " + path.string() + " is shorter than a page"};
    }
    void* data = ::mmap(nullptr, kSize, writable ? PROT_READ | PROT_WRITE : PROT_READ, MAP_SHARED, fd, 0);
    ::close(fd); // The mapping keeps the file.
    if (data == MAP_FAILED) {
        return Error{E_OUTOFMEMORY, "cannot map shared page " + path.string() + ": " + com::errorText(errno)};
    }
    return SharedPage(static_cast<std::uint8_t*>(data));
}

SharedPage::SharedPage(SharedPage&& other) noexcept : m_data(std::exchange(other.m_data, nullptr)) {}

SharedPage& SharedPage::operator=(SharedPage&& other) noexcept
{
    std::swap(m_data, other.m_data);
    return *this;
}

SharedPage::~SharedPage()
{
    if (m_data != nullptr) {
        ::munmap(m_data, kSize);
    }
}

} // namespace platform::kernel
