#include "talvolink/serial/PnpProbe.h"

#include "talvolink/DeviceHost.h"
#include "talvolink/serial/Pause.h"
#include "talvolink/serial/PnpParser.h"

#include "platform/serial/SerialPort.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace talvolink {
namespace {

using platform::serial::LineLevel;
using platform::serial::OutputLine;
using platform::serial::SerialPort;
using namespace std::chrono_literals;

// A complete identification is at most this long; a sensor that keeps sending is cut off there.
constexpr std::size_t kMaxAnswer = 282;

bool setLines(SerialPort& port, LineLevel dtr, LineLevel rts)
{
    return port.setLine(OutputLine::Rts, rts) && port.setLine(OutputLine::Dtr, dtr);
}

bool powerUp(SerialPort& port, platform::time::Clock& clock)
{
    auto settings = port.settings();
    if (!settings) {
        return false;
    }
    settings->baudRate = 1200;
    settings->dataBits = 7;
    settings->stopBits = platform::serial::StopBits::Two; // parity stays as it was
    if (!port.setSettings(*settings) || !setLines(port, LineLevel::Off, LineLevel::Off)) {
        return false;
    }
    Pause(clock, 100ms);
    if (!port.purge(platform::serial::PurgeQueue::Input) || !port.setLine(OutputLine::Dtr, LineLevel::On)) {
        return false;
    }
    Pause(clock, 100ms);
    auto lines = port.modemStatus();
    if (!lines || !lines->dsr) {
        return false;
    }
    Pause(clock, 100ms);
    if (!port.setLine(OutputLine::Rts, LineLevel::On)) {
        return false;
    }
    Pause(clock, 50ms);
    lines = port.modemStatus();
    return lines && lines->cts;
}

// Reads the answer once it stops growing.
std::vector<std::uint8_t> readAnswer(SerialPort& port, platform::time::Clock& clock)
{
    const platform::serial::SerialTimeouts saved = port.timeouts();
    port.setTimeouts({/*readInterval=*/250, 0, 0, /*writeTotalMultiplier=*/10, /*writeTotalConstant=*/100});
    std::size_t waiting = 0;
    for (;;) {
        Pause(clock, 450ms);
        auto now = port.bytesWaiting();
        if (!now) {
            break;
        }
        const bool settled = *now == waiting;
        waiting = *now;
        if (settled || waiting >= kMaxAnswer) {
            break;
        }
    }
    std::vector<std::uint8_t> answer(std::min(waiting, kMaxAnswer));
    auto read = answer.empty() ? platform::Result<std::size_t>(0) : port.read(answer);
    port.setTimeouts(saved);
    answer.resize(read ? *read : 0);
    return answer;
}

} // namespace

bool ProbePnpDevice(SerialPort& port, PnpRecord& record, platform::time::Clock& clock)
{
    if (!powerUp(port, clock)) {
        return false;
    }
    const std::vector<std::uint8_t> answer = readAnswer(port, clock);
    if (answer.empty()) {
        return false;
    }
    if (!ParsePnpRecord(answer, record)) {
        record = PnpRecord{};
        return false;
    }
    return std::strcmp(record.manufacturer.data(), kTalvoManufacturer) == 0;
}

bool IdentifiesConnectedModel(SerialPort& port, DeviceHost& host)
{
    PnpRecord scratch{};
    return ProbePnpDevice(port, scratch, host.clock()) &&
           scratch.modelCode == host.deviceInformation().record.modelCode;
}

} // namespace talvolink
