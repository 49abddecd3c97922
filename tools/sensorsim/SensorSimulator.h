#pragma once

#include "tools/sensorsim/AimSample.h"
#include "tools/sensorsim/SensorProfile.h"

#include "platform/com/Result.h"
#include "platform/kernel/Thread.h"
#include "platform/serial/SerialTestPort.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace sensorsim {

/// A command the sensor took, with the speed the program's port had when it arrived.
struct ReceivedCommand {
    std::uint8_t code = 0;
    std::vector<std::uint8_t> arguments;
    std::uint32_t baud = 0;
};

/// What a test may watch of the simulated sensor.
struct Observation {
    int pnpAnswers = 0;
    int ignoredRtsEdges = 0; ///< Rising RTS not from a probe: unpowered before, or not at the probe's framing.
    std::vector<ReceivedCommand> commands;
    std::vector<std::string> faults; ///< Protocol errors of the program: wrong speed, framing, checksum, command.
    bool powered = false;
    bool streaming = false;
    int sampleRate = 0;
    std::size_t scriptSamplesSent = 0; ///< Of the script, since the last start.
    std::size_t packetsSent = 0;
};

/// A serial sensor on a pseudo-terminal test port, behaving as the model of its profile: powered by DTR (DSR follows
/// it, CTS follows RTS), it answers the plug-and-play probe on a rising RTS edge while powered, when the program
/// listens at 1200 baud, 7 data bits, two stop bits (and stays quiet at other framings); it takes commands with their
/// checksum at its current speed (a rate command switches it), and once started streams one packet per sample
/// period: the script's samples, then samples with no light. Losing power or being unplugged resets it to its
/// initial speed, stopped.
/// Thread rule: any thread; the sensor runs on a thread of its own.
class SensorSimulator {
public:
    /// E_INVALIDARG for a model code without a profile.
    static platform::Result<std::unique_ptr<SensorSimulator>> create(int modelCode,
                                                                     std::string serialNumber = "00012345");
    ~SensorSimulator();
    SensorSimulator(const SensorSimulator&) = delete;
    SensorSimulator& operator=(const SensorSimulator&) = delete;

    /// The port the program opens ("/dev/pts/<n>").
    const std::string& programPath() const;
    const SensorProfile& profile() const { return m_profile; }

    /// Samples to stream from the next start on; with `loop` they repeat.
    void setScript(std::vector<AimSample> script, bool loop = false);

    void unplug();
    void plugIn();

    Observation observe() const;
    /// Called on the sensor's thread right after each write that carried streamed packets, with the number of
    /// packets streamed so far: what a latency measurement needs to know when each packet went out.
    using PacketsWritten = std::function<void(std::size_t packetsSent, std::chrono::steady_clock::time_point at)>;
    void setPacketsWritten(PacketsWritten listener);
    /// Waits until `condition` holds for the sensor's state; false when `timeout` passed first.
    bool waitUntil(const std::function<bool(const Observation&)>& condition, std::chrono::milliseconds timeout);

private:
    SensorSimulator(SensorProfile profile, std::string serialNumber,
                    std::unique_ptr<platform::serial::SerialTestPort> port);

    void run(platform::kernel::Event& stop);
    // The bytes the sensor sends go to `out`.
    void followLines(std::vector<std::uint8_t>& out);
    void answerProbe(std::vector<std::uint8_t>& out);
    void takeBytes(std::span<const std::uint8_t> bytes, const platform::serial::SerialSettings& settings);
    void obey(const ReceivedCommand& command);
    void streamDuePackets(std::vector<std::uint8_t>& out);
    void powerDown();
    void fault(std::string text);

    const SensorProfile m_profile;
    const std::string m_serialNumber;
    std::unique_ptr<platform::serial::SerialTestPort> m_port;

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    Observation m_state;
    std::uint32_t m_deviceBaud;
    std::uint32_t m_seenRtsRising = 0;
    std::vector<std::uint8_t> m_pending; // a command still arriving
    std::vector<AimSample> m_script;
    bool m_loop = false;
    std::size_t m_scriptIndex = 0;
    std::uint8_t m_sequence = 0;
    std::chrono::microseconds m_period{0};
    std::chrono::steady_clock::time_point m_nextPacket;
    PacketsWritten m_packetsWritten;

    std::unique_ptr<platform::kernel::Thread> m_thread; // Last: stopped before the rest goes.
};

} // namespace sensorsim
