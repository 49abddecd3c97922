#include "talvolink/DeviceFactory.h"

#include "talvolink/DeviceModel.h"

namespace talvolink {

namespace {

class SystemDeviceFactory final : public DeviceFactory {
public:
    platform::Result<std::unique_ptr<platform::serial::SerialPort>> openPort(LONG commPort) override
    {
        return platform::serial::openSerialPort(commPort);
    }

    // FIXME: the serial sensors' plug-and-play probe and models are not built yet.
    bool probe(platform::serial::SerialPort& /*port*/, PnpRecord& record) override
    {
        record = PnpRecord{};
        return false;
    }

    std::unique_ptr<CGenericTalvo> createSerialModel(LONG /*modelCode*/, DeviceHost& /*host*/,
                                                     std::unique_ptr<platform::serial::SerialPort> /*port*/) override
    {
        return nullptr;
    }

    // FIXME: the USB device models are not built yet.
    std::unique_ptr<CGenericTalvo> createUsbModel(const std::u16string& /*devicePath*/, DeviceHost& /*host*/) override
    {
        return nullptr;
    }
};

} // namespace

std::unique_ptr<DeviceFactory> makeDeviceFactory()
{
    return std::make_unique<SystemDeviceFactory>();
}

} // namespace talvolink
