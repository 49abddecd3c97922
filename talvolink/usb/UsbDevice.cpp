#include "talvolink/usb/UsbDevice.h"

#include "platform/com/LittleEndian.h"

#include <algorithm>
#include <cassert>
#include <vector>

namespace talvolink {

using platform::kernel::LockGuard;
using platform::kernel::RecursiveMutex;
using namespace platform::usb;

namespace {

// A device that does not answer a control transfer in this time is taken as gone.
constexpr std::uint32_t kControlTimeoutMs = 10000;
// FindDeviceInterface looks at no more interfaces of a class than this.
constexpr std::size_t kMaxInterfaces = 256;

constexpr std::size_t kBlockHeaderLength = 5;

void putLe16(std::uint8_t* out, std::uint16_t value)
{
    out[0] = static_cast<std::uint8_t>(value & 0xFF);
    out[1] = static_cast<std::uint8_t>(value >> 8);
}

std::vector<std::uint8_t> ioControlHeader(std::uint8_t request, std::uint16_t value, std::uint16_t index,
                                          std::uint16_t length)
{
    std::vector<std::uint8_t> header(kIoControlHeaderLength);
    putLe16(&header[0], request);
    putLe16(&header[2], value);
    putLe16(&header[4], index);
    putLe16(&header[6], length);
    return header;
}

} // namespace

UsbDevice::UsbDevice(UsbTransport& transport) : m_transport(transport), m_reader(*this) {}

UsbDevice::~UsbDevice()
{
    m_reader.Stop();
    CloseHandle();
}

bool UsbDevice::isOpen() const
{
    LockGuard<RecursiveMutex> lock(m_requestLock);
    return m_connection != nullptr;
}

UsbConnection* UsbDevice::connection()
{
    LockGuard<RecursiveMutex> lock(m_requestLock);
    return m_connection.get();
}

std::uint16_t UsbDevice::productId() const
{
    return platform::com::loadLittleEndian<std::uint16_t>(&m_descriptor[kDescriptorProductId]);
}

void UsbDevice::setError(std::string text, UsbError code)
{
    m_errorText = std::move(text);
    m_errorCode = code;
}

bool UsbDevice::fail(std::string text, UsbError code)
{
    setError(std::move(text), code);
    // Only a device that was set up is shut down; the error stays for the caller to read.
    if (m_initialized) {
        Shutdown();
    }
    m_reader.Stop();
    CloseHandle();
    m_initialized = false;
    return false;
}

bool UsbDevice::Open(const std::string& path)
{
    setError({});
    if (isOpen()) {
        return false;
    }
    auto opened = m_transport.open(path);
    if (opened.connection == nullptr) {
        setError("Error opening device", opened.error);
        return false;
    }
    {
        LockGuard<RecursiveMutex> lock(m_requestLock);
        m_connection = std::move(opened.connection);
        m_winUsb = m_connection->initializeWinUsb() == kErrorSuccess;
    }
    if (!readDescriptor()) {
        return false;
    }
    if (!Initialize()) {
        return fail(m_errorText.empty() ? "Unable to initialize device" : m_errorText, m_errorCode);
    }
    m_initialized = true;
    if (!m_usesReader) {
        return true;
    }
    if (m_winUsb && !findReadPipe()) {
        return false;
    }
    if (!m_reader.Start()) {
        return fail("Unable to create thread");
    }
    return true;
}

bool UsbDevice::readDescriptor()
{
    m_descriptor.fill(0);
    Transfer read;
    {
        LockGuard<RecursiveMutex> lock(m_requestLock);
        read = m_winUsb ? m_connection->deviceDescriptor(m_descriptor)
                        : m_connection->deviceIoControl(kIoControlGetDescriptor, {}, m_descriptor);
    }
    if (!read.succeeded()) {
        return fail("Error reading device descriptor", read.error);
    }
    if (read.length != kDeviceDescriptorLength) {
        return fail("Invalid device descriptor");
    }
    if (!m_winUsb) {
        return true;
    }
    if (m_descriptor[kDescriptorConfigurationCount] != 1) {
        return fail("Please upgrade TALVO firmware. (1)");
    }
    LockGuard<RecursiveMutex> lock(m_requestLock);
    (void)m_connection->setPipePolicy(0, PipePolicy::TransferTimeout, kControlTimeoutMs); // best effort
    return true;
}

bool UsbDevice::findReadPipe()
{
    LockGuard<RecursiveMutex> lock(m_requestLock);
    InterfaceDescriptor settings;
    if (const UsbError error = m_connection->queryInterfaceSettings(0, settings)) {
        return fail("Error reading interface descriptor", error);
    }
    for (std::uint8_t i = 0; i < settings.endpointCount; ++i) {
        PipeInformation pipe;
        if (const UsbError error = m_connection->queryPipe(0, i, pipe)) {
            return fail("Error reading pipe info", error);
        }
        if (!pipe.isIn()) {
            continue;
        }
        if (pipe.type == PipeType::Isochronous) {
            return fail("Please upgrade TALVO firmware. (2)");
        }
        if (pipe.type == PipeType::Bulk || pipe.type == PipeType::Interrupt) {
            m_readPipe = pipe;
            return true;
        }
    }
    return fail("Please upgrade TALVO firmware. (3)");
}

void UsbDevice::Close()
{
    assert(!m_reader.isCurrentThread() && "Close called from a handler on the reader thread");
    if (isOpen() && m_initialized) {
        Shutdown();
    }
    // A reader that met a fatal error may have closed the handle already; it is stopped all the same.
    m_reader.Stop();
    CloseHandle();
    m_initialized = false;
    m_errorCode = kErrorSuccess;
}

void UsbDevice::CloseHandle()
{
    std::unique_ptr<UsbConnection> closing;
    {
        LockGuard<RecursiveMutex> lock(m_requestLock);
        closing = std::move(m_connection);
    }
    // Destroyed outside the lock: cancelling its reads may wait, and vendor requests must not wait on that.
    closing.reset();
}

Transfer UsbDevice::vendorTransfer(const SetupPacket& setup, std::span<std::uint8_t> data)
{
    if (m_connection == nullptr) {
        return {kErrorInvalidHandle, 0};
    }
    if (m_winUsb) {
        return m_connection->controlTransfer(setup, data);
    }
    const bool fromDevice = (setup.requestType & 0x80) != 0;
    auto input = ioControlHeader(setup.request, setup.value, setup.index, fromDevice ? 0 : setup.length);
    if (fromDevice) {
        return m_connection->deviceIoControl(kIoControlVendorRequest, input, data);
    }
    input.insert(input.end(), data.begin(), data.end());
    const Transfer sent = m_connection->deviceIoControl(kIoControlVendorRequest, input, {});
    return {sent.error, sent.succeeded() ? data.size() : 0};
}

bool UsbDevice::ReadVendor(std::uint8_t request, std::uint16_t value, std::uint16_t index,
                           std::span<std::uint8_t> buffer)
{
    LockGuard<RecursiveMutex> lock(m_requestLock);
    const Transfer read =
        vendorTransfer({kVendorIn, request, value, index, static_cast<std::uint16_t>(buffer.size())}, buffer);
    return read.succeeded() && read.length == buffer.size();
}

bool UsbDevice::SendVendorCommand(std::uint8_t request, std::uint16_t value, std::uint16_t index)
{
    LockGuard<RecursiveMutex> lock(m_requestLock);
    return vendorTransfer({kVendorOut, request, value, index, 0}, {}).succeeded();
}

bool UsbDevice::WriteVendor(std::uint8_t request, std::uint16_t value, std::uint16_t index,
                            std::span<const std::uint8_t> data)
{
    LockGuard<RecursiveMutex> lock(m_requestLock);
    std::vector<std::uint8_t> copy(data.begin(), data.end());
    const Transfer written =
        vendorTransfer({kVendorOut, request, value, index, static_cast<std::uint16_t>(copy.size())}, copy);
    return written.succeeded() && written.length == data.size();
}

void UsbDevice::OnReadError(UsbError /*error*/, bool& /*stop*/) {}

void UsbDevice::OnReadTimeout(bool& /*stop*/) {}

// A device that takes no data blocks leaves them.
void UsbDevice::OnData(std::span<const std::uint8_t> /*bytes*/) {}

void UsbDevice::OnPacket(std::span<const std::uint8_t> /*bytes*/) {}

void UsbDevice::OnReadComplete(std::span<const std::uint8_t> bytes)
{
    if (!m_taggedBlocks) {
        OnData(bytes);
        return;
    }
    while (bytes.size() >= kBlockHeaderLength) {
        const std::uint32_t length = platform::com::loadLittleEndian<std::uint32_t>(&bytes[1]);
        if (length > bytes.size() - kBlockHeaderLength) {
            return;
        }
        const auto data = bytes.subspan(kBlockHeaderLength, length);
        if (bytes[0] == kDataTag) {
            OnData(data);
        } else if (bytes[0] == kPacketTag) {
            OnPacket(data);
        }
        bytes = bytes.subspan(kBlockHeaderLength + length);
    }
}

void UsbDevice::OnPacketRead(std::span<const std::uint8_t> bytes)
{
    if (m_taggedBlocks) {
        OnPacket(bytes);
    } else {
        OnData(bytes);
    }
}

bool FindDeviceInterface(UsbTransport& transport, const std::string& path, InterfaceClass interfaceClass)
{
    const auto present = transport.enumerate(interfaceClass);
    if (!present) {
        return false;
    }
    const std::size_t count = std::min(present->size(), kMaxInterfaces);
    return std::any_of(present->begin(), present->begin() + static_cast<std::ptrdiff_t>(count),
                       [&](const DeviceInterface& found) { return samePath(found.path, path); });
}

} // namespace talvolink
