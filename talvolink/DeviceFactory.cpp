#include "talvolink/DeviceFactory.h"

#include "talvolink/DeviceModel.h"
#include "talvolink/serial/PnpProbe.h"
#include "talvolink/serial/Talvo306.h"
#include "talvolink/serial/TalvoPavane.h"
#include "talvolink/serial/TalvoPavane_s.h"
#include "talvolink/serial/TalvoPavanei.h"

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

    // FIXME: model 307 (Biathlon) is not built yet.
    std::unique_ptr<CGenericTalvo> createSerialModel(LONG modelCode, DeviceHost& host,
                                                     std::unique_ptr<platform::serial::SerialPort> port) override
    {
        switch (modelCode) {
        case 300:
            return std::make_unique<CTalvoPavane>(host, std::move(port));
        case 302:
            return std::make_unique<CTalvoPavanei>(host, std::move(port));
        case 303:
            return std::make_unique<CTalvoPavane_s>(host, std::move(port));
        case 306:
            return std::make_unique<CTalvo306>(host, std::move(port));
        default:
            return nullptr;
        }
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
