#pragma once

#include "talvolink/DeviceRecord.h"

namespace platform::serial {
class SerialPort;
}
namespace platform::time {
class Clock;
}

namespace talvolink {

/// Identifies the sensor on `port` by the plug-and-play exchange at 1200 baud, 7 data bits, two stop bits: power
/// the sensor through DTR, wait for DSR, raise RTS, wait for CTS and read its answer. True when the answer parses and
/// names our manufacturer. `record` is filled whenever the answer parses and zeroed when an answer came that does
/// not; it is left alone when the port fails or the sensor does not answer. The port keeps the 1200 baud framing;
/// its time-outs are restored. Pauses run on `clock`. Owner thread of the port's model.
bool ProbePnpDevice(platform::serial::SerialPort& port, PnpRecord& record, platform::time::Clock& clock);

class DeviceHost;

/// The reconnection's check: probes the sensor on the open port into a scratch record and is true when one of our
/// sensors of the connected model (the host's device information) answered.
bool IdentifiesConnectedModel(platform::serial::SerialPort& port, DeviceHost& host);

} // namespace talvolink
