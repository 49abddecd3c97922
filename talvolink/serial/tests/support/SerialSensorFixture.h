#pragma once

#include "talvolink/serial/tests/support/RecordingHost.h"

#include "talvolink/DeviceModel.h"

#include "tools/sensorsim/SensorSimulator.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>

namespace talvolink::testsupport {

/// A simulated sensor on a test port, the port opened as the control opens it, and a RecordingHost with the
/// shipped event "AR10" on sub-device 1.
class SerialSensorFixture : public ::testing::Test {
protected:
    // Bounds the waits on a condition; passing it is a failure, never the expected path.
    static constexpr std::chrono::milliseconds kPatience{20000};

    void SetUp() override;
    void TearDown() override;

    /// Starts the simulated sensor and opens its port; with `probe`, identifies it into the host's device
    /// information as the control does before it creates the model.
    void plugSensor(int modelCode, bool probe = true);
    /// Creates the model on the open port, hands it the piezo sensitivity and opens it.
    template <typename Model> Model& openModel()
    {
        auto model = std::make_unique<Model>(m_host, std::move(m_port));
        Model& opened = *model;
        m_model = std::move(model);
        m_model->PutPiezoSensitivity(1, m_host.subDevice(1).piezoSensitivity);
        EXPECT_TRUE(m_model->Open()) << m_host.lastErrorText;
        return opened;
    }
    void closeModel();

    /// The commands the sensor took, with the speed they came at, once `count` have come.
    std::vector<sensorsim::ReceivedCommand> commandsOnce(std::size_t count);
    /// Pumps the control's thread until the host saw `count` events of `kind`.
    bool pumpUntilFired(RecordingHost::Kind kind, std::size_t count = 1);

    RecordingHost m_host;
    std::unique_ptr<sensorsim::SensorSimulator> m_sensor;
    std::unique_ptr<platform::serial::SerialPort> m_port;
    std::unique_ptr<CGenericTalvo> m_model;
};

} // namespace talvolink::testsupport
