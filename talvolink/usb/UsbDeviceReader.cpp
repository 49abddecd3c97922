#include "talvolink/usb/UsbDeviceReader.h"

#include "talvolink/usb/UsbDevice.h"

#include <algorithm>
#include <array>
#include <deque>
#include <vector>

namespace talvolink {

using namespace platform::usb;

namespace {

// The longest single wait; a stop wakes it at once, so this only bounds how often the stop event is looked at when
// the wake-up is missed.
constexpr std::chrono::milliseconds kWaitSlice{100};

// These devices frame their reads themselves; every other device's read is one packet.
constexpr std::uint16_t kSelfFramingProducts[] = {0x22, 0x0E};

bool stopRequested(platform::kernel::Event& stop)
{
    return stop.wait(std::chrono::milliseconds{0});
}

// What a failed read means for the pool: go on, or stop for good.
enum class ErrorRule { Continue, Stop };

ErrorRule applyErrorRule(UsbConnection& connection, std::uint8_t pipeId, UsbError error)
{
    switch (error) {
    case kErrorFileNotFound:
    case kErrorInvalidHandle:
    case kErrorBadCommand:
    case kErrorOperationAborted:
        return ErrorRule::Stop;
    case kErrorGenFailure:
        return connection.resetPipe(pipeId) == kErrorSuccess ? ErrorRule::Continue : ErrorRule::Stop;
    default:
        return ErrorRule::Continue;
    }
}

} // namespace

void UsbDeviceReader::Run(platform::kernel::Event& stop)
{
    if (m_device.isWinUsb()) {
        runWinUsb(stop);
    } else {
        runDriver(stop);
    }
}

void UsbDeviceReader::WakeRun()
{
    if (UsbConnection* connection = m_device.connection()) {
        connection->wake();
    }
}

void UsbDeviceReader::deliver(std::span<const std::uint8_t> bytes)
{
    const std::uint16_t product = m_device.productId();
    if (std::ranges::find(kSelfFramingProducts, product) != std::end(kSelfFramingProducts)) {
        m_device.OnReadComplete(bytes);
    } else {
        m_device.OnPacketRead(bytes);
    }
}

void UsbDeviceReader::runWinUsb(platform::kernel::Event& stop)
{
    UsbConnection* connection = m_device.connection();
    if (connection == nullptr) {
        return;
    }
    const std::uint8_t pipe = m_device.readPipe().pipeId;
    struct Request {
        std::array<std::uint8_t, kReadSize> buffer{};
        bool busy = false; // submitted and not yet handed on
        bool done = false;
        Transfer result;
    };
    std::vector<Request> requests(kReadCount);
    // Busy requests in the order they were submitted: reads are handed on in this order even when a later one is
    // reaped first.
    std::deque<std::uint32_t> order;

    (void)connection->setPipePolicy(pipe, PipePolicy::AutoClearStall, 1); // best effort, as the device needs none
    (void)connection->setPipePolicy(pipe, PipePolicy::RawIo, 1);
    (void)connection->resetPipe(pipe);

    UsbError fatal = kErrorSuccess;
    // Hands on the finished reads at the head of the order; false when the error rule stops the loop.
    const auto handOn = [&] {
        while (!order.empty() && requests[order.front()].done) {
            Request& request = requests[order.front()];
            order.pop_front();
            request.busy = false;
            request.done = false;
            if (request.result.succeeded()) {
                if (request.result.length > 0) {
                    deliver(std::span(request.buffer).first(std::min(request.result.length, kReadSize)));
                }
            } else if (applyErrorRule(*connection, pipe, request.result.error) == ErrorRule::Stop) {
                fatal = request.result.error;
                return false;
            }
        }
        return true;
    };

    bool running = true;
    while (running) {
        // Submit every free read. One that cannot be submitted stays free and is tried again in the next round, so
        // the pool never shrinks for good.
        bool submitted = false;
        UsbError submitError = kErrorSuccess;
        for (std::uint32_t tag = 0; tag < requests.size() && running; ++tag) {
            Request& request = requests[tag];
            if (request.busy) {
                continue;
            }
            if (stopRequested(stop)) {
                running = false;
                break;
            }
            const Transfer result = connection->submitRead(pipe, tag, request.buffer);
            if (result.error == kErrorIoPending || result.succeeded()) {
                request.busy = true;
                request.done = result.succeeded();
                request.result = result;
                order.push_back(tag);
                submitted = true;
            } else if (applyErrorRule(*connection, pipe, result.error) == ErrorRule::Stop) {
                fatal = result.error;
                running = false;
            } else {
                submitError = result.error;
            }
        }
        if (!running) {
            break;
        }
        if (order.empty() && !submitted) {
            // Not one read could be submitted: the sensor would fall silent without a word.
            fatal = submitError;
            break;
        }
        if (!handOn()) {
            break;
        }
        if (order.empty()) {
            continue;
        }
        const UsbConnection::Wait wait = connection->waitRead(kWaitSlice);
        if (stopRequested(stop)) {
            break;
        }
        if (wait.error != kErrorSuccess) {
            fatal = wait.error;
            break;
        }
        if (!wait.completion || wait.completion->tag >= requests.size() || !requests[wait.completion->tag].busy) {
            continue;
        }
        Request& finished = requests[wait.completion->tag];
        finished.done = true;
        finished.result = wait.completion->result;
        if (!handOn()) {
            break;
        }
    }
    (void)connection->abortPipe(pipe); // the requests' buffers are free once it returns
    if (fatal != kErrorSuccess && !stopRequested(stop)) {
        bool stopFlag = false;
        m_device.OnReadError(fatal, stopFlag);
        m_device.eventLost.raise();
    }
}

void UsbDeviceReader::runDriver(platform::kernel::Event& stop)
{
    std::vector<std::uint8_t> buffer(m_device.readBufferSize());
    const std::chrono::milliseconds timeout = m_device.readTimeout();
    bool pending = false;
    bool done = false;
    bool lost = false;
    // A failed read goes to OnReadError; reading ends when it asks to stop or closed the handle.
    const auto readFailed = [&](UsbError error) {
        bool stopFlag = false;
        m_device.OnReadError(error, stopFlag);
        lost = stopFlag || !m_device.isOpen();
        return lost;
    };
    while (!done && !stopRequested(stop)) {
        UsbConnection* connection = m_device.connection();
        if (connection == nullptr) {
            return;
        }
        if (!pending) {
            const Transfer read = connection->submitRead(kDriverReadPipe, 0, buffer);
            if (read.succeeded()) {
                m_device.OnReadComplete(std::span(buffer).first(read.length));
                continue;
            }
            if (read.error != kErrorIoPending) {
                done = readFailed(read.error);
                continue;
            }
            pending = true;
        }
        const auto started = std::chrono::steady_clock::now();
        const bool limited = timeout != std::chrono::milliseconds::max();
        bool waiting = true;
        while (waiting) {
            const auto waited =
                std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
            const auto slice =
                limited ? std::min(kWaitSlice, std::max(timeout - waited, std::chrono::milliseconds{0})) : kWaitSlice;
            const UsbConnection::Wait wait = connection->waitRead(slice);
            if (stopRequested(stop)) {
                break;
            }
            waiting = false;
            if (wait.error != kErrorSuccess) {
                done = readFailed(wait.error);
            } else if (wait.completion) {
                pending = false;
                const Transfer& result = wait.completion->result;
                if (result.succeeded()) {
                    m_device.OnReadComplete(std::span(buffer).first(std::min(result.length, buffer.size())));
                } else {
                    done = readFailed(result.error);
                }
            } else if (limited && waited + slice >= timeout) {
                bool stopFlag = false;
                m_device.OnReadTimeout(stopFlag);
                done = stopFlag;
            } else {
                waiting = true;
            }
        }
    }
    if (pending) {
        if (UsbConnection* connection = m_device.connection()) {
            (void)connection->abortPipe(kDriverReadPipe);
        }
    }
    if (lost && !stopRequested(stop)) {
        m_device.eventLost.raise();
    }
}

} // namespace talvolink
