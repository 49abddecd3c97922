#pragma once

#include "talvolink/AimingStateMachine.h"

#include <atomic>
#include <memory>
#include <vector>

namespace talvolink::testsupport {

/// A serial-style device model fed from a script: its reader thread queues one scripted record per sample period
/// of the host's clock (virtual time in tests), and tests may queue records themselves from any thread.
/// It keeps every record it processed. The range divisor is fixed: with level 78 and divisor 10 one sensor unit
/// is one millimetre.
class ScriptedDevice final : public AimingStateMachine {
public:
    ScriptedDevice(DeviceHost& host, std::unique_ptr<platform::serial::SerialPort> port,
                   std::vector<DeviceRecord> script, int rangeDivisor = 10);
    ~ScriptedDevice() override;

    int SequenceModulus() override { return 256; }
    void ApplyEventTarget() override { setRangeDivisor(m_rangeDivisor); }
    /// False, with its reason in the host's last error text, when told so.
    bool Start() override;
    void Stop() override;
    void OnRecord(const DeviceRecord& record) override;

    const std::vector<DeviceRecord>& processed() const { return m_processed; }
    void setStarts(bool starts) { m_starts = starts; }
    /// Whether a reconnection finds the same sensor again (it needs a port).
    void setIdentifiesAgain(bool identifies) { m_identifiesAgain = identifies; }
    /// Set when the reader thread has left its body; shared so it outlives the model.
    std::shared_ptr<std::atomic<bool>> readerFinished() const { return m_readerFinished; }
    /// The number of scripted records the reader has queued so far.
    std::shared_ptr<std::atomic<int>> readerQueued() const { return m_readerQueued; }

protected:
    bool StartReader() override;
    bool IdentifyAgain() override { return m_identifiesAgain; }

private:
    std::vector<DeviceRecord> m_script;
    int m_rangeDivisor;
    bool m_identifiesAgain = false;
    bool m_starts = true;
    std::vector<DeviceRecord> m_processed;
    std::shared_ptr<std::atomic<bool>> m_readerFinished = std::make_shared<std::atomic<bool>>(false);
    std::shared_ptr<std::atomic<int>> m_readerQueued = std::make_shared<std::atomic<int>>(0);
};

/// A record of the Pavane family's fields.
DeviceRecord makeRecord(int level, int piezo = 0, int x = 0, int y = 0, int sequence = 0);

} // namespace talvolink::testsupport
