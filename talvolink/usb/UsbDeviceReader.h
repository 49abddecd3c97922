#pragma once

#include "talvolink/usb/CThread.h"

#include <cstdint>
#include <span>

namespace talvolink {

class UsbDevice;

/// The reader thread of a UsbDevice: a pool of 32 pipe reads through WinUSB, or one read at a time through the
/// older driver, handing every completed read to the device's OnReadComplete.
/// Thread rule: Start and Stop on the device's owner thread; Run on the reader thread.
class UsbDeviceReader final : public CThread {
public:
    static constexpr std::size_t kReadCount = 32;
    static constexpr std::size_t kReadSize = 512;

    explicit UsbDeviceReader(UsbDevice& device) : m_device(device) {}
    ~UsbDeviceReader() override { Stop(); }

protected:
    void Run(platform::kernel::Event& stop) override;
    void WakeRun() override;

private:
    void runWinUsb(platform::kernel::Event& stop);
    void runDriver(platform::kernel::Event& stop);
    void deliver(std::span<const std::uint8_t> bytes);

    UsbDevice& m_device;
};

} // namespace talvolink
