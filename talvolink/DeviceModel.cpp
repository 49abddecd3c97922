#include "talvolink/DeviceModel.h"

#include "platform/time/Clock.h"
#include "platform/ui/MessageWindow.h"

#include <algorithm>
#include <cassert>
#include <chrono>
#include <cstring>
#include <numeric>
#include <utility>

namespace talvolink {

namespace {

constexpr std::uintptr_t kDrainTimer = 1;
constexpr std::chrono::milliseconds kDrainInterval{10};
constexpr std::chrono::milliseconds kFullRingStep{50};
constexpr std::chrono::milliseconds kFullRingLimit{1000};
constexpr std::chrono::milliseconds kCommandPause{50};
constexpr std::size_t kMaxCommandBytes = 127;
constexpr LONG kRingSeconds = 5;

} // namespace

CGenericTalvo::CGenericTalvo(DeviceHost& host, std::unique_ptr<platform::serial::SerialPort> port)
    : m_host(host), m_port(std::move(port))
{
}

CGenericTalvo::~CGenericTalvo()
{
    // Close normally ran already; a model destroyed without it must still not leave its reader running.
    m_closing.set();
    m_reader.reset();
    platform::kernel::LockGuard guard(m_lock);
    m_windowOpen = false;
}

bool CGenericTalvo::Close()
{
    m_ownerThread.assertOwnerThread();
    m_closed = true;
    m_closing.set();
    m_reader.reset(); // Sets the reader's stop event and joins it.
    Stop();
    if (m_port && m_haveSavedTimeouts) {
        m_port->setTimeouts(m_savedTimeouts);
    }
    {
        platform::kernel::LockGuard guard(m_lock);
        m_ring.clear();
        m_ring.shrink_to_fit();
        m_readIndex = 0;
        m_writeIndex = 0;
        m_windowOpen = false;
    }
    m_window.reset();
    m_port.reset();
    return true;
}

bool CGenericTalvo::GetValue(LONG /*index*/, VARIANT* /*result*/)
{
    return false;
}
bool CGenericTalvo::PutValue(LONG /*index*/, const VARIANT& /*value*/)
{
    return false;
}
bool CGenericTalvo::SemaphoreAvailable()
{
    return false;
}
bool CGenericTalvo::PulseAvailable()
{
    return false;
}
bool CGenericTalvo::TriggerControlAvailable()
{
    return false;
}
bool CGenericTalvo::LedsBrightnessAvailable()
{
    return false;
}
LONG CGenericTalvo::GetLedsBrightness()
{
    return 0;
}
void CGenericTalvo::PutLedsBrightness(LONG /*value*/) {}
bool CGenericTalvo::LampsBrightnessAvailable()
{
    return false;
}
LONG CGenericTalvo::GetLampsBrightness()
{
    return 0;
}
void CGenericTalvo::PutLampsBrightness(LONG /*value*/) {}
int CGenericTalvo::PacketLength()
{
    return 0;
}
std::uint32_t CGenericTalvo::BaudRate()
{
    return 0;
}
platform::serial::StopBits CGenericTalvo::StopBits()
{
    return platform::serial::StopBits::One;
}
bool CGenericTalvo::PutSemaphore(enumSemaphoreMode /*mode*/)
{
    return false;
}
bool CGenericTalvo::PutSubTarget(LONG /*nSubDevice*/, LONG /*value*/)
{
    return true;
}
bool CGenericTalvo::GetTrigger(LONG /*nSubDevice*/, LONG /*index*/, LONG* /*value*/)
{
    return false;
}
void CGenericTalvo::GetData(std::array<float, 9>& /*values*/) {}
bool CGenericTalvo::ParsePacket(std::span<const std::uint8_t> /*packet*/, DeviceRecord& /*record*/)
{
    return false;
}
void CGenericTalvo::BeginRecords(int /*count*/) {}
void CGenericTalvo::FlushCoordinates() {}
void CGenericTalvo::SetupPort() {}
void CGenericTalvo::ApplyEventTarget() {}
bool CGenericTalvo::Start()
{
    return true;
}
void CGenericTalvo::ConcludeCurrentAiming(LONG /*nSubDevice*/) {}
void CGenericTalvo::Reset(LONG /*nSubDevice*/) {}
void CGenericTalvo::OnCorrectionChanged() {}
void CGenericTalvo::PutCalibrationMode() {}
void CGenericTalvo::PutFiringPoint() {}
void CGenericTalvo::AddShot(VARIANT_BOOL /*vbUnlimited*/) {}
void CGenericTalvo::OnAppMessage(WPARAM /*wParam*/, LPARAM /*lParam*/) {}
void CGenericTalvo::OnAppMessage1(WPARAM /*wParam*/, LPARAM /*lParam*/) {}
void CGenericTalvo::OnTimer(WPARAM /*wParam*/, LPARAM /*lParam*/) {}
bool CGenericTalvo::StartReader()
{
    return true;
}
bool CGenericTalvo::IdentifyAgain()
{
    return false;
}

void CGenericTalvo::ProcessRecords(std::span<const DeviceRecord> records)
{
    m_ownerThread.assertOwnerThread(); // The state machines and all their events run on the control's thread.
    BeginRecords(static_cast<int>(records.size()));
    m_received += static_cast<LONG>(records.size());
    for (const DeviceRecord& record : records) {
        if (m_closed) {
            return; // A sink disconnected the device.
        }
        const int sequence = record.sequence;
        if (m_lastSequence != -1 && SequenceModulus() > 0) {
            // A repeated number lowers the count by one; a wrap adds the modulus back.
            m_skipped += sequence - m_lastSequence - 1;
            if (sequence < m_lastSequence) {
                m_skipped += SequenceModulus();
            }
        }
        OnRecord(record);
        m_lastSequence = sequence;
    }
    FlushCoordinates();
}

bool CGenericTalvo::tryQueue(const DeviceRecord& record)
{
    platform::kernel::LockGuard guard(m_lock);
    const std::size_t capacity = m_ring.size();
    if (capacity == 0) {
        return true; // No ring: dropped.
    }
    const std::size_t used = (m_writeIndex + capacity - m_readIndex) % capacity;
    if (used >= capacity - 1) {
        return false;
    }
    m_ring[m_writeIndex] = record;
    m_writeIndex = (m_writeIndex + 1) % capacity;
    if (!m_drainPending && m_windowOpen) {
        m_drainPending = true;
        m_window->post(kDeviceMessage, static_cast<WPARAM>(DeviceMessage::Drain), 0);
    }
    return true;
}

void CGenericTalvo::QueueRecord(const DeviceRecord& record)
{
    platform::time::Clock& clock = m_host.clock();
    const std::chrono::milliseconds started = clock.steadyNow();
    while (!tryQueue(record)) {
        if (clock.steadyNow() - started >= kFullRingLimit) {
            return;
        }
        {
            // The ring is full: make sure a drain is on its way, whether or not one is pending.
            platform::kernel::LockGuard guard(m_lock);
            if (m_windowOpen) {
                m_drainPending = true;
                m_window->post(kDeviceMessage, static_cast<WPARAM>(DeviceMessage::Drain), 0);
            }
        }
        if (m_closing.wait(kFullRingStep, clock)) {
            return;
        }
    }
}

void CGenericTalvo::drain()
{
    std::vector<DeviceRecord> batch;
    {
        platform::kernel::LockGuard guard(m_lock);
        const std::size_t capacity = m_ring.size();
        if (capacity != 0) {
            const std::size_t count = (m_writeIndex + capacity - m_readIndex) % capacity;
            batch.reserve(count);
            for (std::size_t i = 0; i < count; ++i) {
                batch.push_back(m_ring[(m_readIndex + i) % capacity]);
            }
            m_readIndex = m_writeIndex;
        }
        // Cleared as the batch is taken, so a record queued while it is processed brings its own message.
        m_drainPending = false;
    }
    if (batch.empty()) {
        return;
    }
    const DispatchScope dispatch(m_host); // Its end may delete this model: nothing may follow.
    ProcessRecords(batch);
}

void CGenericTalvo::postDeviceMessage(DeviceMessage message, LPARAM lParam)
{
    platform::kernel::LockGuard guard(m_lock);
    if (m_windowOpen) {
        m_window->post(kDeviceMessage, static_cast<WPARAM>(message), lParam);
    }
}

void CGenericTalvo::postAppMessage(UINT message, WPARAM wParam)
{
    platform::kernel::LockGuard guard(m_lock);
    if (m_windowOpen) {
        m_window->post(message, wParam, 0);
    }
}

void CGenericTalvo::startTimer(std::uintptr_t id, std::chrono::milliseconds interval)
{
    if (m_window) {
        m_window->setTimer(id, interval);
    }
}

void CGenericTalvo::onDeviceMessage(WPARAM wParam, LPARAM lParam)
{
    switch (static_cast<DeviceMessage>(wParam)) {
    case DeviceMessage::Drain:
        drain();
        return;
    case DeviceMessage::Disconnected:
        m_host.fireDisconnected();
        return;
    case DeviceMessage::Reconnect:
        reconnect();
        return;
    case DeviceMessage::Timeout:
        m_host.fireTimeout(static_cast<LONG>(lParam));
        return;
    }
}

void CGenericTalvo::reconnect()
{
    // Posted rounds may pile up while the lines are down; only the first one after they came up acts.
    if (lineUp() || !m_port || !IdentifyAgain()) {
        return;
    }
    platform::serial::SerialSettings settings;
    settings.baudRate = BaudRate();
    settings.dataBits = 8;
    settings.parity = platform::serial::Parity::None;
    settings.stopBits = StopBits();
    (void)m_port->setSettings(settings); // A port that refuses them shows up as silence (Timeout events).
    (void)m_port->purge(platform::serial::PurgeQueue::Input);
    resetRing();
    Reconfigure();
    setLineUp(Start());
    if (lineUp()) {
        m_host.fireReconnected();
    }
}

void CGenericTalvo::resetRing()
{
    platform::kernel::LockGuard guard(m_lock);
    m_readIndex = 0;
    m_writeIndex = 0;
    m_drainPending = false;
    m_lastSequence = -1;
}

void CGenericTalvo::openLink()
{
    m_closing.reset();
    m_window = std::make_unique<platform::ui::MessageWindow>();
    m_window->setHandler(kDeviceMessage, [this](WPARAM wParam, LPARAM lParam) { onDeviceMessage(wParam, lParam); });
    m_window->setHandler(kAppMessage, [this](WPARAM wParam, LPARAM lParam) { OnAppMessage(wParam, lParam); });
    m_window->setHandler(kAppMessage1, [this](WPARAM wParam, LPARAM lParam) { OnAppMessage1(wParam, lParam); });
    m_window->setTimerHandler([this](std::uintptr_t timerId) {
        if (timerId == kDrainTimer) {
            drain(); // May delete this model.
            return;
        }
        OnTimer(timerId, 0);
    });
    m_window->setTimer(kDrainTimer, kDrainInterval);
    {
        platform::kernel::LockGuard guard(m_lock);
        m_ring.assign(static_cast<std::size_t>(kRingSeconds * std::max<LONG>(m_host.sampleRate(), 1)), DeviceRecord{});
        m_windowOpen = true;
    }
    resetRing();
}

void CGenericTalvo::setModelTimer(std::uintptr_t timerId, std::chrono::milliseconds interval)
{
    assert(timerId != kDrainTimer && "the drain timer is the base's");
    if (m_window) {
        m_window->setTimer(timerId, interval);
    }
}

bool CGenericTalvo::Open()
{
    m_ownerThread.assertOwnerThread(); // The hidden window belongs to this thread.
    if (m_port) {
        m_savedTimeouts = m_port->timeouts();
        m_haveSavedTimeouts = true;
        platform::serial::SerialTimeouts timeouts;
        timeouts.writeTotalMultiplier = 1000;
        timeouts.writeTotalConstant = 1000;
        m_port->setTimeouts(timeouts);
        platform::serial::SerialSettings settings;
        settings.baudRate = BaudRate();
        settings.dataBits = 8;
        settings.parity = platform::serial::Parity::None;
        settings.stopBits = StopBits();
        if (!m_port->setSettings(settings)) {
            m_host.setLastErrorText("cannot set up the serial port " + m_port->devicePath());
            return false;
        }
        (void)m_port->purge(platform::serial::PurgeQueue::Input); // Stale bytes are dropped by framing anyway.
    }
    openLink();
    Reconfigure();
    if (!Start()) {
        return false;
    }
    setLineUp(true);
    return StartReader();
}

void CGenericTalvo::Reconfigure()
{
    SetupPort();
    ApplyEventTarget();
}

bool CGenericTalvo::startReaderThread(platform::kernel::Thread::Body body)
{
    auto started = platform::kernel::Thread::start(std::move(body));
    if (!started) {
        m_host.setLastErrorText("cannot start the reader thread");
        return false;
    }
    m_reader = std::move(started.value());
    return true;
}

bool CGenericTalvo::DevicePresent()
{
    if (!m_port) {
        return false;
    }
    const auto status = m_port->modemStatus();
    return status && status->cts && status->dsr;
}

void CGenericTalvo::BeginCommand(std::uint8_t code)
{
    m_command.assign(1, code);
}

bool CGenericTalvo::AddCommandByte(std::uint8_t value)
{
    if (m_command.size() >= kMaxCommandBytes) {
        return false;
    }
    m_command.push_back(value);
    return true;
}

bool CGenericTalvo::SendCommand()
{
    if (!m_port || m_command.empty()) {
        return false;
    }
    std::vector<std::uint8_t> wire = m_command;
    const auto sum =
        std::accumulate(m_command.begin(), m_command.end(), std::uint8_t{0},
                        [](std::uint8_t total, std::uint8_t byte) { return static_cast<std::uint8_t>(total + byte); });
    wire.push_back(static_cast<std::uint8_t>(~sum));
    const auto written = m_port->write(wire);
    // The sensor needs a pause between commands; a closing model does not wait for it.
    (void)m_closing.wait(kCommandPause, m_host.clock());
    return written && written.value() == wire.size();
}

} // namespace talvolink
