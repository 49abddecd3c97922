#include "platform/usb/InterfaceClass.h"

#include <array>

namespace platform::usb {

namespace {

// The Dovecote trainer's maker has a vendor id of its own; its target answers like our wireless receiver.
constexpr std::uint16_t kTalvoVendor = 0x2D7A;
constexpr std::uint16_t kDovecoteVendor = 0x2D7B;

struct ClassIds {
    InterfaceClass interfaceClass;
    UsbId id;
};

constexpr std::array kTable{
    ClassIds{InterfaceClass::OpticalSensor, {kTalvoVendor, 0x000E}},
    ClassIds{InterfaceClass::TargetController, {kTalvoVendor, 0x0010}},
    ClassIds{InterfaceClass::TriggerSensor, {kTalvoVendor, 0x0012}},
    ClassIds{InterfaceClass::PulseSensor, {kTalvoVendor, 0x0014}},
    ClassIds{InterfaceClass::WirelessTarget, {kTalvoVendor, 0x0022}},
    ClassIds{InterfaceClass::DovecoteTarget, {kDovecoteVendor, 0x0022}},
    ClassIds{InterfaceClass::ImageSensor, {kTalvoVendor, 0x0030}},
};

constexpr std::array kClasses{InterfaceClass::OpticalSensor,  InterfaceClass::TargetController,
                              InterfaceClass::TriggerSensor,  InterfaceClass::PulseSensor,
                              InterfaceClass::WirelessTarget, InterfaceClass::DovecoteTarget,
                              InterfaceClass::ImageSensor};

} // namespace

std::span<const UsbId> idsOfClass(InterfaceClass interfaceClass)
{
    for (const auto& entry : kTable) {
        if (entry.interfaceClass == interfaceClass) {
            return {&entry.id, 1};
        }
    }
    return {};
}

std::optional<InterfaceClass> classOfDevice(UsbId id)
{
    for (const auto& entry : kTable) {
        if (entry.id == id) {
            return entry.interfaceClass;
        }
    }
    return std::nullopt;
}

std::span<const InterfaceClass> allInterfaceClasses()
{
    return kClasses;
}

} // namespace platform::usb
