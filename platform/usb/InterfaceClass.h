#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace platform::usb {

/// The kinds of device the sensors' drivers tell apart. Each stands for a device-interface class.
enum class InterfaceClass : std::uint8_t {
    OpticalSensor,
    TargetController,
    TriggerSensor,
    PulseSensor,
    WirelessTarget,
    DovecoteTarget,
    ImageSensor,
};

struct UsbId {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;

    bool operator==(const UsbId&) const = default;
};

/// The vendor and product ids of one class; the udev rules shipped with the program list the same ids.
std::span<const UsbId> idsOfClass(InterfaceClass interfaceClass);

/// The class a device belongs to, none for a device that is not ours.
std::optional<InterfaceClass> classOfDevice(UsbId id);

/// Every class, in the order above.
std::span<const InterfaceClass> allInterfaceClasses();

} // namespace platform::usb
