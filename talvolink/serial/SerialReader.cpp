#include "talvolink/serial/SerialReader.h"

#include "talvolink/DeviceModel.h"
#include "talvolink/serial/PacketFramer.h"
#include "talvolink/serial/PnpProbe.h"

#include "platform/kernel/Event.h"
#include "platform/serial/SerialPort.h"
#include "platform/time/Clock.h"

#include <algorithm>
#include <chrono>
#include <vector>

namespace talvolink {
namespace {

using namespace std::chrono_literals;

constexpr std::chrono::milliseconds kSilence = 1000ms;

bool linesUp(platform::serial::SerialPort& port)
{
    // An unplugged adapter fails the call: its lines are gone as well.
    const auto status = port.modemStatus();
    return status && status->cts && status->dsr;
}

} // namespace

void SerialReader::Run(platform::serial::SerialPort& port, platform::kernel::Event& stop)
{
    platform::time::Clock& clock = m_host.clock();
    const LONG rate = m_host.sampleRate();
    const auto packetLength = static_cast<std::size_t>(std::max(m_model.PacketLength(), 1));
    // A second of packets, and never less than two, so a carried half packet always leaves room to read.
    std::vector<std::uint8_t> buffer(packetLength * static_cast<std::size_t>(std::max<LONG>(rate, 2)));
    const std::chrono::milliseconds round = rate > 0 ? std::chrono::milliseconds(std::max<LONG>(1000 / rate, 1)) : 10ms;
    std::size_t fill = 0;
    std::chrono::milliseconds idleSince = clock.steadyNow();

    const PacketHandler onPacket = [this](std::span<const std::uint8_t> packet) {
        DeviceRecord record{};
        if (m_model.ParsePacket(packet, record)) {
            m_model.QueueRecord(record);
        } else {
            m_model.countInvalidPacket();
        }
    };

    while (!stop.wait(round, clock)) {
        if (!linesUp(port)) {
            if (m_model.lineUp()) {
                m_model.setLineUp(false);
                m_model.postDeviceMessage(DeviceMessage::Disconnected);
            }
            continue;
        }
        if (!m_model.lineUp()) {
            if (!m_reconnectAsked.exchange(true)) {
                m_model.postDeviceMessage(DeviceMessage::Reconnect);
                idleSince = clock.steadyNow();
                fill = 0; // bytes from before the break belong to no packet
            }
            continue;
        }
        m_reconnectAsked.store(false);
        const auto waiting = port.bytesWaiting();
        if (waiting && *waiting > 0) {
            const std::size_t wanted = std::min(*waiting, buffer.size() - fill);
            const auto read = port.read(std::span(buffer).subspan(fill, wanted));
            if (read && *read > 0) {
                fill = SplitPackets(buffer, fill + *read, packetLength, onPacket);
                idleSince = clock.steadyNow();
            }
            continue;
        }
        const std::chrono::milliseconds silent = clock.steadyNow() - idleSince;
        if (silent > kSilence) {
            // The idle mark stays, so the seconds announced grow while the silence lasts.
            m_model.postDeviceMessage(DeviceMessage::Timeout, static_cast<LPARAM>(silent / 1000ms));
            if (stop.wait(kSilence, clock)) {
                return;
            }
        }
    }
}

bool SerialReader::identifyAgain(platform::serial::SerialPort* port)
{
    const bool same = port && IdentifiesConnectedModel(*port, m_host);
    if (!same) {
        reconnectionFailed();
    }
    return same;
}

} // namespace talvolink
