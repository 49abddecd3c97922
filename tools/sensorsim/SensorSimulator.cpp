#include "tools/sensorsim/SensorSimulator.h"

#include "platform/kernel/Event.h"

#include <algorithm>
#include <numeric>

namespace sensorsim {
namespace {

using platform::serial::Edge;
using platform::serial::InputLine;
using platform::serial::LineLevel;
using platform::serial::OutputLine;
using platform::serial::SerialSettings;
using namespace std::chrono_literals;

// How long the sensor listens before it looks at its lines and its packet clock again.
constexpr std::chrono::milliseconds kListen = 2ms;
// Behind by more than this (a stalled program), the sensor drops the packets it missed instead of bursting them.
constexpr std::chrono::milliseconds kMaxLag = 100ms;
// Packets are timed in ticks of 0.8 us: the period command carries 1250000 / SampleRate.
constexpr long kTicksPerSecond = 1250000;

LineLevel level(bool on)
{
    return on ? LineLevel::On : LineLevel::Off;
}

std::string describe(const SerialSettings& settings)
{
    return std::to_string(settings.baudRate) + " baud, " + std::to_string(settings.dataBits) + " data bits, " +
           (settings.stopBits == platform::serial::StopBits::Two ? "two" : "one") + " stop bits";
}

} // namespace

platform::Result<std::unique_ptr<SensorSimulator>> SensorSimulator::create(int modelCode, std::string serialNumber)
{
    std::optional<SensorProfile> profile = profileFor(modelCode);
    if (!profile) {
        return platform::Error{E_INVALIDARG, "no sensor model " + std::to_string(modelCode)};
    }
    auto port = platform::serial::SerialTestPort::create();
    if (!port) {
        return port.error();
    }
    std::unique_ptr<SensorSimulator> simulator(
        new SensorSimulator(std::move(*profile), std::move(serialNumber), std::move(*port)));
    auto thread =
        platform::kernel::Thread::start([raw = simulator.get()](platform::kernel::Event& stop) { raw->run(stop); });
    if (!thread) {
        return thread.error();
    }
    simulator->m_thread = std::move(*thread);
    return simulator;
}

SensorSimulator::SensorSimulator(SensorProfile profile, std::string serialNumber,
                                 std::unique_ptr<platform::serial::SerialTestPort> port)
    : m_profile(std::move(profile)), m_serialNumber(std::move(serialNumber)), m_port(std::move(port)),
      m_deviceBaud(m_profile.initialBaud)
{
    m_seenRtsRising = m_port->lines().edges(OutputLine::Rts, Edge::Rising);
}

SensorSimulator::~SensorSimulator()
{
    if (m_thread) {
        m_thread->requestStop();
        m_port->unplug(); // ends a write that waits for a program that no longer reads
        m_thread.reset();
    }
}

const std::string& SensorSimulator::programPath() const
{
    return m_port->programPath();
}

void SensorSimulator::setScript(std::vector<AimSample> script, bool loop)
{
    const std::lock_guard lock(m_mutex);
    m_script = std::move(script);
    m_loop = loop;
    m_scriptIndex = 0;
}

void SensorSimulator::unplug()
{
    m_port->unplug(); // first: ends a write that waits, which holds no lock
    const std::lock_guard lock(m_mutex);
    powerDown();
}

void SensorSimulator::plugIn()
{
    const std::lock_guard lock(m_mutex);
    m_port->plugIn();
    // Plugging in raises RTS as the sensor sees it; that is power coming, not the probe.
    m_seenRtsRising = m_port->lines().edges(OutputLine::Rts, Edge::Rising);
}

Observation SensorSimulator::observe() const
{
    const std::lock_guard lock(m_mutex);
    return m_state;
}

void SensorSimulator::setPacketsWritten(PacketsWritten listener)
{
    const std::lock_guard lock(m_mutex);
    m_packetsWritten = std::move(listener);
}

bool SensorSimulator::waitUntil(const std::function<bool(const Observation&)>& condition,
                                std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [&] { return condition(m_state); });
}

void SensorSimulator::run(platform::kernel::Event& stop)
{
    std::vector<std::uint8_t> chunk(256);
    while (!stop.wait(0ms)) {
        // Written outside the lock: a program that stopped reading must not block the test's observations.
        std::vector<std::uint8_t> out;
        std::size_t sentBefore = 0;
        std::size_t sent = 0;
        PacketsWritten packetsWritten;
        {
            const std::lock_guard lock(m_mutex);
            sentBefore = m_state.packetsSent;
            followLines(out);
            streamDuePackets(out);
            sent = m_state.packetsSent;
            packetsWritten = m_packetsWritten;
        }
        if (!out.empty()) {
            (void)m_port->write(out); // unplugged: the bytes are lost, as on a pulled cable
        }
        if (sent != sentBefore && packetsWritten) {
            packetsWritten(sent, std::chrono::steady_clock::now());
        }
        if (!m_port->lines().isPlugged()) {
            (void)stop.wait(kListen);
            continue;
        }
        const auto read = m_port->read(chunk, kListen);
        // The speed the bytes came at: taken after they came, since the program changes it right before sending.
        const auto settings = m_port->settings();
        if (read && *read > 0 && settings) {
            const std::lock_guard lock(m_mutex);
            takeBytes(std::span(chunk).first(*read), *settings);
        }
    }
}

void SensorSimulator::followLines(std::vector<std::uint8_t>& out)
{
    platform::serial::VirtualModemLines& lines = m_port->lines();
    const bool dtr = lines.isOn(OutputLine::Dtr);
    const bool rts = lines.isOn(OutputLine::Rts);
    if (!dtr && m_state.powered) {
        // What came before the power went is heard: a program closing the port sends its stop command first.
        std::vector<std::uint8_t> last(256);
        const auto read = m_port->read(last, 0ms);
        const auto settings = m_port->settings();
        if (read && *read > 0 && settings) {
            takeBytes(std::span(last).first(*read), *settings);
        }
        powerDown();
    }
    const bool wasPowered = m_state.powered;
    const bool changed = wasPowered != dtr;
    m_state.powered = dtr;
    if (lines.isPlugged()) {
        lines.setLine(InputLine::Dsr, level(dtr));
        lines.setLine(InputLine::Cts, level(dtr && rts));
    }
    const std::uint32_t rising = lines.edges(OutputLine::Rts, Edge::Rising);
    if (rising != m_seenRtsRising) {
        m_seenRtsRising = rising;
        // The probe powers the sensor well before it raises RTS; opening the port raises both at once.
        if (dtr && wasPowered) {
            answerProbe(out);
        } else {
            ++m_state.ignoredRtsEdges;
        }
    }
    if (changed) {
        m_changed.notify_all();
    }
}

void SensorSimulator::answerProbe(std::vector<std::uint8_t>& out)
{
    const auto settings = m_port->settings();
    if (!settings) {
        return;
    }
    // The port opening raises RTS too: an answer then would reach the program as noise at another speed.
    const SerialSettings expected{1200, 7, settings->parity, platform::serial::StopBits::Two};
    if (*settings != expected) {
        ++m_state.ignoredRtsEdges;
        return;
    }
    const std::string answer = m_profile.pnpAnswer(m_serialNumber);
    out.insert(out.end(), answer.begin(), answer.end());
    ++m_state.pnpAnswers;
    m_changed.notify_all();
}

void SensorSimulator::takeBytes(std::span<const std::uint8_t> bytes, const SerialSettings& settings)
{
    // The line itself too, not only the state last followed: the program may write right after raising DTR.
    if (!m_state.powered && !m_port->lines().isOn(OutputLine::Dtr)) {
        return;
    }
    for (std::uint8_t byte : bytes) {
        m_pending.push_back(byte);
        const auto known = m_profile.commandArguments.find(m_pending[0]);
        if (known == m_profile.commandArguments.end()) {
            fault("unknown command " + std::to_string(m_pending[0]));
            m_pending.clear();
            continue;
        }
        const std::size_t length = 1 + static_cast<std::size_t>(known->second) + 1;
        if (m_pending.size() < length) {
            continue;
        }
        const auto sum = std::accumulate(m_pending.begin(), m_pending.end() - 1, 0u);
        ReceivedCommand command{m_pending[0], {m_pending.begin() + 1, m_pending.end() - 1}, settings.baudRate};
        const bool checked = static_cast<std::uint8_t>(~sum) == m_pending.back();
        m_pending.clear();
        const SerialSettings expected{m_deviceBaud, 8, platform::serial::Parity::None, platform::serial::StopBits::Two};
        if (settings != expected) {
            fault("command " + std::to_string(command.code) + " at " + describe(settings) + ", the sensor listens at " +
                  describe(expected));
            continue;
        }
        if (!checked) {
            fault("command " + std::to_string(command.code) + " with a wrong checksum");
            continue;
        }
        m_state.commands.push_back(command);
        obey(command);
        m_changed.notify_all();
    }
}

void SensorSimulator::obey(const ReceivedCommand& command)
{
    const auto& a = command.arguments;
    const bool allZero = std::all_of(a.begin(), a.end(), [](std::uint8_t b) { return b == 0; });
    switch (command.code) {
    case 2:
        if (a[0] >= m_profile.rateBauds.size()) {
            fault("rate code " + std::to_string(a[0]));
            return;
        }
        m_deviceBaud = m_profile.rateBauds[a[0]];
        return;
    case 16: {
        const long period = (a[0] << 8) | a[1];
        if (period == 0) {
            fault("period 0");
            return;
        }
        m_period = std::chrono::microseconds(period * 1000000 / kTicksPerSecond);
        m_state.sampleRate = static_cast<int>(kTicksPerSecond / period);
        return;
    }
    case 13:
    case 8:
        if (command.code == 13 && allZero) {
            m_state.streaming = false;
            return;
        }
        if (m_profile.fixedSampleRate > 0) {
            m_state.sampleRate = m_profile.fixedSampleRate;
            m_period = std::chrono::microseconds(1000000 / m_profile.fixedSampleRate);
        }
        if (m_period.count() == 0) {
            fault("start before the sample period was set");
            return;
        }
        m_state.streaming = true;
        m_state.scriptSamplesSent = 0;
        m_scriptIndex = 0;
        m_sequence = 0;
        m_nextPacket = std::chrono::steady_clock::now();
        return;
    case 9:
        m_state.streaming = false;
        return;
    default:
        return; // range, signal light, state reset, lit target: noted in the command list
    }
}

void SensorSimulator::streamDuePackets(std::vector<std::uint8_t>& out)
{
    const auto now = std::chrono::steady_clock::now();
    if (!m_state.streaming || now < m_nextPacket) {
        return;
    }
    if (now - m_nextPacket > kMaxLag) {
        m_nextPacket = now;
    }
    while (m_nextPacket <= now) {
        AimSample sample;
        if (m_scriptIndex < m_script.size()) {
            sample = m_script[m_scriptIndex++];
            ++m_state.scriptSamplesSent;
            if (m_loop && m_scriptIndex == m_script.size()) {
                m_scriptIndex = 0;
            }
        }
        const std::vector<std::uint8_t> packet = m_profile.encode(sample, m_sequence);
        out.insert(out.end(), packet.begin(), packet.end());
        m_sequence = static_cast<std::uint8_t>((m_sequence + 1) % m_profile.sequenceModulus);
        ++m_state.packetsSent;
        m_nextPacket += m_period;
    }
    m_changed.notify_all();
}

void SensorSimulator::powerDown()
{
    m_state.streaming = false;
    m_deviceBaud = m_profile.initialBaud;
    m_pending.clear();
    m_changed.notify_all();
}

void SensorSimulator::fault(std::string text)
{
    m_state.faults.push_back(std::move(text));
    m_changed.notify_all();
}

} // namespace sensorsim
