#include "platform/usb/UsbTransportFake.h"

#include "platform/com/LittleEndian.h"

#include <algorithm>
#include <cstring>

namespace platform::usb {

namespace {

std::uint16_t readLe16(std::span<const std::uint8_t> bytes, std::size_t offset)
{
    return com::loadLittleEndian<std::uint16_t>(bytes.data() + offset);
}

} // namespace

std::vector<std::uint8_t> makeDeviceDescriptor(UsbId id, std::uint8_t configurationCount)
{
    return {18,
            1,    // device descriptor
            0x00, // USB 2.0
            0x02,
            0xFF, // vendor-specific class
            0x00,
            0x00,
            64,
            static_cast<std::uint8_t>(id.vendorId & 0xFF),
            static_cast<std::uint8_t>(id.vendorId >> 8),
            static_cast<std::uint8_t>(id.productId & 0xFF),
            static_cast<std::uint8_t>(id.productId >> 8),
            0x00,
            0x01,
            0,
            0,
            0,
            configurationCount};
}

FakeUsbDevice::FakeUsbDevice(std::string path, UsbId id)
    : m_path(std::move(path)), m_id(id),
      m_descriptor(makeDeviceDescriptor(id)), m_pipes{PipeInformation{PipeType::Bulk, 0x81, 64, 0}}
{
}

void FakeUsbDevice::setWinUsb(bool winUsb)
{
    std::lock_guard lock(m_mutex);
    m_winUsb = winUsb;
}

void FakeUsbDevice::setDescriptor(std::vector<std::uint8_t> descriptor)
{
    std::lock_guard lock(m_mutex);
    m_descriptor = std::move(descriptor);
}

void FakeUsbDevice::setPipes(std::vector<PipeInformation> pipes)
{
    std::lock_guard lock(m_mutex);
    m_pipes = std::move(pipes);
}

void FakeUsbDevice::setVendorScript(VendorScript script)
{
    std::lock_guard lock(m_mutex);
    m_script = std::move(script);
}

void FakeUsbDevice::setBusy(bool busy)
{
    std::lock_guard lock(m_mutex);
    m_busy = busy;
}

void FakeUsbDevice::failStep(FakeStep step, UsbError error)
{
    std::lock_guard lock(m_mutex);
    std::erase_if(m_failures, [step](const auto& failure) { return failure.first == step; });
    if (error != kErrorSuccess) {
        m_failures.emplace_back(step, error);
    }
}

UsbError FakeUsbDevice::stepError(FakeStep step) const
{
    if (!m_plugged) {
        return kErrorBadCommand;
    }
    for (const auto& [failing, error] : m_failures) {
        if (failing == step) {
            return error;
        }
    }
    return kErrorSuccess;
}

void FakeUsbDevice::feed(std::vector<std::uint8_t> block)
{
    std::lock_guard lock(m_mutex);
    m_feeds.push_back({std::move(block), kErrorSuccess});
    completeReads();
}

void FakeUsbDevice::failRead(UsbError error)
{
    std::lock_guard lock(m_mutex);
    m_feeds.push_back({{}, error});
    completeReads();
}

void FakeUsbDevice::stall()
{
    std::lock_guard lock(m_mutex);
    m_feeds.push_back({{}, kErrorGenFailure});
    completeReads();
}

void FakeUsbDevice::unplug()
{
    std::lock_guard lock(m_mutex);
    m_plugged = false;
    m_feeds.clear();
    for (const auto& read : m_pending) {
        m_completions.push_back({read.tag, {kErrorBadCommand, 0}});
    }
    m_pending.clear();
    m_changed.notify_all();
}

// Hands queued blocks to the oldest pending reads. A stall halts the pipe unless AutoClearStall is on.
void FakeUsbDevice::completeReads()
{
    while (!m_pending.empty() && !m_feeds.empty()) {
        const PendingRead read = m_pending.front();
        Feed next = std::move(m_feeds.front());
        m_pending.pop_front();
        m_feeds.pop_front();
        if (next.error == kErrorGenFailure) {
            const bool autoClear = std::ranges::any_of(m_policies, [](const auto& policy) {
                return (policy.first & 0xFF) == static_cast<std::uint16_t>(PipePolicy::AutoClearStall) &&
                       policy.second != 0;
            });
            m_halted = !autoClear;
            m_haltsCleared += autoClear ? 1 : 0;
        }
        const std::size_t length = std::min(next.bytes.size(), read.buffer.size());
        std::copy_n(next.bytes.begin(), length, read.buffer.begin());
        m_completions.push_back({read.tag, {next.error, next.error == kErrorSuccess ? length : 0}});
    }
    m_changed.notify_all();
}

Transfer FakeUsbDevice::vendorRequest(const SetupPacket& setup, std::span<std::uint8_t> data)
{
    if (!m_plugged) {
        return {kErrorBadCommand, 0};
    }
    FakeRequest request{setup, {}};
    if ((setup.requestType & 0x80) == 0) {
        request.data.assign(data.begin(), data.end());
    }
    m_requests.push_back(std::move(request));
    if (!m_script) {
        return {kErrorGenFailure, 0};
    }
    return m_script(setup, data);
}

std::vector<FakeRequest> FakeUsbDevice::requests() const
{
    std::lock_guard lock(m_mutex);
    return m_requests;
}

std::vector<std::vector<std::uint8_t>> FakeUsbDevice::ioControlInputs() const
{
    std::lock_guard lock(m_mutex);
    return m_ioControls;
}

std::uint32_t FakeUsbDevice::policy(std::uint8_t pipeId, PipePolicy policy) const
{
    std::lock_guard lock(m_mutex);
    const auto key = static_cast<std::uint16_t>(pipeId << 8 | static_cast<std::uint8_t>(policy));
    for (const auto& [setKey, value] : m_policies) {
        if (setKey == key) {
            return value;
        }
    }
    return 0;
}

int FakeUsbDevice::pipeResets() const
{
    std::lock_guard lock(m_mutex);
    return m_pipeResets;
}

int FakeUsbDevice::haltsCleared() const
{
    std::lock_guard lock(m_mutex);
    return m_haltsCleared;
}

bool FakeUsbDevice::isOpen() const
{
    std::lock_guard lock(m_mutex);
    return m_open;
}

bool FakeUsbDevice::isPlugged() const
{
    std::lock_guard lock(m_mutex);
    return m_plugged;
}

std::size_t FakeUsbDevice::pendingReads() const
{
    std::lock_guard lock(m_mutex);
    return m_pending.size();
}

bool FakeUsbDevice::waitForPendingReads(std::size_t count, std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [&] { return m_pending.size() >= count; });
}

class FakeUsbConnection final : public UsbConnection {
public:
    explicit FakeUsbConnection(std::shared_ptr<FakeUsbDevice> device) : m_device(std::move(device)) {}

    ~FakeUsbConnection() override
    {
        std::lock_guard lock(m_device->m_mutex);
        m_device->m_open = false;
        m_device->m_pending.clear();
        m_device->m_completions.clear();
        m_device->m_changed.notify_all();
    }

    UsbError initializeWinUsb() override
    {
        std::lock_guard lock(m_device->m_mutex);
        return m_device->m_winUsb ? kErrorSuccess : kErrorNotSupported;
    }

    Transfer deviceDescriptor(std::span<std::uint8_t> buffer) override
    {
        std::lock_guard lock(m_device->m_mutex);
        return copyDescriptor(buffer);
    }

    UsbError queryInterfaceSettings(std::uint8_t alternate, InterfaceDescriptor& settings) override
    {
        std::lock_guard lock(m_device->m_mutex);
        if (const UsbError error = m_device->stepError(FakeStep::InterfaceSettings)) {
            return error;
        }
        if (alternate != 0) {
            return kErrorInvalidParameter;
        }
        settings = {0, 0, static_cast<std::uint8_t>(m_device->m_pipes.size()), 0xFF};
        return kErrorSuccess;
    }

    UsbError queryPipe(std::uint8_t alternate, std::uint8_t pipeIndex, PipeInformation& pipe) override
    {
        std::lock_guard lock(m_device->m_mutex);
        if (const UsbError error = m_device->stepError(FakeStep::QueryPipe)) {
            return error;
        }
        if (alternate != 0 || pipeIndex >= m_device->m_pipes.size()) {
            return kErrorInvalidParameter;
        }
        pipe = m_device->m_pipes[pipeIndex];
        return kErrorSuccess;
    }

    UsbError setPipePolicy(std::uint8_t pipeId, PipePolicy policy, std::uint32_t value) override
    {
        std::lock_guard lock(m_device->m_mutex);
        const auto key = static_cast<std::uint16_t>(pipeId << 8 | static_cast<std::uint8_t>(policy));
        std::erase_if(m_device->m_policies, [key](const auto& entry) { return entry.first == key; });
        m_device->m_policies.emplace_back(key, value);
        return m_device->m_plugged ? kErrorSuccess : kErrorBadCommand;
    }

    Transfer controlTransfer(const SetupPacket& setup, std::span<std::uint8_t> data) override
    {
        std::lock_guard lock(m_device->m_mutex);
        return m_device->vendorRequest(setup, data.first(std::min<std::size_t>(data.size(), setup.length)));
    }

    UsbError resetPipe(std::uint8_t /*pipeId*/) override
    {
        std::lock_guard lock(m_device->m_mutex);
        if (!m_device->m_plugged) {
            return kErrorBadCommand;
        }
        ++m_device->m_pipeResets;
        m_device->m_haltsCleared += m_device->m_halted ? 1 : 0;
        m_device->m_halted = false;
        return kErrorSuccess;
    }

    UsbError abortPipe(std::uint8_t /*pipeId*/) override
    {
        std::lock_guard lock(m_device->m_mutex);
        m_device->m_pending.clear();
        m_device->m_completions.clear();
        return kErrorSuccess;
    }

    Transfer deviceIoControl(std::uint32_t code, std::span<const std::uint8_t> input,
                             std::span<std::uint8_t> output) override
    {
        std::lock_guard lock(m_device->m_mutex);
        m_device->m_ioControls.emplace_back(input.begin(), input.end());
        if (code == kIoControlGetDescriptor) {
            return copyDescriptor(output);
        }
        if (code != kIoControlVendorRequest || input.size() < kIoControlHeaderLength) {
            return {kErrorInvalidParameter, 0};
        }
        SetupPacket setup{kVendorOut, static_cast<std::uint8_t>(readLe16(input, 0)), readLe16(input, 2),
                          readLe16(input, 4), 0};
        if (!output.empty()) {
            setup.requestType = kVendorIn;
            setup.length = static_cast<std::uint16_t>(output.size());
            return m_device->vendorRequest(setup, output);
        }
        std::vector<std::uint8_t> data(input.begin() + kIoControlHeaderLength, input.end());
        setup.length = static_cast<std::uint16_t>(data.size());
        const Transfer result = m_device->vendorRequest(setup, data);
        return {result.error, 0};
    }

    Transfer submitRead(std::uint8_t /*pipeId*/, std::uint32_t tag, std::span<std::uint8_t> buffer) override
    {
        std::lock_guard lock(m_device->m_mutex);
        if (const UsbError error = m_device->stepError(FakeStep::SubmitRead)) {
            return {error, 0};
        }
        if (m_device->m_halted) {
            return {kErrorGenFailure, 0};
        }
        if (m_device->m_pending.empty() && !m_device->m_feeds.empty() &&
            m_device->m_feeds.front().error == kErrorSuccess) {
            // Data already waiting: the read finishes at once, as an overlapped read can.
            auto block = std::move(m_device->m_feeds.front().bytes);
            m_device->m_feeds.pop_front();
            const std::size_t length = std::min(block.size(), buffer.size());
            std::copy_n(block.begin(), length, buffer.begin());
            return {kErrorSuccess, length};
        }
        m_device->m_pending.push_back({tag, buffer});
        m_device->completeReads();
        return {kErrorIoPending, 0};
    }

    Wait waitRead(std::chrono::milliseconds timeout) override
    {
        std::unique_lock lock(m_device->m_mutex);
        if (const UsbError error = m_device->stepError(FakeStep::WaitRead); error && m_device->m_plugged) {
            return {std::nullopt, error};
        }
        m_device->m_changed.wait_for(lock, timeout,
                                     [&] { return !m_device->m_completions.empty() || m_device->m_woken; });
        m_device->m_woken = false;
        if (m_device->m_completions.empty()) {
            return {};
        }
        const ReadCompletion completion = m_device->m_completions.front();
        m_device->m_completions.pop_front();
        return {completion, kErrorSuccess};
    }

    void wake() override
    {
        std::lock_guard lock(m_device->m_mutex);
        m_device->m_woken = true;
        m_device->m_changed.notify_all();
    }

private:
    Transfer copyDescriptor(std::span<std::uint8_t> buffer)
    {
        if (const UsbError error = m_device->stepError(FakeStep::Descriptor)) {
            return {error, 0};
        }
        const std::size_t length = std::min(buffer.size(), m_device->m_descriptor.size());
        std::copy_n(m_device->m_descriptor.begin(), length, buffer.begin());
        return {kErrorSuccess, length};
    }

    std::shared_ptr<FakeUsbDevice> m_device;
};

FakeUsbDevice& FakeUsbTransport::plug(std::string path, UsbId id)
{
    std::lock_guard lock(m_mutex);
    m_devices.push_back(std::make_shared<FakeUsbDevice>(std::move(path), id));
    return *m_devices.back();
}

void FakeUsbTransport::setEnumerationFails(bool fails)
{
    std::lock_guard lock(m_mutex);
    m_enumerationFails = fails;
}

Result<std::vector<DeviceInterface>> FakeUsbTransport::enumerate(InterfaceClass interfaceClass)
{
    std::lock_guard lock(m_mutex);
    if (m_enumerationFails) {
        return Error{E_FAIL, "the fake bus cannot be listed"};
    }
    const auto ids = idsOfClass(interfaceClass);
    std::vector<DeviceInterface> found;
    for (const auto& device : m_devices) {
        if (device->isPlugged() && std::ranges::find(ids, device->id()) != ids.end()) {
            found.push_back({device->path(), device->id()});
        }
    }
    return found;
}

UsbTransport::Opened FakeUsbTransport::open(const std::string& path)
{
    std::lock_guard lock(m_mutex);
    for (const auto& device : m_devices) {
        if (!samePath(device->path(), path)) {
            continue;
        }
        std::lock_guard deviceLock(device->m_mutex);
        if (!device->m_plugged) {
            break;
        }
        if (const UsbError error = device->stepError(FakeStep::Open)) {
            return {nullptr, error};
        }
        if (device->m_busy || device->m_open) {
            return {nullptr, kErrorSharingViolation};
        }
        device->m_open = true;
        device->m_halted = false;
        device->m_feeds.clear();
        return {std::make_unique<FakeUsbConnection>(device), kErrorSuccess};
    }
    return {nullptr, kErrorFileNotFound};
}

} // namespace platform::usb
