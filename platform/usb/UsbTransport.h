#pragma once

#include "platform/usb/InterfaceClass.h"
#include "platform/usb/UsbTypes.h"

#include "platform/com/Result.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform::usb {

/// The pipe identifier that reads through the older driver (its ReadFile) rather than a WinUSB pipe.
inline constexpr std::uint8_t kDriverReadPipe = 0;

/// One open device, shaped as WinUSB and the older driver's controls reach it. Every call answers a Win32 error
/// code. Reads run as a pool: each submitted read carries a tag and finishes once, through waitRead.
/// Thread rule: any thread (locks internally). Destroying it cancels the pending reads; no read touches its buffer
/// afterwards.
class UsbConnection {
public:
    virtual ~UsbConnection() = default;

    /// Binds WinUSB to the device; a failure leaves the older driver's controls.
    virtual UsbError initializeWinUsb() = 0;
    /// The 18-byte device descriptor through WinUSB.
    virtual Transfer deviceDescriptor(std::span<std::uint8_t> buffer) = 0;
    /// The settings of interface 0 in its alternate setting `alternate`.
    virtual UsbError queryInterfaceSettings(std::uint8_t alternate, InterfaceDescriptor& settings) = 0;
    /// Endpoint `pipeIndex` of that interface setting; kErrorInvalidParameter past the last one.
    virtual UsbError queryPipe(std::uint8_t alternate, std::uint8_t pipeIndex, PipeInformation& pipe) = 0;
    /// Pipe 0 is the control pipe, whose TransferTimeout (milliseconds) bounds control transfers.
    virtual UsbError setPipePolicy(std::uint8_t pipeId, PipePolicy policy, std::uint32_t value) = 0;
    /// A control transfer; data goes out or comes in as bit 7 of the request type says.
    virtual Transfer controlTransfer(const SetupPacket& setup, std::span<std::uint8_t> data) = 0;
    /// Clears a halt of the pipe and the data toggle.
    virtual UsbError resetPipe(std::uint8_t pipeId) = 0;
    /// Cancels the pipe's pending reads. Their buffers are free on return and their completions are dropped.
    virtual UsbError abortPipe(std::uint8_t pipeId) = 0;

    /// The older driver's input/output control.
    virtual Transfer deviceIoControl(std::uint32_t code, std::span<const std::uint8_t> input,
                                     std::span<std::uint8_t> output) = 0;

    /// Starts a read into `buffer`, which must stay valid until it finishes or is aborted: kErrorIoPending when it
    /// runs, success with the length when it finished at once, else the failure.
    virtual Transfer submitRead(std::uint8_t pipeId, std::uint32_t tag, std::span<std::uint8_t> buffer) = 0;
    /// The next finished read, none when `timeout` passed or wake() was called first; a failed wait answers its
    /// error in place of a completion.
    struct Wait {
        std::optional<ReadCompletion> completion;
        UsbError error = kErrorSuccess;
    };
    virtual Wait waitRead(std::chrono::milliseconds timeout) = 0;
    /// Ends a waitRead at once (the reader is asked to stop).
    virtual void wake() = 0;
};

/// One present device interface.
struct DeviceInterface {
    std::string path;
    UsbId id;
};

/// The bus: present devices by class, and opening a device by its path.
/// Thread rule: any thread.
class UsbTransport {
public:
    virtual ~UsbTransport() = default;

    /// The present interfaces of the class in a stable order; an error when the bus cannot be listed.
    virtual Result<std::vector<DeviceInterface>> enumerate(InterfaceClass interfaceClass) = 0;

    struct Opened {
        std::unique_ptr<UsbConnection> connection;
        UsbError error = kErrorSuccess;
    };
    /// Opens the device for reading and writing without sharing: kErrorFileNotFound when nothing is there,
    /// kErrorSharingViolation when another program holds it, kErrorAccessDenied without permission.
    virtual Opened open(const std::string& path) = 0;
};

/// Device paths compare without regard to case, as the system's interface paths do. Paths are ASCII.
bool samePath(std::string_view first, std::string_view second);

/// The real bus (libusb with udev), made on first use.
UsbTransport& systemUsbTransport();

} // namespace platform::usb
