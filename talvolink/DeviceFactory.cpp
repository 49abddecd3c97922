#include "talvolink/DeviceFactory.h"

#include "talvolink/DeviceModel.h"
#include "talvolink/serial/PnpProbe.h"
#include "talvolink/serial/SerialModels.h"
#include "talvolink/usb/TalvoDeviceUsb.h"

#include "platform/com/Bstr.h"
#include "platform/usb/UsbTransport.h"

namespace talvolink {

namespace {

class SystemDeviceFactory final : public DeviceFactory {
public:
    platform::Result<std::unique_ptr<platform::serial::SerialPort>> openPort(LONG commPort) override
    {
        return platform::serial::openSerialPort(commPort);
    }

    bool probe(platform::serial::SerialPort& port, PnpRecord& record, platform::time::Clock& clock) override
    {
        return ProbePnpDevice(port, record, clock);
    }

    std::unique_ptr<CGenericTalvo> createSerialModel(LONG modelCode, DeviceHost& host,
                                                     std::unique_ptr<platform::serial::SerialPort> port) override
    {
        return CreateSerialModel(modelCode, host, std::move(port));
    }

    std::unique_ptr<CGenericTalvo> createUsbModel(const std::u16string& devicePath, DeviceHost& host) override
    {
        return CreateUsbModel(platform::com::utf16ToUtf8(devicePath), host, platform::usb::systemUsbTransport());
    }
};

} // namespace

std::unique_ptr<DeviceFactory> makeDeviceFactory()
{
    return std::make_unique<SystemDeviceFactory>();
}

} // namespace talvolink
