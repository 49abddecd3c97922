#include "talvolink/tests/support/TestDeviceFactory.h"

#include "talvolink/tests/support/FakeSerialPort.h"

#include "talvolink/serial/SerialModels.h"

#include <cstring>

namespace talvolink::testsupport {

platform::Result<std::unique_ptr<platform::serial::SerialPort>> TestDeviceFactory::openPort(LONG commPort)
{
    if (!m_settings.portOpens) {
        return platform::Error{E_ACCESSDENIED, "COM" + std::to_string(commPort) + " is held by another program"};
    }
    return std::unique_ptr<platform::serial::SerialPort>(std::make_unique<FakeSerialPort>(m_openPorts));
}

bool TestDeviceFactory::probe(platform::serial::SerialPort&, PnpRecord& record, platform::time::Clock&)
{
    ++m_probes;
    record = PnpRecord{};
    if (!m_settings.sensorAnswers) {
        return false;
    }
    std::memcpy(record.manufacturer.data(), "TLV", 3);
    record.modelCode = m_settings.modelCode;
    std::memcpy(record.serialNumber.data(), "12345678", 8);
    std::memcpy(record.modelName.data(), "Pavane", 6);
    return true;
}

std::unique_ptr<CGenericTalvo> TestDeviceFactory::createSerialModel(LONG modelCode, DeviceHost& host,
                                                                    std::unique_ptr<platform::serial::SerialPort> port)
{
    if (modelCode != m_settings.modelCode) {
        return nullptr;
    }
    if (m_settings.serialModels) {
        auto model = CreateSerialModel(modelCode, host, std::move(port));
        m_lastSerialModel = model.get();
        return model;
    }
    auto model = std::make_unique<ScriptedDevice>(host, std::move(port), m_settings.script);
    model->setStarts(m_settings.sensorStarts);
    m_lastModel = model.get();
    return model;
}

std::unique_ptr<CGenericTalvo> TestDeviceFactory::createUsbModel(const std::u16string& devicePath, DeviceHost& host)
{
    if (devicePath != u"usb:scripted") {
        return nullptr;
    }
    DeviceInformation& information = host.deviceInformation();
    information.record = PnpRecord{};
    information.record.modelCode = 500;
    std::memcpy(information.record.modelName.data(), "TALVO USB", 9);
    information.serialSlots[0] = {1, 2, 3, 4, 5, 6, 7, 200, 0};
    auto model = std::make_unique<ScriptedDevice>(host, nullptr, m_settings.script);
    m_lastModel = model.get();
    return model;
}

} // namespace talvolink::testsupport
