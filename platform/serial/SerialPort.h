#pragma once

#include "platform/com/Result.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace platform::serial {

// Results a Windows COM port reports (HRESULT_FROM_WIN32), so callers written against it see the same codes.
// A port held by another program fails with E_ACCESSDENIED; settings a device cannot take fail with E_INVALIDARG.
inline constexpr HRESULT kPortNotFound = makeHresult(0x80070002);       // ERROR_FILE_NOT_FOUND
inline constexpr HRESULT kNotSupported = makeHresult(0x80070032);       // ERROR_NOT_SUPPORTED
inline constexpr HRESULT kDeviceNotConnected = makeHresult(0x8007048F); // ERROR_DEVICE_NOT_CONNECTED

/// The highest COM number a port can have.
inline constexpr int kMaxComNumber = 256;

enum class Parity : std::uint8_t { None, Odd, Even, Mark, Space };
enum class StopBits : std::uint8_t { One, Two };

/// Line speed and framing. Received parity is never checked: a byte with a parity error is passed on as it came.
struct SerialSettings {
    std::uint32_t baudRate = 9600;
    int dataBits = 8; ///< 5 to 8.
    Parity parity = Parity::None;
    StopBits stopBits = StopBits::One;

    bool operator==(const SerialSettings&) const = default;
};

/// Marks the special read time-out combinations below.
inline constexpr std::uint32_t kMaxTimeout = 0xFFFFFFFF;

/// Time-outs in milliseconds with the meanings of a Windows port:
/// - all read fields 0: a read waits until the whole buffer is filled;
/// - readInterval: once a byte came, a read ends when the next does not follow within this time (0: unused);
/// - read total = readTotalMultiplier x bytes asked + readTotalConstant (both 0: unused): a read ends after it with
///   the bytes that came, which is not an error;
/// - readInterval kMaxTimeout with both totals 0: a read returns at once with what is waiting;
/// - readInterval and readTotalMultiplier kMaxTimeout with a constant below kMaxTimeout: a read returns what is
///   waiting, or waits up to the constant for the first byte;
/// - write total likewise (both 0: a write waits until every byte is taken).
struct SerialTimeouts {
    std::uint32_t readInterval = 0;
    std::uint32_t readTotalMultiplier = 0;
    std::uint32_t readTotalConstant = 0;
    std::uint32_t writeTotalMultiplier = 0;
    std::uint32_t writeTotalConstant = 0;

    bool operator==(const SerialTimeouts&) const = default;
};

enum class OutputLine : std::uint8_t { Dtr, Rts };
enum class InputLine : std::uint8_t { Cts, Dsr, Ri, Dcd };
enum class LineLevel : std::uint8_t { Off, On };
enum class PurgeQueue : std::uint8_t { Input, Output, Both };

/// The input lines of the port.
struct ModemStatus {
    bool cts = false;
    bool dsr = false;
    bool ri = false;
    bool dcd = false;

    bool isOn(InputLine line) const;
    bool operator==(const ModemStatus&) const = default;
};

/// An open serial port, held exclusively and closed when destroyed (DTR and RTS drop then).
/// Thread rule: any thread. Reads, writes, line changes and settings may overlap from several threads (a reader thread
/// reads while the owner sends commands); a read or write takes the time-outs that were set when it began.
/// A port whose device went away (an unplugged USB adapter) fails every call with kDeviceNotConnected.
class SerialPort {
public:
    virtual ~SerialPort() = default;

    /// The device node, for messages.
    virtual const std::string& devicePath() const = 0;

    virtual Result<SerialSettings> settings() const = 0;
    /// E_INVALIDARG for a speed or framing the device does not take; the previous settings are kept then.
    virtual Status setSettings(const SerialSettings& settings) = 0;

    virtual SerialTimeouts timeouts() const = 0;
    virtual void setTimeouts(const SerialTimeouts& timeouts) = 0;

    /// kNotSupported for a device without modem lines (a plain pseudo-terminal).
    virtual Status setLine(OutputLine line, LineLevel level) = 0;
    virtual Result<ModemStatus> modemStatus() const = 0;

    /// Drops what was received and not yet read (Input) or written and not yet sent (Output).
    virtual Status purge(PurgeQueue queue) = 0;
    /// Bytes received and not yet read.
    virtual Result<std::size_t> bytesWaiting() const = 0;

    /// The bytes read, fewer than asked when a time-out ended the read.
    virtual Result<std::size_t> read(std::span<std::uint8_t> buffer) = 0;
    /// The bytes written, fewer than asked when the write time-out ended the write.
    virtual Result<std::size_t> write(std::span<const std::uint8_t> bytes) = 0;
};

/// Opens COM<comNumber> (1..kMaxComNumber) through the port map (PortMap.h). kPortNotFound when no device has the
/// number, E_ACCESSDENIED when another program holds the port; the detail names the port and its device node.
Result<std::unique_ptr<SerialPort>> openSerialPort(int comNumber);

/// Opens a device node as a serial port: exclusively (TIOCEXCL against other openers, flock against other openers
/// running as root), in raw mode without flow control, keeping its speed. A pseudo-terminal of a SerialTestPort gets
/// that port's virtual modem lines.
Result<std::unique_ptr<SerialPort>> openSerialDevice(const std::string& path);

} // namespace platform::serial
