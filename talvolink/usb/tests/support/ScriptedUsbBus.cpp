#include "talvolink/usb/tests/support/ScriptedUsbBus.h"

#include "interfaces/talvodata/IAimingTrace.h"
#include "talvolink/usb/UsbDeviceReader.h"

#include "platform/com/Bstr.h"
#include "platform/usb/InterfaceClass.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <thread>

namespace talvolink::testsupport {

using namespace platform::usb;

void LoggingHost::setCalibrationWanted(LONG nSubDevice, bool wanted)
{
    settings[nSubDevice == 2 ? 1 : 0].calibrationWanted = wanted;
}

void LoggingHost::setCorrection(LONG nSubDevice, LONG x, LONG y)
{
    settings[nSubDevice == 2 ? 1 : 0].correctionX = x;
    settings[nSubDevice == 2 ? 1 : 0].correctionY = y;
    ++correctionSet;
}

void LoggingHost::fireStartAiming(LONG, IAiming* aiming)
{
    aimings.emplace_back(aiming);
    log.push_back("StartAiming");
}

void LoggingHost::fireNewCoordinates(LONG, IAiming*, LONG count)
{
    log.push_back("NewCoordinates " + std::to_string(count));
}

std::vector<std::pair<LONG, LONG>> LoggingHost::points(IAiming& aiming)
{
    platform::com::ComPtr<IAimingTrace> trace;
    std::vector<std::pair<LONG, LONG>> out;
    LONG count = 0;
    if (FAILED(aiming.get_Trace(trace.put())) || FAILED(trace->get_Count(&count))) {
        return out;
    }
    LONG first = 0;
    (void)trace->get_First(&first);
    for (LONG i = first; i < first + count; ++i) {
        LONG x = 0;
        LONG y = 0;
        (void)trace->_GetPoint(i, &x, &y);
        out.emplace_back(x, y);
    }
    return out;
}

std::vector<LONG> LoggingHost::triggerData(IAiming& aiming)
{
    platform::com::ComPtr<IAimingTrace> trace;
    std::vector<LONG> out;
    LONG channel = 0;
    LONG count = 0;
    if (FAILED(aiming.get_Trace(trace.put())) ||
        FAILED(trace->GetUserData(platform::com::Bstr(u"_trigger").get(), &channel)) ||
        FAILED(trace->get_Count(&count))) {
        return out;
    }
    LONG first = 0;
    (void)trace->get_First(&first);
    for (LONG i = first; i < first + count; ++i) {
        LONG value = 0;
        (void)trace->get_UserData(channel, i, &value);
        out.push_back(value);
    }
    return out;
}

FakeUsbDevice& ScriptedUsbBus::plug(const std::string& name, const char* path, InterfaceClass cls)
{
    FakeUsbDevice& device = bus.plug(path, idsOfClass(cls).front());
    device.setPipes({{PipeType::Bulk, 0x81, 64, 0}});
    device.setVendorScript([this, name](const SetupPacket& setup, std::span<std::uint8_t> data) {
        std::lock_guard lock(m_mutex);
        const bool out = setup.requestType == kVendorOut;
        m_log.push_back({m_clock.steadyNow().count(), name, out, setup.request, setup.value, setup.index,
                         out ? Bytes(data.begin(), data.end()) : Bytes{}});
        int key = setup.request;
        if (setup.request == 0xF0 && !data.empty()) {
            m_lastCommand[name] = data[0];
            key = 0x100 + data[0];
        } else if (setup.request == 0xF1) {
            key = 0x100 + m_lastCommand[name];
        }
        if (m_failing.contains({name, key})) {
            return Transfer{kErrorGenFailure, 0};
        }
        if (out || setup.request == 0xF0) {
            return Transfer{kErrorSuccess, data.size()};
        }
        const auto& answers = m_answers[name];
        const auto found = answers.find(key);
        if (found == answers.end() || found->second.empty()) {
            return data.empty() ? Transfer{kErrorSuccess, 0} : Transfer{kErrorGenFailure, 0};
        }
        const std::size_t n = std::min(data.size(), found->second.size());
        std::copy_n(found->second.begin(), n, data.begin());
        return Transfer{kErrorSuccess, n};
    });
    return device;
}

FakeUsbDevice& ScriptedUsbBus::plugOptical()
{
    m_answers["optical"] = {
        {0x90, {0x00, 0x00, 0x05, 0x00}},         // firmware 5.0: 47-byte records in packets
        {0x8B, {21, 22, 23, 24, 25, 26, 27, 28}}, // serial number
        {0x91, {1}},                              // state
        {0x86, {0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 2, 0}}, // calibration, scale 2
    };
    return plug("optical", kOpticalPath, InterfaceClass::OpticalSensor);
}

FakeUsbDevice& ScriptedUsbBus::plugController()
{
    m_answers["controller"] = {
        {0x98, {4, 0, 1, 0}},
        {0x8B, {31, 32, 33, 34, 35, 36, 37, 38}},
        {0x99, {0}},
        {0x8A, {1, 6, 41, 42, 43, 44, 45, 46, 47, 48, 0, 0, 0, 0, 0, 0}},
    };
    return plug("controller", kControllerPath, InterfaceClass::TargetController);
}

FakeUsbDevice& ScriptedUsbBus::plugReceiver(int target, int kind)
{
    Bytes present(16, 0);
    if (target >= 1) {
        present[static_cast<std::size_t>(target - 1)] = 1;
    }
    Bytes descriptor(17, 0);
    descriptor[0] = static_cast<std::uint8_t>(kind);
    for (std::uint8_t i = 0; i < 8; ++i) {
        descriptor[8 + i] = static_cast<std::uint8_t>(51 + i);
    }
    m_answers["receiver"] = {
        {0x81, {11, 12, 13, 14, 15, 16, 17, 18}},   {0x8B, {0}}, {0x82, present}, {0x120, descriptor},
        {0x121, {100, 90, 0, 0, 0, 0, 0, 0, 0, 0}},
    };
    return plug("receiver", kReceiverPath, InterfaceClass::WirelessTarget);
}

FakeUsbDevice& ScriptedUsbBus::plugDovecote()
{
    m_answers["dovecote"] = {
        {0x86, {0, 0, 1, 0}},
        {0x81, {61, 62, 63, 64, 65, 66, 67, 68}},
        {0x8B, {0}},
        {0xAD, Bytes(16, 0)},
    };
    return plug("dovecote", kDovecotePath, InterfaceClass::DovecoteTarget);
}

FakeUsbDevice& ScriptedUsbBus::plugTrigger()
{
    return plug("trigger", kTriggerPath, InterfaceClass::TriggerSensor);
}

FakeUsbDevice& ScriptedUsbBus::plugPulse()
{
    m_answers["pulse"] = {{0x85, {1, 0, 1, 0}}, {0x91, {0}}};
    return plug("pulse", kPulsePath, InterfaceClass::PulseSensor);
}

void ScriptedUsbBus::answer(const std::string& device, int request, Bytes reply)
{
    std::lock_guard lock(m_mutex);
    m_answers[device][request] = std::move(reply);
}

void ScriptedUsbBus::fail(const std::string& device, int request)
{
    std::lock_guard lock(m_mutex);
    m_failing.insert({device, request});
}

std::vector<LoggedRequest> ScriptedUsbBus::requests() const
{
    std::lock_guard lock(m_mutex);
    return m_log;
}

std::vector<std::string> ScriptedUsbBus::outLog() const
{
    std::vector<std::string> out;
    for (const LoggedRequest& r : requests()) {
        if (!r.out) {
            continue;
        }
        char head[64];
        std::snprintf(head, sizeof head, "%lld %s %02X %u %u", r.at, r.device.c_str(), r.request, r.value, r.index);
        std::string line = head;
        if (!r.data.empty()) {
            line += " [";
            for (std::size_t i = 0; i < r.data.size(); ++i) {
                line += (i ? " " : "") + std::to_string(r.data[i]);
            }
            line += "]";
        }
        out.push_back(line);
    }
    return out;
}

void ScriptedUsbBus::clearLog()
{
    std::lock_guard lock(m_mutex);
    m_log.clear();
}

void ScriptedUsbBus::feed(FakeUsbDevice& device, const Bytes& read)
{
    // The reader keeps all its reads pending and submits one again once it has handed the finished one on.
    ASSERT_TRUE(device.waitForPendingReads(UsbDeviceReader::kReadCount, std::chrono::seconds(5)));
    device.feed(read);
    ASSERT_TRUE(device.waitForPendingReads(UsbDeviceReader::kReadCount, std::chrono::seconds(5)));
}

Bytes ScriptedUsbBus::receiverRead(const std::vector<Bytes>& packets)
{
    Bytes read;
    for (const Bytes& packet : packets) {
        read.push_back(static_cast<std::uint8_t>(packet.size() + 3));
        read.push_back(0x44);
        read.push_back(1);
        read.insert(read.end(), packet.begin(), packet.end());
    }
    return read;
}

Bytes ScriptedUsbBus::packetBlock(const Bytes& packet)
{
    Bytes block{0x88};
    const auto n = static_cast<std::uint32_t>(packet.size());
    for (int i = 0; i < 4; ++i) {
        block.push_back(static_cast<std::uint8_t>(n >> (8 * i)));
    }
    block.insert(block.end(), packet.begin(), packet.end());
    return block;
}

} // namespace talvolink::testsupport
