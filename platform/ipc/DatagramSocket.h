#pragma once

#include "platform/com/Result.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace platform::ipc {

/// How a send ended. A full receive queue is Busy: the datagram is lost but the peer lives on.
enum class SendResult { Sent, Busy, Gone };

/// A received datagram and the address of the socket that sent it (empty when the sender has none).
struct Datagram {
    std::vector<std::uint8_t> bytes;
    std::string sender;
};

/// A non-blocking Unix datagram socket. An address is the socket's path, or for a socket in the abstract namespace
/// a NUL followed by its name. Thread rule: one thread at a time.
class DatagramSocket {
public:
    /// Bound to `path`. A socket file there that nobody receives on any more is replaced; E_ACCESSDENIED when a
    /// running program receives there, E_FAIL with the reason for other failures.
    static Result<std::unique_ptr<DatagramSocket>> bind(const std::filesystem::path& path);
    /// Bound to an address the kernel picks in the abstract namespace, which vanishes with the socket.
    static Result<std::unique_ptr<DatagramSocket>> bindAnonymous();
    /// Sends only to `address`. E_FAIL when nothing receives there.
    static Result<std::unique_ptr<DatagramSocket>> connect(const std::string& address);
    /// True when the socket at `address` has gone (its file removed, or nobody receiving on it), found without
    /// sending it anything; false while one receives there, and when that cannot be told.
    static bool nothingReceivesAt(const std::string& address);

    /// Closes the socket and removes the socket file it was bound to.
    ~DatagramSocket();
    DatagramSocket(const DatagramSocket&) = delete;
    DatagramSocket& operator=(const DatagramSocket&) = delete;

    /// For a poll loop or a socket notifier: readable when a datagram waits.
    int fd() const { return m_fd; }
    /// This socket's own address.
    const std::string& address() const { return m_address; }

    /// To the connected peer; never blocks.
    SendResult send(std::span<const std::uint8_t> bytes);
    /// Datagrams to the connected peer in order, as many as its queue takes, in few system calls; never blocks.
    /// `sent` counts those that went; Sent when all did, Busy when the peer's queue filled, Gone when nothing went
    /// because the peer is gone.
    SendResult sendMany(std::span<const std::span<const std::uint8_t>> datagrams, std::size_t& sent);
    SendResult sendTo(const std::string& address, std::span<const std::uint8_t> bytes);
    /// The next waiting datagram, cut to `maxSize` bytes; nothing when none waits.
    std::optional<Datagram> receive(std::size_t maxSize = 256);

private:
    DatagramSocket(int fd, std::string address, std::filesystem::path ownedFile);

    int m_fd;
    std::string m_address;
    std::filesystem::path m_ownedFile;
};

} // namespace platform::ipc
