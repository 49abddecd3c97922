#pragma once

#include "talvolink/qv/tests/support/QVFrames.h"

#include "platform/usb/UsbTransportFake.h"

#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <set>

namespace platform::time {
class ManualClock;
}

namespace talvolink::testsupport {

/// What a fake image sensor answers in the start exchange.
struct FakeImageSensorIdentity {
    std::uint16_t hardware = 2;
    std::uint16_t firmware = 35;
    std::uint16_t protocolMajor = 18;
    std::uint16_t protocolMinor = 3;
    std::uint16_t flashLength = 26;
    float focal = 25.0F;
    std::uint16_t geometryX = 376; // the stored position: the middle of the picture
    std::uint16_t geometryY = 240;
    std::uint16_t model = 0;
};

/// An image sensor on the fake bus: answers the start exchange from its identity, keeps the settings it is sent,
/// and streams frames of a bright spot on a dark field at 100 or 120 frames a second of virtual time while frames
/// are on.
/// Thread rule: any thread (the vendor script runs on the caller's), streaming on the test's thread.
class FakeImageSensor {
public:
    using Identity = FakeImageSensorIdentity;
    static constexpr std::size_t kPacketPayload = 63;

    FakeImageSensor(platform::usb::FakeUsbTransport& bus, std::string path, Identity identity = {});

    platform::usb::FakeUsbDevice& device() { return m_device; }
    const std::string& path() const { return m_device.path(); }
    /// Requests of these codes fail from now on.
    void failRequests(std::set<std::uint8_t> codes);

    bool framesOn() const;
    std::uint8_t windowSize() const;
    std::map<std::uint16_t, std::uint16_t> parameters() const; ///< 0xBA values by number.
    std::uint16_t gain() const;
    std::uint16_t exposure() const;

    /// What the next frames show; `frame` counts from 0.
    using Script = std::function<QVFrameFields(int frame)>;
    void setScript(Script script);
    /// Streams `count` frames (while frames are on), each waited for until the reader took it, advancing `clock`
    /// by a frame interval (8 or 9 ms at 120 frames a second, 10 at 100) after each.
    void stream(int count, platform::time::ManualClock& clock);
    /// The spot image of a window of `size` pixels with the spot at its centre.
    static std::vector<std::uint8_t> spotImage(std::uint8_t size);

private:
    platform::usb::Transfer answer(const platform::usb::SetupPacket& setup, std::span<std::uint8_t> data);

    platform::usb::FakeUsbDevice& m_device;
    const Identity m_identity;
    mutable std::mutex m_mutex;
    std::set<std::uint8_t> m_failing;
    bool m_framesOn = false;
    std::uint8_t m_windowSize = 80;
    std::map<std::uint16_t, std::uint16_t> m_parameters;
    std::uint16_t m_gain = 64;
    std::uint16_t m_exposure = 30;
    Script m_script;
    int m_frame = 0;
    std::int64_t m_microseconds = 0;
};

} // namespace talvolink::testsupport
