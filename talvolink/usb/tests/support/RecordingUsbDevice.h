#pragma once

#include "talvolink/usb/UsbDevice.h"

#include "platform/usb/UsbTransportFake.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

namespace talvolink::testsupport {

/// A UsbDevice that records what its reader hands it. Initialize answers as set; OnReadError closes the handle as
/// the sensors do.
class RecordingUsbDevice final : public UsbDevice {
public:
    using UsbDevice::setTaggedBlocks;
    using UsbDevice::UsbDevice;
    ~RecordingUsbDevice() override { Close(); }

    bool initializeResult = true;
    std::string initializeText;
    bool stopOnTimeout = false;

    bool Initialize() override
    {
        if (!initializeText.empty()) {
            setErrorText(initializeText);
        }
        return initializeResult;
    }

    void OnData(std::span<const std::uint8_t> bytes) override { record(data, bytes); }
    void OnPacket(std::span<const std::uint8_t> bytes) override { record(packets, bytes); }
    void OnReadError(platform::usb::UsbError error, bool& /*stop*/) override
    {
        CloseHandle();
        std::lock_guard lock(mutex);
        errors.push_back(error);
        changed.notify_all();
    }
    void OnReadTimeout(bool& stop) override
    {
        std::lock_guard lock(mutex);
        ++timeouts;
        stop = stopOnTimeout;
        changed.notify_all();
    }

    /// Waits (bounded) until `ready` holds under the lock.
    template <typename Ready> bool waitFor(Ready ready)
    {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(10), ready);
    }

    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::vector<std::uint8_t>> data;
    std::vector<std::vector<std::uint8_t>> packets;
    std::vector<platform::usb::UsbError> errors;
    int timeouts = 0;

private:
    void record(std::vector<std::vector<std::uint8_t>>& into, std::span<const std::uint8_t> bytes)
    {
        std::lock_guard lock(mutex);
        into.emplace_back(bytes.begin(), bytes.end());
        changed.notify_all();
    }
};

/// A vendor script that answers every request from the device with `fill` bytes and takes every request to it.
inline platform::usb::FakeUsbDevice::VendorScript answerAll(std::uint8_t fill)
{
    return [fill](const platform::usb::SetupPacket& setup, std::span<std::uint8_t> data) {
        if ((setup.requestType & 0x80) != 0) {
            std::fill(data.begin(), data.end(), fill);
        }
        return platform::usb::Transfer{platform::usb::kErrorSuccess, data.size()};
    };
}

} // namespace talvolink::testsupport
