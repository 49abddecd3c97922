#pragma once

#include "platform/com/Result.h"

#include <memory>
#include <vector>

namespace platform::ipc {

/// Descriptors watched together through one descriptor that is readable while any of them is ready for what it is
/// watched for, so that a single notifier serves them all. Thread rule: one thread at a time.
class SocketSet {
public:
    struct Ready {
        int fd;
        bool readable;
        bool writable;
    };

    static Result<std::unique_ptr<SocketSet>> create();
    ~SocketSet();
    SocketSet(const SocketSet&) = delete;
    SocketSet& operator=(const SocketSet&) = delete;

    /// Readable while a watched descriptor is ready.
    int fd() const { return m_fd; }
    /// Watches `fd` for what is asked (both false stops watching it); false when the kernel refuses.
    bool watch(int fd, bool readable, bool writable);
    /// The descriptors ready now, without waiting.
    std::vector<Ready> ready() const;

private:
    explicit SocketSet(int fd) : m_fd(fd) {}

    int m_fd;
};

} // namespace platform::ipc
