#pragma once

#include "talvolink/usb/UsbDevice.h"

namespace talvolink {

/// A device opened only to learn whether it can be opened: its set-up does nothing, and with the reader flag
/// cleared Open starts no thread.
/// Thread rule: owner thread.
class UsbDeviceProbe final : public UsbDevice {
public:
    explicit UsbDeviceProbe(platform::usb::UsbTransport& transport) : UsbDevice(transport) {}
    ~UsbDeviceProbe() override { Close(); }

    bool Initialize() override { return true; }
};

} // namespace talvolink
