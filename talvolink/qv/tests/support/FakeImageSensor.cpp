#include "talvolink/qv/tests/support/FakeImageSensor.h"

#include "talvolink/usb/Bytes.h"
#include "talvolink/usb/UsbDeviceReader.h"

#include "platform/time/ManualClock.h"
#include "platform/usb/InterfaceClass.h"

#include <algorithm>
#include <cstring>

namespace talvolink::testsupport {

using namespace platform::usb;

namespace {

std::vector<std::uint8_t> flashBlock(const FakeImageSensor::Identity& identity)
{
    std::vector<std::uint8_t> flash(26);
    bytes::put(flash, 4, identity.geometryX);
    bytes::put(flash, 6, identity.geometryY);
    bytes::put(flash, 12, identity.focal);
    bytes::put(flash, 24, identity.model);
    return flash;
}

} // namespace

FakeImageSensor::FakeImageSensor(FakeUsbTransport& bus, std::string path, Identity identity)
    : m_device(bus.plug(std::move(path), idsOfClass(InterfaceClass::ImageSensor)[0])), m_identity(identity)
{
    m_device.setVendorScript(
        [this](const SetupPacket& setup, std::span<std::uint8_t> data) { return answer(setup, data); });
}

void FakeImageSensor::failRequests(std::set<std::uint8_t> codes)
{
    std::lock_guard lock(m_mutex);
    m_failing = std::move(codes);
}

Transfer FakeImageSensor::answer(const SetupPacket& setup, std::span<std::uint8_t> data)
{
    std::lock_guard lock(m_mutex);
    if (m_failing.contains(setup.request)) {
        return {kErrorGenFailure, 0};
    }
    std::vector<std::uint8_t> reply;
    switch (setup.request) {
    case 0x44:
        reply.resize(4);
        bytes::put(reply, 0, m_identity.firmware);
        bytes::put(reply, 2, m_identity.hardware);
        break;
    case 0x40:
        reply = {1, 2, 3, 4, 5, 6, 7, 8};
        break;
    case 0x45:
        reply.resize(4);
        bytes::put(reply, 0, m_identity.protocolMajor);
        bytes::put(reply, 2, m_identity.protocolMinor);
        break;
    case 0xA2:
        reply.resize(2);
        bytes::put(reply, 0, m_identity.flashLength);
        break;
    case 0xA3:
        reply = flashBlock(m_identity);
        break;
    case 0xD0:
        reply = {0x34, 0x12};
        break;
    case 0xA6:
        reply = {1, 0, 0, 0};
        break;
    case 0x80:
        m_framesOn = true;
        break;
    case 0x81:
        m_framesOn = false;
        break;
    case 0xBC:
        if (data.size() == 8) {
            m_windowSize = data[6];
        }
        break;
    case 0xBA:
        m_parameters[setup.index] = setup.value;
        break;
    case 0x8B:
        m_gain = setup.value;
        break;
    case 0x82:
        m_exposure = setup.value;
        break;
    default:
        break;
    }
    if ((setup.requestType & 0x80) == 0) {
        return {kErrorSuccess, data.size()};
    }
    if (reply.size() != data.size()) {
        return {kErrorGenFailure, 0};
    }
    std::ranges::copy(reply, data.begin());
    return {kErrorSuccess, reply.size()};
}

bool FakeImageSensor::framesOn() const
{
    std::lock_guard lock(m_mutex);
    return m_framesOn;
}

std::uint8_t FakeImageSensor::windowSize() const
{
    std::lock_guard lock(m_mutex);
    return m_windowSize;
}

std::map<std::uint16_t, std::uint16_t> FakeImageSensor::parameters() const
{
    std::lock_guard lock(m_mutex);
    return m_parameters;
}

std::uint16_t FakeImageSensor::gain() const
{
    std::lock_guard lock(m_mutex);
    return m_gain;
}

std::uint16_t FakeImageSensor::exposure() const
{
    std::lock_guard lock(m_mutex);
    return m_exposure;
}

void FakeImageSensor::setScript(Script script)
{
    std::lock_guard lock(m_mutex);
    m_script = std::move(script);
}

std::vector<std::uint8_t> FakeImageSensor::spotImage(std::uint8_t size)
{
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(size) * size, 20);
    const int centre = size / 2;
    const int radius = std::max(1, size / 8);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            if ((x - centre) * (x - centre) + (y - centre) * (y - centre) <= radius * radius) {
                pixels[static_cast<std::size_t>(y) * size + x] = 230;
            }
        }
    }
    return pixels;
}

void FakeImageSensor::stream(int count, platform::time::ManualClock& clock)
{
    // Each frame is fed to a full pool of reads and waited for until every read is back in the pool, so the reader
    // stamps it before the clock moves on.
    (void)m_device.waitForPendingReads(UsbDeviceReader::kReadCount, std::chrono::seconds(10));
    for (int i = 0; i < count; ++i) {
        QVFrameFields fields;
        std::uint8_t size = 0;
        int rate = 100;
        {
            std::lock_guard lock(m_mutex);
            if (!m_framesOn) {
                return;
            }
            fields = m_script ? m_script(m_frame) : QVFrameFields{};
            size = m_windowSize;
            fields.gain = static_cast<std::uint8_t>(m_gain);
            fields.exposure = m_exposure;
            rate = m_parameters.contains(21) && m_parameters.at(21) == 120 ? 120 : 100;
            ++m_frame;
        }
        fields.width = size;
        fields.height = size;
        // Each read of the pipe is one packet.
        for (auto& packet : qvFramePackets(fields, spotImage(size), kPacketPayload)) {
            m_device.feed(std::move(packet));
        }
        (void)m_device.waitForPendingReads(UsbDeviceReader::kReadCount, std::chrono::seconds(10));
        const std::int64_t before = m_microseconds / 1000;
        m_microseconds += 1'000'000 / rate;
        clock.advance(std::chrono::milliseconds(m_microseconds / 1000 - before));
    }
}

} // namespace talvolink::testsupport
