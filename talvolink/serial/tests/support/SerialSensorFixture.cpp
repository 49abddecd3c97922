#include "talvolink/serial/tests/support/SerialSensorFixture.h"

#include "talvolink/serial/PnpProbe.h"

#include "talvodata/tests/support/Events.h"

#include "platform/testing/Matchers.h"

namespace talvolink::testsupport {

void SerialSensorFixture::SetUp()
{
    m_host.settings[0].event = talvodata::testsupport::shippedEvent("AR10");
    ASSERT_TRUE(m_host.settings[0].event);
}

void SerialSensorFixture::TearDown()
{
    closeModel();
    if (m_sensor) {
        const sensorsim::Observation seen = m_sensor->observe();
        for (const std::string& fault : seen.faults) {
            ADD_FAILURE() << "the sensor saw: " << fault;
        }
    }
}

void SerialSensorFixture::plugSensor(int modelCode, bool probe)
{
    auto sensor = sensorsim::SensorSimulator::create(modelCode);
    ASSERT_THAT(sensor, IsOk());
    m_sensor = std::move(*sensor);
    auto port = platform::serial::openSerialDevice(m_sensor->programPath());
    ASSERT_THAT(port, IsOk());
    m_port = std::move(*port);
    if (probe) {
        ASSERT_TRUE(ProbePnpDevice(*m_port, m_host.information.record, m_host.clock()));
    }
}

void SerialSensorFixture::closeModel()
{
    if (m_model) {
        EXPECT_TRUE(m_model->Close());
        m_model.reset();
    }
}

std::vector<sensorsim::ReceivedCommand> SerialSensorFixture::commandsOnce(std::size_t count)
{
    EXPECT_TRUE(m_sensor->waitUntil(
        [count](const sensorsim::Observation& seen) { return seen.commands.size() >= count; }, kPatience));
    return m_sensor->observe().commands;
}

bool SerialSensorFixture::pumpUntilFired(RecordingHost::Kind kind, std::size_t count)
{
    return m_host.pumpUntil([&] { return m_host.count(kind) >= count; }, kPatience);
}

} // namespace talvolink::testsupport
