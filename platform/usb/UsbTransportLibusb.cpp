#include "platform/usb/UsbTransport.h"

#include <libudev.h>
#include <libusb.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <condition_variable>
#include <deque>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <unistd.h>

namespace platform::usb {

namespace {

// Control transfers time out after this unless the TransferTimeout policy says otherwise (WinUSB's default).
constexpr unsigned kDefaultControlTimeoutMs = 5000;
// The longest single wait on libusb's events, so that a wake() or a deadline is seen soon.
constexpr std::chrono::milliseconds kEventSlice{50};
// Cancelled transfers come back within a few frames; this bounds the wait for them.
constexpr std::chrono::milliseconds kCancelWait{2000};

UsbError errorOf(int libusbError)
{
    switch (libusbError) {
    case LIBUSB_ERROR_NO_DEVICE:
        return kErrorBadCommand;
    case LIBUSB_ERROR_BUSY:
        return kErrorSharingViolation;
    case LIBUSB_ERROR_ACCESS:
        return kErrorAccessDenied;
    case LIBUSB_ERROR_NOT_FOUND:
        return kErrorFileNotFound;
    case LIBUSB_ERROR_TIMEOUT:
        return kErrorSemTimeout;
    case LIBUSB_ERROR_INVALID_PARAM:
        return kErrorInvalidParameter;
    case LIBUSB_ERROR_NOT_SUPPORTED:
        return kErrorNotSupported;
    default:
        return kErrorGenFailure;
    }
}

UsbError errorOfStatus(libusb_transfer_status status)
{
    switch (status) {
    case LIBUSB_TRANSFER_COMPLETED:
        return kErrorSuccess;
    case LIBUSB_TRANSFER_TIMED_OUT:
        return kErrorSemTimeout;
    case LIBUSB_TRANSFER_CANCELLED:
        return kErrorOperationAborted;
    case LIBUSB_TRANSFER_NO_DEVICE:
        return kErrorBadCommand;
    case LIBUSB_TRANSFER_STALL:
    case LIBUSB_TRANSFER_ERROR:
    case LIBUSB_TRANSFER_OVERFLOW:
        return kErrorGenFailure;
    }
    return kErrorGenFailure;
}

UsbError errorOfErrno(int error)
{
    switch (error) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return kErrorFileNotFound;
    case EACCES:
    case EPERM:
        return kErrorAccessDenied;
    case EBUSY:
        return kErrorSharingViolation;
    default:
        return kErrorGenFailure;
    }
}

// One libusb context for the process, made on first use and kept.
libusb_context* context()
{
    static libusb_context* s_context = [] {
        libusb_context* made = nullptr;
        return libusb_init(&made) == LIBUSB_SUCCESS ? made : nullptr;
    }();
    return s_context;
}

std::uint16_t hexAttribute(udev_device* device, const char* name)
{
    const char* text = udev_device_get_sysattr_value(device, name);
    std::uint16_t value = 0;
    if (text != nullptr) {
        std::from_chars(text, text + std::char_traits<char>::length(text), value, 16);
    }
    return value;
}

class LibusbConnection final : public UsbConnection {
public:
    LibusbConnection(int fd, libusb_device_handle* handle) : m_fd(fd), m_handle(handle) {}

    ~LibusbConnection() override
    {
        cancelAndReap([](std::uint8_t) { return true; });
        std::lock_guard lock(m_mutex);
        for (auto& [tag, transfer] : m_transfers) {
            // A transfer that never came back is left to libusb rather than freed under its feet.
            if (!m_inFlight.contains(transfer)) {
                libusb_free_transfer(transfer);
            }
        }
        libusb_release_interface(m_handle, 0);
        libusb_close(m_handle);
        ::close(m_fd);
    }

    UsbError initializeWinUsb() override { return kErrorSuccess; }

    Transfer deviceDescriptor(std::span<std::uint8_t> buffer) override
    {
        const int length = libusb_get_descriptor(m_handle, LIBUSB_DT_DEVICE, 0, buffer.data(),
                                                 static_cast<int>(std::min<std::size_t>(buffer.size(), 0xFFFF)));
        return length < 0 ? Transfer{errorOf(length), 0} : Transfer{kErrorSuccess, static_cast<std::size_t>(length)};
    }

    UsbError queryInterfaceSettings(std::uint8_t alternate, InterfaceDescriptor& settings) override
    {
        return withInterface(alternate, [&](const libusb_interface_descriptor& found) {
            settings = {found.bInterfaceNumber, found.bAlternateSetting, found.bNumEndpoints, found.bInterfaceClass};
            return kErrorSuccess;
        });
    }

    UsbError queryPipe(std::uint8_t alternate, std::uint8_t pipeIndex, PipeInformation& pipe) override
    {
        return withInterface(alternate, [&](const libusb_interface_descriptor& found) {
            if (pipeIndex >= found.bNumEndpoints) {
                return kErrorInvalidParameter;
            }
            const libusb_endpoint_descriptor& endpoint = found.endpoint[pipeIndex];
            pipe = {static_cast<PipeType>(endpoint.bmAttributes & 0x03), endpoint.bEndpointAddress,
                    endpoint.wMaxPacketSize, endpoint.bInterval};
            std::lock_guard lock(m_mutex);
            m_pipeTypes[pipe.pipeId] = pipe.type;
            return kErrorSuccess;
        });
    }

    UsbError setPipePolicy(std::uint8_t pipeId, PipePolicy policy, std::uint32_t value) override
    {
        std::lock_guard lock(m_mutex);
        if (policy == PipePolicy::TransferTimeout && pipeId == 0) {
            m_controlTimeoutMs = value;
        } else if (policy == PipePolicy::AutoClearStall) {
            m_autoClearStall[pipeId] = value != 0;
        }
        // Raw I/O is what libusb does anyway: each read is one transfer of the size asked.
        return kErrorSuccess;
    }

    Transfer controlTransfer(const SetupPacket& setup, std::span<std::uint8_t> data) override
    {
        unsigned timeout = 0;
        {
            std::lock_guard lock(m_mutex);
            timeout = m_controlTimeoutMs;
        }
        const auto length = static_cast<std::uint16_t>(std::min<std::size_t>(data.size(), setup.length));
        const int moved = libusb_control_transfer(m_handle, setup.requestType, setup.request, setup.value, setup.index,
                                                  data.data(), length, timeout);
        return moved < 0 ? Transfer{errorOf(moved), 0} : Transfer{kErrorSuccess, static_cast<std::size_t>(moved)};
    }

    UsbError resetPipe(std::uint8_t pipeId) override
    {
        const int result = libusb_clear_halt(m_handle, pipeId);
        return result == LIBUSB_SUCCESS ? kErrorSuccess : errorOf(result);
    }

    UsbError abortPipe(std::uint8_t pipeId) override
    {
        cancelAndReap([pipeId](std::uint8_t endpoint) { return endpoint == pipeId; });
        std::lock_guard lock(m_mutex);
        m_completions.clear();
        return kErrorSuccess;
    }

    Transfer deviceIoControl(std::uint32_t /*code*/, std::span<const std::uint8_t> /*input*/,
                             std::span<std::uint8_t> /*output*/) override
    {
        // WinUSB always takes our devices here; the older driver does not exist.
        return {kErrorNotSupported, 0};
    }

    Transfer submitRead(std::uint8_t pipeId, std::uint32_t tag, std::span<std::uint8_t> buffer) override
    {
        if (pipeId == kDriverReadPipe) {
            return {kErrorNotSupported, 0};
        }
        std::lock_guard lock(m_mutex);
        libusb_transfer*& transfer = m_transfers[tag];
        if (transfer == nullptr) {
            transfer = libusb_alloc_transfer(0);
            if (transfer == nullptr) {
                return {kErrorGenFailure, 0};
            }
        }
        const auto type = m_pipeTypes.contains(pipeId) ? m_pipeTypes[pipeId] : PipeType::Bulk;
        const int length = static_cast<int>(buffer.size());
        if (type == PipeType::Interrupt) {
            libusb_fill_interrupt_transfer(transfer, m_handle, pipeId, buffer.data(), length, &onTransfer, this, 0);
        } else {
            libusb_fill_bulk_transfer(transfer, m_handle, pipeId, buffer.data(), length, &onTransfer, this, 0);
        }
        transfer->user_data = this;
        const int result = libusb_submit_transfer(transfer);
        if (result != LIBUSB_SUCCESS) {
            return {errorOf(result), 0};
        }
        m_inFlight[transfer] = {tag, pipeId};
        return {kErrorIoPending, 0};
    }

    Wait waitRead(std::chrono::milliseconds timeout) override
    {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (true) {
            clearStalledPipes();
            {
                std::lock_guard lock(m_mutex);
                if (!m_completions.empty()) {
                    const ReadCompletion completion = m_completions.front();
                    m_completions.pop_front();
                    return {completion, kErrorSuccess};
                }
                if (m_woken) {
                    m_woken = false;
                    return {};
                }
            }
            const auto left =
                std::chrono::duration_cast<std::chrono::microseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) {
                return {};
            }
            const auto slice = std::min<std::chrono::microseconds>(left, kEventSlice);
            timeval tv{static_cast<time_t>(slice.count() / 1000000), static_cast<suseconds_t>(slice.count() % 1000000)};
            const int result = libusb_handle_events_timeout_completed(context(), &tv, nullptr);
            if (result != LIBUSB_SUCCESS && result != LIBUSB_ERROR_INTERRUPTED) {
                return {std::nullopt, errorOf(result)};
            }
        }
    }

    void wake() override
    {
        {
            std::lock_guard lock(m_mutex);
            m_woken = true;
        }
        libusb_interrupt_event_handler(context());
    }

private:
    struct InFlight {
        std::uint32_t tag;
        std::uint8_t pipeId;
    };

    // Runs inside libusb's event handling, on whichever thread handles events.
    static void LIBUSB_CALL onTransfer(libusb_transfer* transfer)
    {
        auto* self = static_cast<LibusbConnection*>(transfer->user_data);
        std::lock_guard lock(self->m_mutex);
        const auto found = self->m_inFlight.find(transfer);
        if (found == self->m_inFlight.end()) {
            return;
        }
        const InFlight read = found->second;
        self->m_inFlight.erase(found);
        UsbError error = errorOfStatus(transfer->status);
        if (transfer->status == LIBUSB_TRANSFER_STALL && self->m_autoClearStall[read.pipeId]) {
            // Clearing the halt is a synchronous call, which an event callback must not make.
            self->m_stalledPipes.push_back(read.pipeId);
        }
        const std::size_t length = error == kErrorSuccess ? static_cast<std::size_t>(transfer->actual_length) : 0;
        self->m_completions.push_back({read.tag, {error, length}});
    }

    void clearStalledPipes()
    {
        std::vector<std::uint8_t> stalled;
        {
            std::lock_guard lock(m_mutex);
            stalled.swap(m_stalledPipes);
        }
        for (const std::uint8_t pipeId : stalled) {
            libusb_clear_halt(m_handle, pipeId);
        }
    }

    template <typename Matches> void cancelAndReap(Matches matches)
    {
        std::vector<libusb_transfer*> cancelled;
        {
            std::lock_guard lock(m_mutex);
            for (const auto& [transfer, read] : m_inFlight) {
                if (matches(read.pipeId)) {
                    cancelled.push_back(transfer);
                }
            }
        }
        for (libusb_transfer* transfer : cancelled) {
            libusb_cancel_transfer(transfer);
        }
        const auto deadline = std::chrono::steady_clock::now() + kCancelWait;
        while (std::chrono::steady_clock::now() < deadline) {
            {
                std::lock_guard lock(m_mutex);
                if (std::ranges::none_of(cancelled, [&](libusb_transfer* t) { return m_inFlight.contains(t); })) {
                    return;
                }
            }
            timeval tv{0, 10000};
            libusb_handle_events_timeout_completed(context(), &tv, nullptr);
        }
    }

    template <typename Use> UsbError withInterface(std::uint8_t alternate, Use use)
    {
        libusb_config_descriptor* config = nullptr;
        const int result = libusb_get_active_config_descriptor(libusb_get_device(m_handle), &config);
        if (result != LIBUSB_SUCCESS) {
            return errorOf(result);
        }
        UsbError error = kErrorInvalidParameter;
        if (config->bNumInterfaces > 0 && alternate < config->interface[0].num_altsetting) {
            error = use(config->interface[0].altsetting[alternate]);
        }
        libusb_free_config_descriptor(config);
        return error;
    }

    const int m_fd;
    libusb_device_handle* const m_handle;

    std::mutex m_mutex;
    unsigned m_controlTimeoutMs = kDefaultControlTimeoutMs;
    bool m_woken = false;
    std::map<std::uint8_t, bool> m_autoClearStall;
    std::map<std::uint8_t, PipeType> m_pipeTypes;
    std::map<std::uint32_t, libusb_transfer*> m_transfers;
    std::map<libusb_transfer*, InFlight> m_inFlight;
    std::vector<std::uint8_t> m_stalledPipes;
    std::deque<ReadCompletion> m_completions;
};

class LibusbTransport final : public UsbTransport {
public:
    Result<std::vector<DeviceInterface>> enumerate(InterfaceClass interfaceClass) override
    {
        udev* bus = udev_new();
        if (bus == nullptr) {
            return Error{E_FAIL, "udev is not available"};
        }
        udev_enumerate* listing = udev_enumerate_new(bus);
        udev_enumerate_add_match_subsystem(listing, "usb");
        udev_enumerate_add_match_property(listing, "DEVTYPE", "usb_device");
        const int scanned = udev_enumerate_scan_devices(listing);
        std::vector<DeviceInterface> found;
        const auto ids = idsOfClass(interfaceClass);
        udev_list_entry* entry = nullptr;
        udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(listing))
        {
            udev_device* device = udev_device_new_from_syspath(bus, udev_list_entry_get_name(entry));
            if (device == nullptr) {
                continue;
            }
            const UsbId id{hexAttribute(device, "idVendor"), hexAttribute(device, "idProduct")};
            const char* node = udev_device_get_devnode(device);
            if (node != nullptr && std::ranges::find(ids, id) != ids.end()) {
                found.push_back({node, id});
            }
            udev_device_unref(device);
        }
        udev_enumerate_unref(listing);
        udev_unref(bus);
        if (scanned < 0) {
            return Error{E_FAIL, "the USB devices cannot be listed (error " + std::to_string(-scanned) + ")"};
        }
        std::ranges::sort(found, {}, &DeviceInterface::path);
        return found;
    }

    Opened open(const std::string& path) override
    {
        if (context() == nullptr) {
            return {nullptr, kErrorNotSupported};
        }
        const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
        if (fd < 0) {
            return {nullptr, errorOfErrno(errno)};
        }
        libusb_device_handle* handle = nullptr;
        int result = libusb_wrap_sys_device(context(), fd, &handle);
        if (result != LIBUSB_SUCCESS) {
            ::close(fd);
            return {nullptr, errorOf(result)};
        }
        libusb_set_auto_detach_kernel_driver(handle, 1);
        // Claiming the interface keeps other programs out, as an unshared open does.
        result = libusb_claim_interface(handle, 0);
        if (result != LIBUSB_SUCCESS) {
            libusb_close(handle);
            ::close(fd);
            return {nullptr, errorOf(result)};
        }
        return {std::make_unique<LibusbConnection>(fd, handle), kErrorSuccess};
    }
};

} // namespace

UsbTransport& systemUsbTransport()
{
    static LibusbTransport s_transport;
    return s_transport;
}

} // namespace platform::usb
