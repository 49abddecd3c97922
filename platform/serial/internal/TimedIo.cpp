#include "platform/serial/internal/TimedIo.h"

#include "platform/serial/internal/SystemError.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <optional>

namespace platform::serial {
namespace {

using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::milliseconds;

// How often a gated wait looks at its gate.
constexpr Milliseconds kGateInterval{20};

// Longer waits are cut to this (about 35 years), so the deadline stays within the clock's range.
constexpr std::uint64_t kLongestWait = std::uint64_t{1} << 40;

// A deadline from a multiplier and a constant; none when both are 0. 64 bits: kMaxTimeout x bytes does not overflow.
std::optional<Clock::time_point> totalDeadline(Clock::time_point start, std::uint32_t multiplier,
                                               std::uint32_t constant, std::size_t count)
{
    if (multiplier == 0 && constant == 0) {
        return std::nullopt;
    }
    const std::uint64_t total = std::uint64_t{multiplier} * count + constant;
    return start + Milliseconds(static_cast<std::int64_t>(std::min(total, kLongestWait)));
}

int pollMilliseconds(std::optional<Clock::time_point> deadline, bool gated)
{
    std::optional<Milliseconds> wait;
    if (deadline) {
        // Rounded up, so a wait never ends before its deadline and spins on 0.
        auto left = std::chrono::ceil<Milliseconds>(*deadline - Clock::now());
        wait = std::max(left, Milliseconds(0));
    }
    if (gated) {
        wait = wait ? std::min(*wait, kGateInterval) : kGateInterval;
    }
    if (!wait) {
        return -1;
    }
    return static_cast<int>(std::min<std::int64_t>(wait->count(), INT32_MAX));
}

// True when the descriptor is ready for `events`, false when the deadline passed first. A deadline already past
// still polls once, so a read that must not wait takes what is there.
Result<bool> waitFor(int fd, short events, std::optional<Clock::time_point> deadline, const IoGate& gate,
                     const std::string& path)
{
    for (;;) {
        if (gate) {
            if (Status open = gate(); !open) {
                return open.error();
            }
        }
        pollfd entry{fd, events, 0};
        const int count = ::poll(&entry, 1, pollMilliseconds(deadline, static_cast<bool>(gate)));
        if (count < 0 && errno != EINTR) {
            return systemError(errno, path, "waiting");
        }
        // A hung-up terminal also reports readable; the read then sees the end of file.
        if (count > 0 && (entry.revents & (events | POLLHUP | POLLERR))) {
            return true;
        }
        if (count > 0 && (entry.revents & POLLNVAL)) {
            return systemError(EBADF, path, "waiting");
        }
        if (deadline && Clock::now() >= *deadline) {
            return false;
        }
    }
}

// What one read() gives: 0 when nothing was there after all.
Result<std::size_t> readSome(int fd, std::span<std::uint8_t> buffer, const std::string& path)
{
    const ssize_t count = ::read(fd, buffer.data(), buffer.size());
    if (count > 0) {
        return static_cast<std::size_t>(count);
    }
    if (count == 0) {
        return disconnectedError(path);
    }
    if (errno == EAGAIN || errno == EINTR) {
        return std::size_t{0};
    }
    return systemError(errno, path, "reading");
}

// Waits up to `deadline` (none: forever) for the first byte, then takes what is there.
Result<std::size_t> readWaiting(int fd, std::span<std::uint8_t> buffer, std::optional<Clock::time_point> deadline,
                                const IoGate& gate, const std::string& path)
{
    for (;;) {
        Result<bool> ready = waitFor(fd, POLLIN, deadline, gate, path);
        if (!ready || !*ready) {
            return ready ? Result<std::size_t>(std::size_t{0}) : ready.error();
        }
        Result<std::size_t> count = readSome(fd, buffer, path);
        if (!count || *count > 0) {
            return count;
        }
    }
}

} // namespace

Result<std::size_t> timedRead(int fd, std::span<std::uint8_t> buffer, const SerialTimeouts& timeouts,
                              const IoGate& gate, const std::string& path)
{
    if (buffer.empty()) {
        return std::size_t{0};
    }
    const Clock::time_point start = Clock::now();
    if (timeouts.readInterval == kMaxTimeout && timeouts.readTotalMultiplier == 0 && timeouts.readTotalConstant == 0) {
        return readWaiting(fd, buffer, start, gate, path);
    }
    if (timeouts.readInterval == kMaxTimeout && timeouts.readTotalMultiplier == kMaxTimeout &&
        timeouts.readTotalConstant > 0 && timeouts.readTotalConstant < kMaxTimeout) {
        return readWaiting(fd, buffer, start + Milliseconds(timeouts.readTotalConstant), gate, path);
    }
    const std::optional<Clock::time_point> total =
        totalDeadline(start, timeouts.readTotalMultiplier, timeouts.readTotalConstant, buffer.size());
    std::size_t done = 0;
    while (done < buffer.size()) {
        std::optional<Clock::time_point> deadline = total;
        if (done > 0 && timeouts.readInterval > 0) {
            const Clock::time_point interval = Clock::now() + Milliseconds(timeouts.readInterval);
            deadline = deadline ? std::min(*deadline, interval) : interval;
        }
        Result<bool> ready = waitFor(fd, POLLIN, deadline, gate, path);
        if (!ready) {
            return ready.error();
        }
        if (!*ready) {
            break;
        }
        Result<std::size_t> count = readSome(fd, buffer.subspan(done), path);
        if (!count) {
            return count;
        }
        done += *count;
    }
    return done;
}

Result<std::size_t> timedWrite(int fd, std::span<const std::uint8_t> bytes, const SerialTimeouts& timeouts,
                               const IoGate& gate, const std::string& path)
{
    const std::optional<Clock::time_point> deadline =
        totalDeadline(Clock::now(), timeouts.writeTotalMultiplier, timeouts.writeTotalConstant, bytes.size());
    std::size_t done = 0;
    while (done < bytes.size()) {
        if (gate) {
            if (Status open = gate(); !open) {
                return open.error();
            }
        }
        const ssize_t count = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (count > 0) {
            done += static_cast<std::size_t>(count);
            continue;
        }
        if (count < 0 && errno != EAGAIN && errno != EINTR) {
            return systemError(errno, path, "writing");
        }
        Result<bool> ready = waitFor(fd, POLLOUT, deadline, gate, path);
        if (!ready) {
            return ready.error();
        }
        if (!*ready) {
            break;
        }
    }
    return done;
}

} // namespace platform::serial
