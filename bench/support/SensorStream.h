#pragma once

#include "talvolink/TalvoDevice.h"

#include "interfaces/talvolink/DispIds.h"
#include "platform/com/ComObject.h"
#include "tools/sensorsim/SensorSimulator.h"

#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

// What the benchmarks that stream a simulated serial sensor into the device control share: when each packet went
// out, which records each NewCoordinates announced, and the percentiles of the delays.
namespace bench {

using SteadyClock = std::chrono::steady_clock;

/// When each packet of the stream went out, and the CPU time the sensor's own thread had used by the last write.
class WriteTimes {
public:
    /// Called on the sensor's thread.
    void add(std::size_t packetsSent, SteadyClock::time_point at)
    {
        timespec cpu{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpu);
        const std::lock_guard lock(m_mutex);
        m_writes.push_back({packetsSent, at});
        m_sensorCpu = static_cast<double>(cpu.tv_sec) + static_cast<double>(cpu.tv_nsec) / 1e9;
    }
    /// The write that carried packet `number` (from 1); nothing when it is not known yet.
    std::optional<SteadyClock::time_point> of(std::size_t number) const
    {
        const std::lock_guard lock(m_mutex);
        const auto write = std::lower_bound(m_writes.begin(), m_writes.end(), number,
                                            [](const Write& w, std::size_t n) { return w.packetsSent < n; });
        return write == m_writes.end() ? std::nullopt : std::optional(write->at);
    }
    /// Seconds.
    double sensorCpu() const
    {
        const std::lock_guard lock(m_mutex);
        return m_sensorCpu;
    }

private:
    struct Write {
        std::size_t packetsSent;
        SteadyClock::time_point at;
    };
    mutable std::mutex m_mutex;
    std::vector<Write> m_writes;
    double m_sensorCpu = 0;
};

/// A Pavane sensor looping holds with shots at 200 Hz on COM7, its writes noted; null when it cannot be made.
inline std::unique_ptr<sensorsim::SensorSimulator> startLoopingSensor(WriteTimes& writes)
{
    auto sensor = sensorsim::SensorSimulator::create(300);
    if (!sensor) {
        return nullptr;
    }
    (*sensor)->setScript(sensorsim::holdWithShot(sensorsim::SensorKind::Pavane, {}), /*loop=*/true);
    (*sensor)->setPacketsWritten([&writes](std::size_t sent, SteadyClock::time_point at) { writes.add(sent, at); });
    ::setenv("TALVO_SERIAL_PORTS", ("COM7=" + (*sensor)->programPath()).c_str(), 1);
    return std::move(sensor).value();
}

/// The looping sensor and a device control to stream it into.
struct StreamedControl {
    std::unique_ptr<sensorsim::SensorSimulator> sensor;
    platform::com::ComPtr<talvolink::CTalvoDevice> control;
};

/// Starts the looping sensor and creates the control; nothing, with the benchmark skipped, when either fails.
inline std::optional<StreamedControl> startStreamedControl(benchmark::State& state, WriteTimes& writes)
{
    StreamedControl streamed{startLoopingSensor(writes), {}};
    if (!streamed.sensor) {
        state.SkipWithError("no simulated sensor");
        return std::nullopt;
    }
    auto created = talvolink::CTalvoDevice::create();
    if (!created) {
        state.SkipWithError("no device control");
        return std::nullopt;
    }
    streamed.control = created.value();
    return streamed;
}

/// Notes when each NewCoordinates event came and how many records the control had received by then; the records
/// since the previous event of the same aiming are the ones it announces.
class CoordinateSink final : public platform::com::ComObject<IDispatch> {
public:
    struct Announcement {
        SteadyClock::time_point at;
        LONG firstRecord; // From 1.
        LONG lastRecord;
    };

    explicit CoordinateSink(talvolink::CTalvoDevice& control) : m_control(control) {}

    HRESULT Invoke(DISPID dispIdMember, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        const SteadyClock::time_point now = SteadyClock::now();
        LONG received = 0;
        (void)m_control.get_StatTotalReceived(&received); // Cannot fail.
        if (dispIdMember == DISPID_TALVODEVICEEVENTS_STARTAIMING) {
            m_previous = 0;
        } else if (dispIdMember == DISPID_TALVODEVICEEVENTS_NEWCOORDINATES && received > m_previous) {
            // The first event of an aiming may follow records that were no points: only its last counts.
            announcements.push_back({now, m_previous > 0 ? m_previous + 1 : received, received});
            m_previous = received;
        }
        return S_OK;
    }

    std::vector<Announcement> announcements;

private:
    ~CoordinateSink() override = default;

    talvolink::CTalvoDevice& m_control;
    LONG m_previous = 0;
};

inline double percentile(std::vector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1))];
}

} // namespace bench
