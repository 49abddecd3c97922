#pragma once

#include "platform/kernel/Thread.h"

#include <atomic>

namespace platform::serial {
class SerialPort;
}

namespace talvolink {

class CGenericTalvo;
class DeviceHost;

/// The reader thread of a serial model: watches the sensor's lines, reads what arrived, frames it into packets,
/// has the model decode them and queues the records. Reports dropped lines, asks for a reconnection when they come
/// back, and announces each second of silence.
/// Thread rule: Run on the reader thread; reconnectionFailed from the control's thread.
class SerialReader {
public:
    SerialReader(CGenericTalvo& model, DeviceHost& host) : m_model(model), m_host(host) {}

    /// The thread body (RunSerialReader): rounds of 1000 / SampleRate ms until `stop` is set.
    void Run(platform::serial::SerialPort& port, platform::kernel::Event& stop);

    /// The reconnection the reader asked for did not bring the sensor back: it may ask again. One request is
    /// outstanding at a time, so failing identifications never pile up on the control's thread.
    void reconnectionFailed() { m_reconnectAsked.store(false); }

    /// The body of the model's reader thread: Run on `port` until the thread's stop event is set.
    platform::kernel::Thread::Body body(platform::serial::SerialPort& port)
    {
        return [this, &port](platform::kernel::Event& stop) { Run(port, stop); };
    }

    /// The model's IdentifyAgain: true when the sensor on `port` is still the connected model; otherwise the
    /// reader may ask for a reconnection again.
    bool identifyAgain(platform::serial::SerialPort* port);

private:
    CGenericTalvo& m_model;
    DeviceHost& m_host;
    std::atomic<bool> m_reconnectAsked{false};
};

} // namespace talvolink
