#include "platform/ipc/DatagramSocket.h"

#include "platform/com/ErrorText.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform::ipc {

namespace {

struct SocketAddress {
    sockaddr_un address{};
    socklen_t size = 0;
};

std::optional<SocketAddress> toSocketAddress(const std::string& address)
{
    SocketAddress result;
    result.address.sun_family = AF_UNIX;
    // A path needs its terminating NUL inside sun_path; an abstract name does not.
    const bool abstract = !address.empty() && address.front() == '\0';
    if (address.empty() || address.size() + (abstract ? 0 : 1) > sizeof(result.address.sun_path)) {
        return std::nullopt;
    }
    std::memcpy(result.address.sun_path, address.data(), address.size());
    result.size = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + address.size() + (abstract ? 0 : 1));
    return result;
}

std::string fromSocketAddress(const sockaddr_un& address, socklen_t size)
{
    const std::size_t header = offsetof(sockaddr_un, sun_path);
    if (size <= header) {
        return {};
    }
    std::size_t length = size - header;
    if (address.sun_path[0] != '\0') {
        length = ::strnlen(address.sun_path, length);
    }
    return std::string(address.sun_path, length);
}

Error failure(const std::string& what, int error)
{
    return Error{E_FAIL, what + ": " + com::errorText(error)};
}

Result<int> newSocket()
{
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return failure("cannot create a datagram socket", errno);
    }
    return fd;
}

/// The address the socket is bound to, as the kernel reports it.
std::string boundAddress(int fd)
{
    sockaddr_un address{};
    socklen_t size = sizeof(address);
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        return {};
    }
    return fromSocketAddress(address, size);
}

/// The error of connecting a fresh socket to `address`; 0 when it connects or no socket could be made to try.
int probeError(const SocketAddress& address)
{
    const int probe = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (probe < 0) {
        return 0;
    }
    const int result = ::connect(probe, reinterpret_cast<const sockaddr*>(&address.address), address.size);
    const int error = errno;
    ::close(probe);
    return result != 0 ? error : 0;
}

/// True when a socket file is there but no socket receives on it any more (its program ended).
bool isStale(const SocketAddress& address)
{
    return probeError(address) == ECONNREFUSED;
}

SendResult sendResultOf(ssize_t sent)
{
    if (sent >= 0) {
        return SendResult::Sent;
    }
    switch (errno) {
    case ECONNREFUSED:
    case ECONNRESET:
    case ENOENT:
    case ENOTCONN:
    case EPIPE:
        return SendResult::Gone;
    default:
        return SendResult::Busy;
    }
}

} // namespace

DatagramSocket::DatagramSocket(int fd, std::string address, std::filesystem::path ownedFile)
    : m_fd(fd), m_address(std::move(address)), m_ownedFile(std::move(ownedFile))
{
}

DatagramSocket::~DatagramSocket()
{
    ::close(m_fd);
    if (!m_ownedFile.empty()) {
        std::error_code ignored; // A file someone else already removed needs no removing.
        std::filesystem::remove(m_ownedFile, ignored);
    }
}

Result<std::unique_ptr<DatagramSocket>> DatagramSocket::bind(const std::filesystem::path& path)
{
    const auto address = toSocketAddress(path.string());
    if (!address) {
        return Error{E_INVALIDARG, "socket path too long: " + path.string()};
    }
    const auto fd = newSocket();
    if (!fd) {
        return fd.error();
    }
    const auto* raw = reinterpret_cast<const sockaddr*>(&address->address);
    int result = ::bind(*fd, raw, address->size);
    if (result != 0 && errno == EADDRINUSE && isStale(*address)) {
        ::unlink(path.c_str());
        result = ::bind(*fd, raw, address->size);
    }
    if (result != 0) {
        const int error = errno;
        ::close(*fd);
        if (error == EADDRINUSE) {
            return Error{E_ACCESSDENIED, "another program receives at " + path.string()};
        }
        return failure("cannot bind " + path.string(), error);
    }
    return std::unique_ptr<DatagramSocket>(new DatagramSocket(*fd, path.string(), path));
}

Result<std::unique_ptr<DatagramSocket>> DatagramSocket::bindAnonymous()
{
    const auto fd = newSocket();
    if (!fd) {
        return fd.error();
    }
    const sa_family_t family = AF_UNIX; // An address of the family alone asks the kernel to choose a name.
    if (::bind(*fd, reinterpret_cast<const sockaddr*>(&family), sizeof(family)) != 0) {
        const int error = errno;
        ::close(*fd);
        return failure("cannot bind an anonymous socket", error);
    }
    return std::unique_ptr<DatagramSocket>(new DatagramSocket(*fd, boundAddress(*fd), {}));
}

bool DatagramSocket::nothingReceivesAt(const std::string& address)
{
    const auto peer = toSocketAddress(address);
    if (!peer) {
        return true;
    }
    const int error = probeError(*peer);
    return error == ECONNREFUSED || error == ENOENT;
}

Result<std::unique_ptr<DatagramSocket>> DatagramSocket::connect(const std::string& address)
{
    const auto peer = toSocketAddress(address);
    if (!peer) {
        return Error{E_INVALIDARG, "not a socket address"};
    }
    const auto fd = newSocket();
    if (!fd) {
        return fd.error();
    }
    if (::connect(*fd, reinterpret_cast<const sockaddr*>(&peer->address), peer->size) != 0) {
        const int error = errno;
        ::close(*fd);
        return failure("cannot reach a socket", error);
    }
    return std::unique_ptr<DatagramSocket>(new DatagramSocket(*fd, {}, {}));
}

SendResult DatagramSocket::send(std::span<const std::uint8_t> bytes)
{
    return sendResultOf(::send(m_fd, bytes.data(), bytes.size(), MSG_DONTWAIT | MSG_NOSIGNAL));
}

SendResult DatagramSocket::sendMany(std::span<const std::span<const std::uint8_t>> datagrams, std::size_t& sent)
{
    constexpr std::size_t kPerCall = 64;
    std::array<iovec, kPerCall> parts{};
    std::array<mmsghdr, kPerCall> messages{};
    sent = 0;
    while (sent < datagrams.size()) {
        const std::size_t count = std::min(kPerCall, datagrams.size() - sent);
        for (std::size_t i = 0; i < count; ++i) {
            const auto bytes = datagrams[sent + i];
            parts[i] = {const_cast<std::uint8_t*>(bytes.data()), bytes.size()}; // iovec is not const, sendmmsg reads
            messages[i] = {};
            messages[i].msg_hdr.msg_iov = &parts[i];
            messages[i].msg_hdr.msg_iovlen = 1;
        }
        const int done = ::sendmmsg(m_fd, messages.data(), static_cast<unsigned>(count), MSG_DONTWAIT | MSG_NOSIGNAL);
        if (done < 0) {
            return sendResultOf(done);
        }
        sent += static_cast<std::size_t>(done);
        if (static_cast<std::size_t>(done) < count) {
            // The peer's queue filled; a peer gone since shows in the next call, which fails at once.
            return SendResult::Busy;
        }
    }
    return SendResult::Sent;
}

SendResult DatagramSocket::sendTo(const std::string& address, std::span<const std::uint8_t> bytes)
{
    const auto peer = toSocketAddress(address);
    if (!peer) {
        return SendResult::Gone;
    }
    return sendResultOf(::sendto(m_fd, bytes.data(), bytes.size(), MSG_DONTWAIT | MSG_NOSIGNAL,
                                 reinterpret_cast<const sockaddr*>(&peer->address), peer->size));
}

std::optional<Datagram> DatagramSocket::receive(std::size_t maxSize)
{
    Datagram datagram;
    datagram.bytes.resize(maxSize);
    sockaddr_un sender{};
    socklen_t senderSize = sizeof(sender);
    ssize_t received;
    do {
        received = ::recvfrom(m_fd, datagram.bytes.data(), maxSize, MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&sender),
                              &senderSize);
    } while (received < 0 && errno == EINTR);
    if (received < 0) {
        return std::nullopt;
    }
    datagram.bytes.resize(static_cast<std::size_t>(received));
    datagram.sender = fromSocketAddress(sender, senderSize);
    return datagram;
}

} // namespace platform::ipc
