#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace platform::usb {

/// A Win32 error code (0 is success): the reader's error rule and the devices' error texts speak these.
using UsbError = std::uint32_t;

inline constexpr UsbError kErrorSuccess = 0;
inline constexpr UsbError kErrorFileNotFound = 2;
inline constexpr UsbError kErrorAccessDenied = 5;
inline constexpr UsbError kErrorInvalidHandle = 6;
inline constexpr UsbError kErrorBadCommand = 22;
inline constexpr UsbError kErrorGenFailure = 31;
inline constexpr UsbError kErrorSharingViolation = 32;
inline constexpr UsbError kErrorNotSupported = 50;
inline constexpr UsbError kErrorInvalidParameter = 87;
inline constexpr UsbError kErrorSemTimeout = 121;
inline constexpr UsbError kErrorOperationAborted = 995;
inline constexpr UsbError kErrorIoPending = 997;

/// The outcome of one transfer: the error, and on success the bytes moved.
struct Transfer {
    UsbError error = kErrorSuccess;
    std::size_t length = 0;

    bool succeeded() const { return error == kErrorSuccess; }
};

/// The eight bytes that start a control transfer.
struct SetupPacket {
    std::uint8_t requestType = 0;
    std::uint8_t request = 0;
    std::uint16_t value = 0;
    std::uint16_t index = 0;
    std::uint16_t length = 0;

    /// The packet as it travels: the 16-bit fields little-endian.
    std::array<std::uint8_t, 8> bytes() const
    {
        return {requestType,
                request,
                static_cast<std::uint8_t>(value & 0xFF),
                static_cast<std::uint8_t>(value >> 8),
                static_cast<std::uint8_t>(index & 0xFF),
                static_cast<std::uint8_t>(index >> 8),
                static_cast<std::uint8_t>(length & 0xFF),
                static_cast<std::uint8_t>(length >> 8)};
    }
    bool operator==(const SetupPacket&) const = default;
};

/// Vendor requests to the device: data from the device (0xC0) or to it (0x40).
inline constexpr std::uint8_t kVendorIn = 0xC0;
inline constexpr std::uint8_t kVendorOut = 0x40;

inline constexpr std::size_t kDeviceDescriptorLength = 18;
/// Offsets in the device descriptor.
inline constexpr std::size_t kDescriptorProductId = 10;
inline constexpr std::size_t kDescriptorConfigurationCount = 17;

/// USB_ENDPOINT_TYPE values.
enum class PipeType : std::uint8_t { Control = 0, Isochronous = 1, Bulk = 2, Interrupt = 3 };

/// An endpoint of the interface. Bit 7 of the identifier marks an IN pipe.
struct PipeInformation {
    PipeType type = PipeType::Control;
    std::uint8_t pipeId = 0;
    std::uint16_t maximumPacketSize = 0;
    std::uint8_t interval = 0;

    bool isIn() const { return (pipeId & 0x80) != 0; }
    bool operator==(const PipeInformation&) const = default;
};

/// The fields of an interface descriptor the devices use.
struct InterfaceDescriptor {
    std::uint8_t interfaceNumber = 0;
    std::uint8_t alternateSetting = 0;
    std::uint8_t endpointCount = 0;
    std::uint8_t interfaceClass = 0xFF;
};

/// Pipe policies, with the WinUSB numbers.
enum class PipePolicy : std::uint8_t { AutoClearStall = 0x02, TransferTimeout = 0x03, RawIo = 0x07 };

/// The older driver's input/output controls: a vendor request, whose input starts with the 8-byte header
/// [request, value, index, length or 0] (16 bits each, little-endian), and the device descriptor.
inline constexpr std::uint32_t kIoControlVendorRequest = 0x222000;
inline constexpr std::uint32_t kIoControlGetDescriptor = 0x222008;
inline constexpr std::size_t kIoControlHeaderLength = 8;

/// One finished read of a pool: the tag it was submitted with, its error and its length.
struct ReadCompletion {
    std::uint32_t tag = 0;
    Transfer result;
};

} // namespace platform::usb
