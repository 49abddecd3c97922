#pragma once

#include "talvolink/DeviceRecord.h"

#include "platform/com/Result.h"
#include "platform/com/Types.h"
#include "platform/serial/SerialPort.h"

#include <memory>
#include <string>

namespace platform::time {
class Clock;
}
namespace platform::usb {
class UsbTransport;
}

namespace talvolink {

class CGenericTalvo;
class DeviceHost;

/// Where the control gets its ports, its plug-and-play probe and its device models; the control runs the
/// connection steps itself. Tests give their own.
/// Thread rule: owner (control's) thread.
class DeviceFactory {
public:
    virtual ~DeviceFactory() = default;

    /// Opens COM<commPort> for reading and writing, exclusively.
    virtual platform::Result<std::unique_ptr<platform::serial::SerialPort>> openPort(LONG commPort) = 0;
    /// The plug-and-play probe, pausing on `clock`: true when one of our sensors answered; the record is filled
    /// whenever the answer parses and zeroed when it does not.
    virtual bool probe(platform::serial::SerialPort& port, PnpRecord& record, platform::time::Clock& clock) = 0;
    /// The model of a serial sensor by its model code, owning the open port; null for an unknown code.
    virtual std::unique_ptr<CGenericTalvo> createSerialModel(LONG modelCode, DeviceHost& host,
                                                             std::unique_ptr<platform::serial::SerialPort> port) = 0;
    /// The model for a USB device interface path, which also writes the model name and code into the host's
    /// device information; null when the path belongs to no device the link knows.
    virtual std::unique_ptr<CGenericTalvo> createUsbModel(const std::u16string& devicePath, DeviceHost& host) = 0;
};

/// The factory of the real devices.
std::unique_ptr<DeviceFactory> makeDeviceFactory();
/// The same on another bus (a fake one in tests).
std::unique_ptr<DeviceFactory> makeDeviceFactory(platform::usb::UsbTransport& usb);

} // namespace talvolink
