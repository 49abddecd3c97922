#include "talvolink/tests/support/ScriptedDevice.h"

#include "platform/time/Clock.h"

#include <chrono>
#include <utility>

namespace talvolink::testsupport {

ScriptedDevice::ScriptedDevice(DeviceHost& host, std::unique_ptr<platform::serial::SerialPort> port,
                               std::vector<DeviceRecord> script, int rangeDivisor)
    : AimingStateMachine(host, std::move(port)), m_script(std::move(script)), m_rangeDivisor(rangeDivisor)
{
}

ScriptedDevice::~ScriptedDevice() = default;

bool ScriptedDevice::Start()
{
    if (!m_starts) {
        host().setLastErrorText("the scripted sensor does not start");
    }
    return m_starts;
}

void ScriptedDevice::Stop()
{
    if (isAimingOpen()) {
        ConcludeAiming();
    }
}

void ScriptedDevice::OnRecord(const DeviceRecord& record)
{
    m_processed.push_back(record);
    AimingStateMachine::OnRecord(record);
}

bool ScriptedDevice::StartReader()
{
    if (m_script.empty()) {
        return true;
    }
    return startReaderThread([this, finished = m_readerFinished, queued = m_readerQueued,
                              period = std::chrono::milliseconds(1000 / host().sampleRate()),
                              &clock = host().clock()](platform::kernel::Event& stop) {
        for (const DeviceRecord& record : m_script) {
            if (stop.wait(period, clock)) {
                break;
            }
            QueueRecord(record);
            ++*queued;
        }
        (void)stop.wait(std::chrono::hours(24), clock); // A sensor keeps its reader until Close.
        *finished = true;
    });
}

DeviceRecord makeRecord(int level, int piezo, int x, int y, int sequence)
{
    DeviceRecord record;
    record.level = static_cast<std::int16_t>(level);
    record.piezo = static_cast<std::int16_t>(piezo);
    record.x = x;
    record.y = y;
    record.sequence = static_cast<std::uint8_t>(sequence);
    return record;
}

} // namespace talvolink::testsupport
