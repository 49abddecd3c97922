#pragma once

#include "talvolink/usb/NativeEvent.h"
#include "talvolink/usb/UsbDeviceReader.h"

#include "platform/kernel/Mutex.h"
#include "platform/usb/UsbTransport.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace talvolink {

/// One USB device of ours: opens a device-interface path, talks to the device by vendor requests and reads its data
/// pipe on a reader thread, through WinUSB or, when WinUSB does not take the device, the older driver's controls.
/// Subclasses give a kind of device its set-up and its decoding.
/// Thread rule: Open and Close on the owner thread; vendor requests from any thread (the request lock serialises
/// them); the handler slots run on the reader thread.
class UsbDevice {
public:
    /// The tags of a read's blocks: [tag][32-bit length][data], and of a receiver's [length][tag][data] sub-blocks.
    static constexpr std::uint8_t kDataTag = 0x44;
    static constexpr std::uint8_t kPacketTag = 0x88;

    explicit UsbDevice(platform::usb::UsbTransport& transport);
    /// A subclass's destructor must Close, because Shutdown and the handlers are its own.
    virtual ~UsbDevice();
    UsbDevice(const UsbDevice&) = delete;
    UsbDevice& operator=(const UsbDevice&) = delete;

    /// Opens and sets the device up; false with the reason in errorText() (an open device answers false at once).
    bool Open(const std::string& path);
    /// Shutdown when open, then stops the reader and closes the handle. The error code becomes 0. Never from a
    /// handler on the reader thread: the reader would lose its handle under its feet.
    void Close();
    bool isOpen() const;
    /// The reader thread exists (it may have ended after a fatal error; Close joins it).
    bool isReading() const { return m_reader.isRunning(); }

    /// A vendor request reading exactly buffer.size() bytes.
    bool ReadVendor(std::uint8_t request, std::uint16_t value, std::uint16_t index, std::span<std::uint8_t> buffer);
    /// A vendor request without data.
    bool SendVendorCommand(std::uint8_t request, std::uint16_t value, std::uint16_t index);
    /// A vendor request writing exactly data.size() bytes.
    bool WriteVendor(std::uint8_t request, std::uint16_t value, std::uint16_t index,
                     std::span<const std::uint8_t> data);

    const std::string& errorText() const { return m_errorText; }
    /// Initialize's own failure text, which Open keeps.
    void setErrorText(std::string text) { m_errorText = std::move(text); }
    platform::usb::UsbError errorCode() const { return m_errorCode; }
    bool isWinUsb() const { return m_winUsb; }
    const std::array<std::uint8_t, platform::usb::kDeviceDescriptorLength>& descriptor() const { return m_descriptor; }
    std::uint16_t productId() const;
    const platform::usb::PipeInformation& readPipe() const { return m_readPipe; }

    /// Cleared, Open neither checks the pipes nor starts the reader (a probe that only tries to open the device).
    void setUsesReader(bool usesReader) { m_usesReader = usesReader; }
    bool usesReader() const { return m_usesReader; }
    bool usesTaggedBlocks() const { return m_taggedBlocks; }
    std::size_t readBufferSize() const { return m_readBufferSize; }
    /// How long the older driver's loop waits for a read before OnReadTimeout; max() waits without limit.
    std::chrono::milliseconds readTimeout() const { return m_readTimeout; }
    void setReadTimeout(std::chrono::milliseconds timeout) { m_readTimeout = timeout; }

    // Slots, called by Open and Close and, from OnReadError on, on the reader thread.
    /// Device-specific set-up after opening; false fails the opening (with a text of its own or without).
    virtual bool Initialize() = 0;
    /// Device-specific work before closing.
    virtual void Shutdown() {}
    /// A read failed; `stop` ends the reading.
    virtual void OnReadError(platform::usb::UsbError error, bool& stop);
    /// No data within the read time-out.
    virtual void OnReadTimeout(bool& stop);
    /// A data block (tag 0x44), or every read of a device without tagged blocks.
    virtual void OnData(std::span<const std::uint8_t> bytes);
    /// A packet block (tag 0x88).
    virtual void OnPacket(std::span<const std::uint8_t> bytes);
    /// One completed read: whole to OnData without tagged blocks, else split into [tag][32-bit length][data]
    /// blocks; a block that does not fit ends the parsing.
    virtual void OnReadComplete(std::span<const std::uint8_t> bytes);
    /// One read of a device that does not frame its reads: a packet block of a device with tagged blocks, else data.
    void OnPacketRead(std::span<const std::uint8_t> bytes);

    /// Raised on the reader thread when reading ended for good on an error of the device (it went away), not on a
    /// stop.
    NativeEvent<> eventLost;

    /// The connection the reader reads through; null once closed.
    platform::usb::UsbConnection* connection();

protected:
    void setTaggedBlocks(bool tagged) { m_taggedBlocks = tagged; }
    /// Closes the handle only, as a failed read asks: no Shutdown, and the reader (this thread) ends by itself.
    void CloseHandle();
    platform::kernel::RecursiveMutex& requestLock() const { return m_requestLock; }

private:
    void setError(std::string text, platform::usb::UsbError code = platform::usb::kErrorSuccess);
    bool readDescriptor();
    bool findReadPipe();
    bool fail(std::string text, platform::usb::UsbError code = platform::usb::kErrorSuccess);
    platform::usb::Transfer vendorTransfer(const platform::usb::SetupPacket& setup, std::span<std::uint8_t> data)
        TALVO_REQUIRES(m_requestLock);

    platform::usb::UsbTransport& m_transport;
    mutable platform::kernel::RecursiveMutex m_requestLock;
    std::unique_ptr<platform::usb::UsbConnection> m_connection TALVO_GUARDED_BY(m_requestLock);
    std::string m_errorText;
    platform::usb::UsbError m_errorCode = platform::usb::kErrorSuccess;
    bool m_usesReader = true;
    bool m_taggedBlocks = true;
    bool m_winUsb = false;
    bool m_initialized = false;
    std::array<std::uint8_t, platform::usb::kDeviceDescriptorLength> m_descriptor{};
    platform::usb::PipeInformation m_readPipe;
    std::size_t m_readBufferSize = 2048;
    std::chrono::milliseconds m_readTimeout = std::chrono::milliseconds::max();
    UsbDeviceReader m_reader;
};

/// True when `path` is among the first 256 present interfaces of the class (compared without regard to case).
bool FindDeviceInterface(platform::usb::UsbTransport& transport, const std::string& path,
                         platform::usb::InterfaceClass interfaceClass);

} // namespace talvolink
