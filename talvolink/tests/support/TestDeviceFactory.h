#pragma once

#include "talvolink/tests/support/ScriptedDevice.h"

#include "talvolink/DeviceFactory.h"

#include <atomic>
#include <memory>
#include <vector>

namespace talvolink::testsupport {

/// Devices for the control's tests: fake serial ports, a probe that answers as told, and ScriptedDevice models
/// for serial codes and USB paths alike, or the real serial models on the fake port. It keeps an observing pointer
/// to the last model it made.
class TestDeviceFactory final : public DeviceFactory {
public:
    struct Settings {
        bool portOpens = true;
        bool sensorAnswers = true;
        LONG modelCode = 300;
        bool sensorStarts = true;
        std::vector<DeviceRecord> script;
        bool serialModels = false; ///< The real model of the code instead of a scripted one.
    };

    explicit TestDeviceFactory(Settings settings) : m_settings(std::move(settings)) {}

    platform::Result<std::unique_ptr<platform::serial::SerialPort>> openPort(LONG commPort) override;
    bool probe(platform::serial::SerialPort& port, PnpRecord& record, platform::time::Clock& clock) override;
    std::unique_ptr<CGenericTalvo> createSerialModel(LONG modelCode, DeviceHost& host,
                                                     std::unique_ptr<platform::serial::SerialPort> port) override;
    std::unique_ptr<CGenericTalvo> createUsbModel(const std::u16string& devicePath, DeviceHost& host) override;

    /// The model made last; it lives while the control stays connected.
    ScriptedDevice* lastModel() const { return m_lastModel; }
    /// The real serial model made last, with `serialModels`.
    CGenericTalvo* lastSerialModel() const { return m_lastSerialModel; }
    /// Fake ports open right now.
    int openPorts() const { return m_openPorts->load(); }
    /// The same count, for checks after the control (and this factory) are gone.
    std::shared_ptr<std::atomic<int>> openPortCounter() const { return m_openPorts; }
    int probes() const { return m_probes; }

private:
    Settings m_settings;
    ScriptedDevice* m_lastModel = nullptr;
    CGenericTalvo* m_lastSerialModel = nullptr;
    std::shared_ptr<std::atomic<int>> m_openPorts = std::make_shared<std::atomic<int>>(0);
    int m_probes = 0;
};

} // namespace talvolink::testsupport
