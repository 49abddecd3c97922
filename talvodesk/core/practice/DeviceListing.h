#pragma once

#include "interfaces/talvolink/ITalvoDevice.h"

#include "platform/usb/InterfaceClass.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace platform::time {
class Clock;
}
namespace platform::usb {
class UsbTransport;
}

namespace talvodesk {

/// Device ids of the USB entries: the base of the class plus the interface's index in its class.
inline constexpr long kOpticalSensorIdBase = 257;
inline constexpr long kWirelessTargetIdBase = 1024;
inline constexpr long kDovecoteTargetIdBase = 2048;
inline constexpr long kImageSensorIdBase = 4096;
/// Serial ports and interfaces of one class looked at.
inline constexpr int kListedPorts = 256;
inline constexpr int kListedInterfaces = 256;

/// One sensor that can be chosen: its text and its device id (the item data).
struct DeviceListEntry {
    std::u16string text;
    long id = 0;
};

/// The sensors found, in the order of discovery (the drop-down sorts them), with the path of each USB entry by
/// device id, and the error texts of image sensors that could not be opened, to be shown one by one.
struct DeviceList {
    std::vector<DeviceListEntry> entries;
    std::map<long, std::string> paths;
    std::vector<std::string> imageSensorErrors;
};

/// Where the listing looks. `serialProbe` is the device control whose LookupDevice probes each serial port; null
/// when legacy devices are disabled. Every USB device is opened without its reader, so no thread is started.
struct DeviceListSources {
    ITalvoDevice* serialProbe = nullptr;
    platform::usb::UsbTransport& bus;
    platform::time::Clock& clock;
};

/// Serial sensors first, then the present USB devices of the optical, wireless, image-sensor and Dovecote classes;
/// a device another program holds is marked busy, an image sensor that fails its start exchange is left out.
DeviceList ListDevices(const DeviceListSources& sources);

/// True when one of the first 256 present interfaces of the class has exactly this path (letter case counts).
bool IsDeviceOfInterfaceClass(platform::usb::UsbTransport& bus, const std::string& path,
                              platform::usb::InterfaceClass interfaceClass);

/// The entry chosen in the list: its device id and its path (empty for a serial port).
struct SelectedDevice {
    long id = 0;
    std::string path;
};

// What the chosen entry is; false when nothing is chosen.
bool IsUsbDeviceSelected(const std::optional<SelectedDevice>& selected);
bool IsWirelessSelected(platform::usb::UsbTransport& bus, const std::optional<SelectedDevice>& selected);
bool IsImageSensorSelected(platform::usb::UsbTransport& bus, const std::optional<SelectedDevice>& selected);

} // namespace talvodesk
