#include "talvodesk/core/practice/DeviceListing.h"

#include "talvolink/qv/QVProbe.h"
#include "talvolink/usb/UsbDeviceProbe.h"

#include "platform/com/Bstr.h"
#include "platform/usb/UsbTransport.h"

#include <algorithm>

namespace talvodesk {
namespace {

using platform::usb::InterfaceClass;

constexpr const char* kBusyMark = " - busy";

struct ListedClass {
    InterfaceClass interfaceClass;
    const char* name; ///< The entry text before the number.
    long idBase;
};

// The order in which the classes are listed.
constexpr ListedClass kListedClasses[] = {
    {InterfaceClass::OpticalSensor, "Talvo USB #", kOpticalSensorIdBase},
    {InterfaceClass::WirelessTarget, "Talvo Wireless #", kWirelessTargetIdBase},
    {InterfaceClass::ImageSensor, "Talvo QV #", kImageSensorIdBase},
    {InterfaceClass::DovecoteTarget, "Talvo Wireless (Dovecote trainer) #", kDovecoteTargetIdBase},
};

void listSerialPorts(ITalvoDevice& probe, DeviceList& list)
{
    for (int port = 1; port <= kListedPorts; ++port) {
        VARIANT_BOOL found = VARIANT_FALSE;
        if (FAILED(probe.put_CommPort(port)) || FAILED(probe.LookupDevice(&found)) || found != VARIANT_TRUE) {
            continue;
        }
        BSTR name = nullptr;
        if (FAILED(probe.get_ModelName(&name))) {
            continue;
        }
        const platform::com::Bstr model = platform::com::Bstr::adopt(name);
        list.entries.push_back(
            {u"COM" + platform::com::utf8ToUtf16(std::to_string(port)) + u": " + std::u16string(model.view()), port});
    }
}

/// True when the device could be opened (it is free); a probe opens and closes it without a reader.
bool isFree(platform::usb::UsbTransport& bus, const std::string& path)
{
    talvolink::UsbDeviceProbe probe(bus);
    probe.setUsesReader(false);
    const bool opened = probe.Open(path);
    probe.Close();
    return opened;
}

void listClass(const DeviceListSources& sources, const ListedClass& listed, DeviceList& list)
{
    auto interfaces = sources.bus.enumerate(listed.interfaceClass);
    if (!interfaces) {
        return;
    }
    const int count = std::min<int>(kListedInterfaces, static_cast<int>(interfaces->size()));
    for (int index = 0; index < count; ++index) {
        const std::string& path = (*interfaces)[index].path;
        bool busy = false;
        if (listed.interfaceClass == InterfaceClass::ImageSensor) {
            const auto probe = talvolink::ProbeImageSensor(sources.bus, sources.clock, path);
            // The start exchange itself turns down models other than 0 and 5.
            if (!probe.opened) {
                list.imageSensorErrors.push_back(probe.errorText);
                continue;
            }
        } else {
            busy = !isFree(sources.bus, path);
        }
        const long id = listed.idBase + index;
        const std::string text = listed.name + std::to_string(index + 1) + (busy ? kBusyMark : "");
        list.entries.push_back({platform::com::utf8ToUtf16(text), id});
        list.paths[id] = path;
    }
}

} // namespace

DeviceList ListDevices(const DeviceListSources& sources)
{
    DeviceList list;
    if (sources.serialProbe) {
        listSerialPorts(*sources.serialProbe, list);
    }
    for (const ListedClass& listed : kListedClasses) {
        listClass(sources, listed, list);
    }
    return list;
}

bool IsDeviceOfInterfaceClass(platform::usb::UsbTransport& bus, const std::string& path, InterfaceClass interfaceClass)
{
    const auto interfaces = bus.enumerate(interfaceClass);
    if (!interfaces) {
        return false;
    }
    const auto listed = interfaces->begin() + std::min<std::ptrdiff_t>(kListedInterfaces, interfaces->size());
    return std::any_of(interfaces->begin(), listed,
                       [&](const platform::usb::DeviceInterface& found) { return found.path == path; });
}

bool IsUsbDeviceSelected(const std::optional<SelectedDevice>& selected)
{
    return selected && selected->id > kListedPorts;
}

bool IsWirelessSelected(platform::usb::UsbTransport& bus, const std::optional<SelectedDevice>& selected)
{
    return selected && selected->id >= kWirelessTargetIdBase &&
           (IsDeviceOfInterfaceClass(bus, selected->path, InterfaceClass::WirelessTarget) ||
            IsDeviceOfInterfaceClass(bus, selected->path, InterfaceClass::DovecoteTarget));
}

bool IsImageSensorSelected(platform::usb::UsbTransport& bus, const std::optional<SelectedDevice>& selected)
{
    return selected && selected->id >= kImageSensorIdBase &&
           IsDeviceOfInterfaceClass(bus, selected->path, InterfaceClass::ImageSensor);
}

} // namespace talvodesk
