#pragma once

#include "platform/usb/UsbTransport.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace platform::usb {

/// Steps of a fake device that a test can make fail.
enum class FakeStep : std::uint8_t { Open, Descriptor, InterfaceSettings, QueryPipe, SubmitRead, WaitRead };

/// One vendor request as the device saw it, with the data that came with it.
struct FakeRequest {
    SetupPacket setup;
    std::vector<std::uint8_t> data;
};

/// A device on the fake bus. It answers vendor requests from a script, hands fed blocks to the reads in the order
/// they were submitted, fails a step on command, stalls its pipe and can be unplugged.
/// Thread rule: any thread.
class FakeUsbDevice {
public:
    /// Answers one vendor request: fills `data` for a request from the device, and returns the outcome.
    using VendorScript = std::function<Transfer(const SetupPacket& setup, std::span<std::uint8_t> data)>;

    FakeUsbDevice(std::string path, UsbId id);

    const std::string& path() const { return m_path; }
    UsbId id() const { return m_id; }

    // Set-up, before the device is opened.
    /// False: WinUSB does not take the device and only the older driver's controls answer.
    void setWinUsb(bool winUsb);
    void setDescriptor(std::vector<std::uint8_t> descriptor);
    void setPipes(std::vector<PipeInformation> pipes);
    void setVendorScript(VendorScript script);
    /// Another program holds the device.
    void setBusy(bool busy);
    /// The step fails with `error` until it is given kErrorSuccess again.
    void failStep(FakeStep step, UsbError error);

    // Data.
    /// The next read gets these bytes (at most its buffer's size).
    void feed(std::vector<std::uint8_t> block);
    /// The next read fails with `error`.
    void failRead(UsbError error);
    /// The pipe halts: the oldest read fails with kErrorGenFailure, and further reads fail until the halt is cleared
    /// (by AutoClearStall at once, or by a reset).
    void stall();
    /// The device goes away: pending reads fail with kErrorBadCommand, and so does every later call.
    void unplug();

    // What happened.
    std::vector<FakeRequest> requests() const;
    /// The inputs of the older driver's controls, in order.
    std::vector<std::vector<std::uint8_t>> ioControlInputs() const;
    std::uint32_t policy(std::uint8_t pipeId, PipePolicy policy) const;
    int pipeResets() const;
    int haltsCleared() const;
    bool isOpen() const;
    bool isPlugged() const;
    std::size_t pendingReads() const;
    /// Waits (bounded) until `count` reads are pending.
    bool waitForPendingReads(std::size_t count, std::chrono::milliseconds timeout) const;

private:
    friend class FakeUsbConnection;
    friend class FakeUsbTransport;

    struct PendingRead {
        std::uint32_t tag;
        std::span<std::uint8_t> buffer;
    };
    struct Feed {
        std::vector<std::uint8_t> bytes;
        UsbError error = kErrorSuccess;
    };

    UsbError stepError(FakeStep step) const;
    void completeReads();
    Transfer vendorRequest(const SetupPacket& setup, std::span<std::uint8_t> data);

    const std::string m_path;
    const UsbId m_id;

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    bool m_winUsb = true;
    bool m_busy = false;
    bool m_open = false;
    bool m_plugged = true;
    bool m_halted = false;
    bool m_woken = false;
    std::vector<std::uint8_t> m_descriptor;
    std::vector<PipeInformation> m_pipes;
    VendorScript m_script;
    std::vector<std::pair<FakeStep, UsbError>> m_failures;
    std::deque<Feed> m_feeds;
    std::deque<PendingRead> m_pending;
    std::deque<ReadCompletion> m_completions;
    std::vector<FakeRequest> m_requests;
    std::vector<std::vector<std::uint8_t>> m_ioControls;
    std::vector<std::pair<std::uint16_t, std::uint32_t>> m_policies;
    int m_pipeResets = 0;
    int m_haltsCleared = 0;
};

/// An in-memory bus of FakeUsbDevices.
/// Thread rule: any thread.
class FakeUsbTransport final : public UsbTransport {
public:
    /// Adds a device; it stays owned by the bus.
    FakeUsbDevice& plug(std::string path, UsbId id);
    /// Listing the bus fails (as when the device-information set cannot be opened).
    void setEnumerationFails(bool fails);

    Result<std::vector<DeviceInterface>> enumerate(InterfaceClass interfaceClass) override;
    Opened open(const std::string& path) override;

private:
    std::mutex m_mutex;
    std::vector<std::shared_ptr<FakeUsbDevice>> m_devices;
    bool m_enumerationFails = false;
};

/// The 18 bytes of a device descriptor with these ids and configuration count.
std::vector<std::uint8_t> makeDeviceDescriptor(UsbId id, std::uint8_t configurationCount = 1);

} // namespace platform::usb
