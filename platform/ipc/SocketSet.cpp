#include "platform/ipc/SocketSet.h"

#include "platform/com/ErrorText.h"

#include <array>
#include <cerrno>
#include <sys/epoll.h>
#include <unistd.h>

namespace platform::ipc {

namespace {

constexpr int kMaxReadyPerCall = 64;

} // namespace

Result<std::unique_ptr<SocketSet>> SocketSet::create()
{
    const int fd = ::epoll_create1(EPOLL_CLOEXEC);
    if (fd < 0) {
        return Error{E_FAIL, "cannot make a set of sockets: " + com::errorText(errno)};
    }
    return std::unique_ptr<SocketSet>(new SocketSet(fd));
}

SocketSet::~SocketSet()
{
    ::close(m_fd);
}

bool SocketSet::watch(int fd, bool readable, bool writable)
{
    if (!readable && !writable) {
        // A descriptor closed already has left the set by itself.
        (void)::epoll_ctl(m_fd, EPOLL_CTL_DEL, fd, nullptr);
        return true;
    }
    epoll_event event{};
    event.events = (readable ? EPOLLIN : 0U) | (writable ? EPOLLOUT : 0U);
    event.data.fd = fd;
    if (::epoll_ctl(m_fd, EPOLL_CTL_ADD, fd, &event) == 0) {
        return true;
    }
    return errno == EEXIST && ::epoll_ctl(m_fd, EPOLL_CTL_MOD, fd, &event) == 0;
}

std::vector<SocketSet::Ready> SocketSet::ready() const
{
    std::array<epoll_event, kMaxReadyPerCall> events{};
    int count = 0;
    do {
        count = ::epoll_wait(m_fd, events.data(), kMaxReadyPerCall, 0);
    } while (count < 0 && errno == EINTR);
    std::vector<Ready> ready;
    for (int i = 0; i < count; ++i) {
        const std::uint32_t what = events[static_cast<std::size_t>(i)].events;
        // A peer gone shows as an error or hang-up; the next send tells the caller.
        ready.push_back({events[static_cast<std::size_t>(i)].data.fd, (what & (EPOLLIN | EPOLLHUP | EPOLLERR)) != 0,
                         (what & (EPOLLOUT | EPOLLHUP | EPOLLERR)) != 0});
    }
    return ready;
}

} // namespace platform::ipc
