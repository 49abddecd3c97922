#pragma once

#include "talvolink/usb/Bytes.h"
#include "talvolink/usb/UsbOpticalSensor.h"
#include "talvolink/usb/UsbTarget.h"
#include "talvolink/usb/UsbTriggerSensor.h"
#include "talvolink/usb/UsbWirelessDovecoteTarget.h"
#include "talvolink/usb/UsbWirelessTarget.h"

#include "platform/usb/UsbTransportFake.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace talvolink::testsupport {

/// One device of every kind that decodes what it reads, the optical sensor in each of its firmware framings, for
/// feeding arbitrary reads through all decoders (fuzzing and mutated blocks).
class UsbDecoders {
public:
    UsbDecoders() : m_wireless(m_bus), m_dovecote(m_bus), m_target(m_bus), m_trigger(m_bus)
    {
        (void)m_trigger.Initialize();
        // Newer firmware (47-byte records in packets), packets joined from halves, and bare 93-byte records.
        const std::array<std::uint32_t, 3> versions{0x00050000, 0x0004000A, 0x00040003};
        for (std::size_t i = 0; i < versions.size(); ++i) {
            const std::string path = "/dev/bus/usb/009/" + std::to_string(i);
            auto& fake = m_bus.plug(path, {0x2D7A, 0x000E});
            fake.setVendorScript(
                [version = versions[i]](const platform::usb::SetupPacket& setup, std::span<std::uint8_t> data) {
                    if (setup.request == 0x90 && data.size() == 4) {
                        bytes::put(data, 0, version);
                    }
                    return platform::usb::Transfer{platform::usb::kErrorSuccess, data.size()};
                });
            auto& sensor = m_optical.emplace_back(std::make_unique<UsbOpticalSensor>(m_bus));
            sensor->setUsesReader(false);
            (void)sensor->Open(path);
            sensor->eventSignal.hook([this](const OpticalSample&) { ++samples; });
        }
    }

    /// Hands `bytes` to every decoder as a whole read, as a data block and as a packet.
    void feed(std::span<const std::uint8_t> bytes)
    {
        std::array<UsbDevice*, 7> devices{&m_wireless, &m_dovecote, &m_target, &m_trigger};
        for (std::size_t i = 0; i < m_optical.size(); ++i) {
            devices[4 + i] = m_optical[i].get();
        }
        for (UsbDevice* device : devices) {
            device->OnReadComplete(bytes);
            device->OnData(bytes);
            device->OnPacket(bytes);
        }
        (void)m_trigger.CurrentValue();
    }

    std::size_t samples = 0;

private:
    platform::usb::FakeUsbTransport m_bus;
    UsbWirelessTarget m_wireless;
    UsbWirelessDovecoteTarget m_dovecote;
    UsbTarget m_target;
    UsbTriggerSensor m_trigger;
    std::vector<std::unique_ptr<UsbOpticalSensor>> m_optical;
};

} // namespace talvolink::testsupport
