#pragma once

#include "platform/com/Result.h"
#include "platform/serial/SerialPort.h"

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

namespace platform::serial {

struct VirtualLinesRegion;

enum class Edge : std::uint8_t { Rising, Falling };

/// The modem lines, framing and plug state of a pseudo-terminal, which carries none of them itself: the program side
/// (a SerialPort opened on the pty) sets DTR and RTS and reads CTS, DSR, RI and DCD; the device side (a SerialTestPort)
/// does the reverse. Kept in POSIX shared memory named after the pty's device number, so the device side may live in
/// another process (a sensor simulator); the creator holds a shared flock on it, so a region left by a crashed
/// creator is recognised as stale.
/// Thread rule: any thread of any process (atomics in the shared mapping, futex waits).
class VirtualModemLines {
public:
    /// The device side: creates the region for the pty slave `device` (replacing a stale one) and owns it.
    static Result<std::unique_ptr<VirtualModemLines>> create(dev_t device);
    /// The program side: the live region of `device`, or null when there is none (a pty nobody simulates).
    static Result<std::unique_ptr<VirtualModemLines>> attach(dev_t device);

    ~VirtualModemLines();
    VirtualModemLines(const VirtualModemLines&) = delete;
    VirtualModemLines& operator=(const VirtualModemLines&) = delete;

    /// Program side. Changes made while unplugged are kept and reach the device when it is plugged in again.
    void setLine(OutputLine line, LineLevel level);
    /// Device side.
    void setLine(InputLine line, LineLevel level);

    /// DTR or RTS as the device sees it: off while unplugged.
    bool isOn(OutputLine line) const;
    ModemStatus inputs() const;

    /// How often `line` went on or off as the device sees it (plugging in and out count), wrapping at 2^32.
    std::uint32_t edges(OutputLine line, Edge edge) const;
    /// Waits until edges(line, edge) differs from `seen`, taken before the action expected to cause the edge, so an
    /// edge that comes before the wait starts is not missed. False when `timeout` passes first.
    bool waitForEdge(OutputLine line, Edge edge, std::uint32_t seen, std::chrono::milliseconds timeout) const;

    /// Data bits and parity the program side chose, which a pty's termios cannot hold (it forces 8 bits, no parity).
    void setFraming(int dataBits, Parity parity);
    int dataBits() const;
    Parity parity() const;

    /// Unplugging drops the lines the device sees; the program side's calls then fail (SerialPort).
    void unplug();
    void plugIn();
    bool isPlugged() const;

private:
    VirtualModemLines(std::string name, int fd, VirtualLinesRegion* region, bool owner);
    void change(std::uint32_t setBits, std::uint32_t clearBits);

    std::string m_name;
    int m_fd; ///< Holds the creator's shared flock.
    VirtualLinesRegion* m_region;
    bool m_owner;
};

} // namespace platform::serial
