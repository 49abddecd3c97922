#include "talvolink/DeviceFactory.h"

#include "talvolink/DeviceModel.h"
#include "talvolink/qv/TalvoDeviceImageSensor.h"
#include "talvolink/serial/PnpProbe.h"
#include "talvolink/serial/SerialModels.h"
#include "talvolink/usb/TalvoDeviceUsb.h"

#include "platform/com/Bstr.h"
#include "platform/usb/UsbTransport.h"

namespace talvolink {

namespace {

class SystemDeviceFactory final : public DeviceFactory {
public:
    explicit SystemDeviceFactory(platform::usb::UsbTransport& usb) : m_usb(usb) {}

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
        const std::string path = platform::com::utf16ToUtf8(devicePath);
        if (!FindDeviceInterface(m_usb, path, platform::usb::InterfaceClass::ImageSensor)) {
            return CreateUsbModel(path, host, m_usb);
        }
        host.deviceInformation().record.setModel(CTalvoDeviceImageSensor::kModelCode,
                                                 CTalvoDeviceImageSensor::kModelName);
        return std::make_unique<CTalvoDeviceImageSensor>(host, m_usb, path);
    }

private:
    platform::usb::UsbTransport& m_usb;
};

} // namespace

std::unique_ptr<DeviceFactory> makeDeviceFactory()
{
    return makeDeviceFactory(platform::usb::systemUsbTransport());
}

std::unique_ptr<DeviceFactory> makeDeviceFactory(platform::usb::UsbTransport& usb)
{
    return std::make_unique<SystemDeviceFactory>(usb);
}

} // namespace talvolink
