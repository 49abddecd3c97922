#include "platform/serial/VirtualModemLines.h"

#include "platform/serial/internal/FileDescriptor.h"
#include "platform/serial/internal/SystemError.h"

#include <fcntl.h>
#include <linux/futex.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <ctime>

namespace platform::serial {

/// The shared mapping. Every field after the header is reached through std::atomic_ref.
struct VirtualLinesRegion {
    std::uint32_t magic;
    std::uint32_t reserved;
    std::uint64_t device;
    std::uint32_t state;    ///< Line bits and kUnplugged.
    std::uint32_t sequence; ///< Bumped on every change of state; the futex word waiters sleep on.
    std::uint32_t framing;  ///< Data bits << 8 | Parity.
    std::uint32_t edges[2][2];
};

namespace {

constexpr std::uint32_t kMagic = 0x314C5654; // "TVL1" in memory.
constexpr std::uint32_t kUnplugged = 1u << 8;

static_assert(std::atomic_ref<std::uint32_t>::is_always_lock_free, "lines are shared between processes");

constexpr std::uint32_t bit(OutputLine line)
{
    return 1u << static_cast<unsigned>(line);
}

constexpr std::uint32_t bit(InputLine line)
{
    return 1u << (2 + static_cast<unsigned>(line));
}

std::atomic_ref<std::uint32_t> shared(std::uint32_t& word)
{
    return std::atomic_ref<std::uint32_t>(word);
}

bool deviceSees(std::uint32_t state, OutputLine line)
{
    return (state & bit(line)) && !(state & kUnplugged);
}

std::string regionName(dev_t device)
{
    return "/talvo-serial-" + std::to_string(major(device)) + "-" + std::to_string(minor(device));
}

Result<VirtualLinesRegion*> mapRegion(int fd, const std::string& name)
{
    void* address = ::mmap(nullptr, sizeof(VirtualLinesRegion), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (address == MAP_FAILED) {
        return systemError(errno, name, "mapping virtual modem lines");
    }
    return static_cast<VirtualLinesRegion*>(address);
}

// A shared (not FUTEX_PRIVATE) futex, so waiters in another process are woken too.
void futexWait(std::uint32_t* word, std::uint32_t expected, std::chrono::nanoseconds timeout)
{
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(timeout);
    timespec relative{static_cast<time_t>(seconds.count()), static_cast<long>((timeout - seconds).count())};
    ::syscall(SYS_futex, word, FUTEX_WAIT, expected, &relative, nullptr, 0);
}

void futexWakeAll(std::uint32_t* word)
{
    ::syscall(SYS_futex, word, FUTEX_WAKE, INT_MAX, nullptr, nullptr, 0);
}

} // namespace

Result<std::unique_ptr<VirtualModemLines>> VirtualModemLines::create(dev_t device)
{
    const std::string name = regionName(device);
    // A region of the same pty number can only be left by a creator that died: its pty is gone.
    ::shm_unlink(name.c_str());
    FileDescriptor fd(::shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (!fd.isValid()) {
        return systemError(errno, name, "creating virtual modem lines");
    }
    if (::ftruncate(fd.get(), sizeof(VirtualLinesRegion)) != 0 || ::flock(fd.get(), LOCK_SH) != 0) {
        const int error = errno;
        ::shm_unlink(name.c_str());
        return systemError(error, name, "creating virtual modem lines");
    }
    Result<VirtualLinesRegion*> region = mapRegion(fd.get(), name);
    if (!region) {
        ::shm_unlink(name.c_str());
        return region.error();
    }
    (*region)->device = device;
    (*region)->framing = 8u << 8 | static_cast<std::uint32_t>(Parity::None);
    shared((*region)->magic).store(kMagic);
    return std::unique_ptr<VirtualModemLines>(new VirtualModemLines(name, fd.release(), *region, /*owner=*/true));
}

Result<std::unique_ptr<VirtualModemLines>> VirtualModemLines::attach(dev_t device)
{
    const std::string name = regionName(device);
    FileDescriptor fd(::shm_open(name.c_str(), O_RDWR | O_CLOEXEC, 0));
    if (!fd.isValid()) {
        if (errno == ENOENT) {
            return std::unique_ptr<VirtualModemLines>();
        }
        return systemError(errno, name, "opening virtual modem lines");
    }
    // Nobody holds the creator's shared lock: the region outlived its device side.
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) == 0) {
        return std::unique_ptr<VirtualModemLines>();
    }
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0 || status.st_size < static_cast<off_t>(sizeof(VirtualLinesRegion))) {
        return std::unique_ptr<VirtualModemLines>();
    }
    Result<VirtualLinesRegion*> region = mapRegion(fd.get(), name);
    if (!region) {
        return region.error();
    }
    if (shared((*region)->magic).load() != kMagic || (*region)->device != device) {
        ::munmap(*region, sizeof(VirtualLinesRegion));
        return std::unique_ptr<VirtualModemLines>();
    }
    return std::unique_ptr<VirtualModemLines>(new VirtualModemLines(name, fd.release(), *region, /*owner=*/false));
}

VirtualModemLines::VirtualModemLines(std::string name, int fd, VirtualLinesRegion* region, bool owner)
    : m_name(std::move(name)), m_fd(fd), m_region(region), m_owner(owner)
{
}

VirtualModemLines::~VirtualModemLines()
{
    if (m_owner) {
        ::shm_unlink(m_name.c_str());
    }
    ::munmap(m_region, sizeof(VirtualLinesRegion));
    ::close(m_fd);
}

void VirtualModemLines::change(std::uint32_t setBits, std::uint32_t clearBits)
{
    auto state = shared(m_region->state);
    std::uint32_t before = state.load();
    std::uint32_t after = 0;
    do {
        after = (before | setBits) & ~clearBits;
    } while (!state.compare_exchange_weak(before, after));
    if (before == after) {
        return;
    }
    for (OutputLine line : {OutputLine::Dtr, OutputLine::Rts}) {
        const bool was = deviceSees(before, line);
        if (was != deviceSees(after, line)) {
            const Edge edge = was ? Edge::Falling : Edge::Rising;
            shared(m_region->edges[static_cast<int>(line)][static_cast<int>(edge)]).fetch_add(1);
        }
    }
    // The edge counts are bumped before the sequence, so a waiter woken by the sequence sees them.
    shared(m_region->sequence).fetch_add(1);
    futexWakeAll(&m_region->sequence);
}

void VirtualModemLines::setLine(OutputLine line, LineLevel level)
{
    if (level == LineLevel::On) {
        change(bit(line), 0);
    } else {
        change(0, bit(line));
    }
}

void VirtualModemLines::setLine(InputLine line, LineLevel level)
{
    if (level == LineLevel::On) {
        change(bit(line), 0);
    } else {
        change(0, bit(line));
    }
}

bool VirtualModemLines::isOn(OutputLine line) const
{
    return deviceSees(shared(m_region->state).load(), line);
}

ModemStatus VirtualModemLines::inputs() const
{
    const std::uint32_t state = shared(m_region->state).load();
    ModemStatus status;
    status.cts = state & bit(InputLine::Cts);
    status.dsr = state & bit(InputLine::Dsr);
    status.ri = state & bit(InputLine::Ri);
    status.dcd = state & bit(InputLine::Dcd);
    return status;
}

std::uint32_t VirtualModemLines::edges(OutputLine line, Edge edge) const
{
    return shared(m_region->edges[static_cast<int>(line)][static_cast<int>(edge)]).load();
}

bool VirtualModemLines::waitForEdge(OutputLine line, Edge edge, std::uint32_t seen,
                                    std::chrono::milliseconds timeout) const
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const std::uint32_t sequence = shared(m_region->sequence).load();
        if (edges(line, edge) != seen) {
            return true;
        }
        const auto left = deadline - std::chrono::steady_clock::now();
        if (left <= std::chrono::nanoseconds::zero()) {
            return false;
        }
        futexWait(&m_region->sequence, sequence, left);
    }
}

void VirtualModemLines::setFraming(int dataBits, Parity parity)
{
    shared(m_region->framing).store(static_cast<std::uint32_t>(dataBits) << 8 | static_cast<std::uint32_t>(parity));
}

int VirtualModemLines::dataBits() const
{
    return static_cast<int>(shared(m_region->framing).load() >> 8);
}

Parity VirtualModemLines::parity() const
{
    return static_cast<Parity>(shared(m_region->framing).load() & 0xFF);
}

void VirtualModemLines::unplug()
{
    change(kUnplugged, 0);
}

void VirtualModemLines::plugIn()
{
    change(0, kUnplugged);
}

bool VirtualModemLines::isPlugged() const
{
    return !(shared(m_region->state).load() & kUnplugged);
}

} // namespace platform::serial
