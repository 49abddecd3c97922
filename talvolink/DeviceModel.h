#pragma once

#include "talvolink/DeviceHost.h"
#include "talvolink/DeviceRecord.h"

#include "interfaces/talvolink/Enums.h"
#include "platform/com/Types.h"
#include "platform/com/Variant.h"
#include "platform/kernel/Event.h"
#include "platform/kernel/Mutex.h"
#include "platform/kernel/OwnerThread.h"
#include "platform/kernel/Thread.h"
#include "platform/serial/SerialPort.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace platform::ui {
class MessageWindow;
}

namespace talvolink {

/// The hidden window's message that carries work from the reader threads; wParam says which.
inline constexpr UINT kDeviceMessage = 0x7FFF;
inline constexpr UINT kAppMessage = 0x8000;
inline constexpr UINT kAppMessage1 = 0x8001;

/// The wParam of kDeviceMessage.
enum class DeviceMessage : WPARAM {
    Drain = 1,        ///< Records wait in the ring (at most one pending).
    Disconnected = 2, ///< The sensor's lines dropped.
    Reconnect = 3,    ///< The lines came up again: identify the sensor and restart it.
    Timeout = 4,      ///< lParam: whole seconds without data.
};

/// The base of every device model: the ring of records that reader threads fill, the hidden window on the
/// control's thread that drains it, the record accounting, the serial port and its command channel, and the
/// slots through which the control drives a model.
/// Thread rule: owner (control's) thread, except QueueRecord, postDeviceMessage, countInvalidPacket, lineUp,
/// setLineUp and port(), which reader threads use.
class CGenericTalvo {
public:
    /// Serial models get the open port; models without one (USB, scripted tests) get null.
    CGenericTalvo(DeviceHost& host, std::unique_ptr<platform::serial::SerialPort> port);
    virtual ~CGenericTalvo();
    CGenericTalvo(const CGenericTalvo&) = delete;
    CGenericTalvo& operator=(const CGenericTalvo&) = delete;

    /// Stops and joins the reader thread, Stop, restores the port's time-outs, frees the ring, closes the port.
    virtual bool Close();
    /// A sink disconnected the device inside an event: the record being processed is the last, and the control
    /// calls Close once its dispatch has ended.
    void markClosing() { m_closed = true; }
    virtual bool GetValue(LONG index, VARIANT* result);
    virtual bool PutValue(LONG index, const VARIANT& value);
    virtual bool SemaphoreAvailable();
    virtual bool PulseAvailable();
    virtual bool TriggerControlAvailable();
    virtual bool LedsBrightnessAvailable();
    virtual LONG GetLedsBrightness();
    virtual void PutLedsBrightness(LONG value);
    virtual bool LampsBrightnessAvailable();
    virtual LONG GetLampsBrightness();
    virtual void PutLampsBrightness(LONG value);
    virtual int PacketLength();
    virtual std::uint32_t BaudRate();
    virtual platform::serial::StopBits StopBits();
    virtual int SequenceModulus() = 0;
    virtual void PutPiezoSensitivity(LONG nSubDevice, LONG value) = 0;
    virtual LONG GetPiezoSensitivity(LONG nSubDevice) = 0;
    virtual LONG GetSignalLevel(LONG nSubDevice) = 0;
    virtual LONG GetPiezoLevel(LONG nSubDevice) = 0;
    virtual bool PutSemaphore(enumSemaphoreMode mode);
    virtual bool PutSubTarget(LONG nSubDevice, LONG value);
    /// index counts from 0.
    virtual bool GetTrigger(LONG nSubDevice, LONG index, LONG* value);
    virtual void GetData(std::array<float, 9>& values);
    /// Reader thread: decodes one framed packet into a zeroed record; false when its check fails.
    virtual bool ParsePacket(std::span<const std::uint8_t> packet, DeviceRecord& record);
    virtual void BeginRecords(int count);
    /// Counts received and skipped records by sequence number (skips only with a SequenceModulus), OnRecord for
    /// each, then FlushCoordinates. Stops early when a sink disconnected the device (markClosing).
    virtual void ProcessRecords(std::span<const DeviceRecord> records);
    virtual void OnRecord(const DeviceRecord& record) = 0;
    virtual void FlushCoordinates();
    /// Any thread: copies the record into the ring and asks for a drain. A full ring stalls the caller in 50 ms
    /// steps for up to 1000 ms (less when the reader is told to stop), then the record is dropped.
    virtual void QueueRecord(const DeviceRecord& record);
    /// With a port: sets its time-outs and framing (BaudRate, 8 data bits, no parity, StopBits) and purges it.
    /// Then opens the link (hidden window, ring of 5 x SampleRate records), Reconfigure, Start (false ends here),
    /// sets the lines up and starts the reader (StartReader).
    virtual bool Open();
    virtual void Reconfigure();
    virtual void SetupPort();
    virtual void ApplyEventTarget();
    virtual bool Start();
    virtual void Stop() = 0;
    virtual void ConcludeCurrentAiming(LONG nSubDevice);
    virtual void Reset(LONG nSubDevice);
    virtual void OnCorrectionChanged();
    virtual void PutCalibrationMode();
    virtual void PutFiringPoint();
    virtual void AddShot(VARIANT_BOOL vbUnlimited);
    /// True when the port's CTS and DSR are both on.
    virtual bool DevicePresent();
    virtual void OnAppMessage(WPARAM wParam, LPARAM lParam);
    virtual void OnAppMessage1(WPARAM wParam, LPARAM lParam);
    virtual void OnTimer(WPARAM wParam, LPARAM lParam);

    LONG statTotalReceived() const { return m_received; }
    LONG statTotalInvalid() const { return m_invalid.load(); }
    LONG statTotalSkipped() const { return m_skipped; }

    /// Any thread: posts kDeviceMessage with Disconnected, Reconnect or Timeout to the hidden window (nothing when
    /// it is closed). Posted, never sent, so Close never waits on a reader that waits on the control's thread.
    void postDeviceMessage(DeviceMessage message, LPARAM lParam = 0);
    /// Any thread: a packet failed its check.
    void countInvalidPacket() { ++m_invalid; }
    /// Any thread: TRUE while the sensor's lines are up.
    bool lineUp() const { return m_lineUp.load(); }
    void setLineUp(bool up) { m_lineUp.store(up); }

    /// Builds a command of 1 to 127 bytes; SendCommand appends the checksum (the complement of the 8-bit sum) and
    /// writes it, then waits 50 ms on the host's clock. False when there is no port or not every byte went out.
    void BeginCommand(std::uint8_t code);
    /// False when 127 bytes are there already.
    bool AddCommandByte(std::uint8_t value);
    bool SendCommand();

protected:
    DeviceHost& host() const { return m_host; }
    /// The open port; null for models without one. Reader threads read from it.
    platform::serial::SerialPort* port() const { return m_port.get(); }

    /// Starts the model's reader; the base starts none. Serial models start theirs with startReaderThread.
    virtual bool StartReader();
    /// Runs body on a reader thread; Close sets its stop event and joins it. False when no thread could start.
    bool startReaderThread(platform::kernel::Thread::Body body);
    /// The reconnection's identification of the sensor on the open port; true when it is the same model.
    /// The base cannot identify a sensor (false); serial models run the plug-and-play probe.
    virtual bool IdentifyAgain();

    /// Hidden window, 10 ms drain timer and an empty ring of 5 x SampleRate records; the sequence count restarts.
    void openLink();
    /// Any thread: posts an application message (kAppMessage, kAppMessage1) to the hidden window while it exists.
    void postAppMessage(UINT message, WPARAM wParam);
    /// A timer of the hidden window that calls OnTimer(id) every `interval`; id 1 is the drain's.
    void startTimer(std::uintptr_t id, std::chrono::milliseconds interval);
    /// Drains the ring now (what the drain message does). The model may be deleted when it returns.
    void drain();
    /// Starts a timer of the model's own on the hidden window (any id but 1, the drain timer's); each tick goes to
    /// OnTimer with the id. Nothing before openLink.
    void setModelTimer(std::uintptr_t timerId, std::chrono::milliseconds interval);

private:
    void onDeviceMessage(WPARAM wParam, LPARAM lParam);
    void reconnect();
    void resetRing();
    bool tryQueue(const DeviceRecord& record);

    platform::kernel::OwnerThread m_ownerThread;
    DeviceHost& m_host;
    std::unique_ptr<platform::serial::SerialPort> m_port;
    platform::serial::SerialTimeouts m_savedTimeouts;
    bool m_haveSavedTimeouts = false;
    std::atomic<bool> m_lineUp{false};
    std::unique_ptr<platform::kernel::Thread> m_reader;
    platform::kernel::Event m_closing{platform::kernel::EventReset::Manual}; // Ends a stalled QueueRecord.
    std::unique_ptr<platform::ui::MessageWindow> m_window;

    platform::kernel::Mutex m_lock;
    std::vector<DeviceRecord> m_ring TALVO_GUARDED_BY(m_lock);
    std::size_t m_readIndex TALVO_GUARDED_BY(m_lock) = 0;
    std::size_t m_writeIndex TALVO_GUARDED_BY(m_lock) = 0;
    bool m_drainPending TALVO_GUARDED_BY(m_lock) = false;
    bool m_windowOpen TALVO_GUARDED_BY(m_lock) = false;

    bool m_closed = false;
    int m_lastSequence = -1;
    LONG m_received = 0;
    std::atomic<LONG> m_invalid{0};
    LONG m_skipped = 0;

    std::vector<std::uint8_t> m_command;
};

} // namespace talvolink
