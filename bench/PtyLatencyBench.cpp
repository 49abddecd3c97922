// The delay from a packet written to the pseudo-terminal of a simulated serial sensor to the NewCoordinates event
// that announces its point, through the device control's reader thread, ring and drain. Each run streams looping
// holds for a few seconds at 200 Hz. Target: 99th percentile under 15 ms.
#include "bench/support/Run.h"

#include "talvodata/Register.h"
#include "talvolink/Register.h"
#include "talvolink/TalvoDevice.h"

#include "interfaces/talvolink/DispIds.h"
#include "interfaces/talvolink/_ITalvoDeviceEvents.h"
#include "platform/com/Bstr.h"
#include "platform/com/ClassTable.h"
#include "platform/com/ComObject.h"

#include "tools/sensorsim/SensorSimulator.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <vector>

namespace {

using platform::com::ComPtr;
using Clock = std::chrono::steady_clock;

constexpr std::chrono::seconds kStreaming{4};

/// When each packet of the stream went out: the write that carried the first `packetsSent` packets.
class WriteTimes {
public:
    void add(std::size_t packetsSent, Clock::time_point at)
    {
        const std::lock_guard lock(m_mutex);
        m_writes.push_back({packetsSent, at});
    }
    /// The write that carried packet `number` (from 1); nothing when it is not known yet.
    std::optional<Clock::time_point> of(std::size_t number) const
    {
        const std::lock_guard lock(m_mutex);
        const auto write = std::lower_bound(m_writes.begin(), m_writes.end(), number,
                                            [](const Write& w, std::size_t n) { return w.packetsSent < n; });
        return write == m_writes.end() ? std::nullopt : std::optional(write->at);
    }

private:
    struct Write {
        std::size_t packetsSent;
        Clock::time_point at;
    };
    mutable std::mutex m_mutex;
    std::vector<Write> m_writes;
};

/// Notes when each NewCoordinates event came and how many records the control had received by then; the records
/// since the previous event of the same aiming are the ones it announces.
class CoordinateSink final : public platform::com::ComObject<IDispatch> {
public:
    struct Announcement {
        Clock::time_point at;
        LONG firstRecord; // From 1.
        LONG lastRecord;
    };

    explicit CoordinateSink(talvolink::CTalvoDevice& control) : m_control(control) {}

    HRESULT Invoke(DISPID dispIdMember, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        const Clock::time_point now = Clock::now();
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

double percentile(std::vector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1))];
}

void packetToNewCoordinates(benchmark::State& state)
{
    auto sensor = sensorsim::SensorSimulator::create(300);
    if (!sensor) {
        state.SkipWithError("no simulated sensor");
        return;
    }
    (*sensor)->setScript(sensorsim::holdWithShot(sensorsim::SensorKind::Pavane, {}), /*loop=*/true);
    WriteTimes writes;
    (*sensor)->setPacketsWritten([&writes](std::size_t sent, Clock::time_point at) { writes.add(sent, at); });
    ::setenv("TALVO_SERIAL_PORTS", ("COM7=" + (*sensor)->programPath()).c_str(), 1);

    auto created = talvolink::CTalvoDevice::create();
    if (!created) {
        state.SkipWithError("no device control");
        return;
    }
    const ComPtr<talvolink::CTalvoDevice> control = created.value();
    const auto sink = platform::com::makeComObject<CoordinateSink>(*control);
    ComPtr<IConnectionPoint> point;
    DWORD cookie = 0;
    if (FAILED(control->FindConnectionPoint(_ITalvoDeviceEvents::kIid, point.put())) ||
        FAILED(point->Advise(sink.get(), &cookie)) || FAILED(control->put_CommPort(7)) ||
        FAILED(control->put_EventShortName(1, platform::com::Bstr("AR10").get()))) {
        state.SkipWithError("the control cannot be set up");
        return;
    }
    std::vector<double> delays;
    for (auto _ : state) {
        sink->announcements.clear();
        if (FAILED(control->put_Connected(VARIANT_TRUE))) {
            state.SkipWithError("the simulated sensor does not connect");
            break;
        }
        QEventLoop loop;
        QTimer::singleShot(kStreaming, &loop, &QEventLoop::quit);
        loop.exec();
        (void)control->put_Connected(VARIANT_FALSE); // Stops the stream; cannot fail once connected.
        std::vector<double> run;
        for (const auto& announcement : sink->announcements) {
            for (LONG record = announcement.firstRecord; record <= announcement.lastRecord; ++record) {
                if (const auto written = writes.of(static_cast<std::size_t>(record))) {
                    run.push_back(std::chrono::duration<double>(announcement.at - *written).count());
                }
            }
        }
        if (run.empty()) {
            state.SkipWithError("no coordinates arrived");
            break;
        }
        state.SetIterationTime(percentile(run, 0.99));
        delays.insert(delays.end(), run.begin(), run.end());
    }
    (void)point->Unadvise(cookie);
    if (!delays.empty()) {
        state.counters["median_ms"] = 1000 * percentile(delays, 0.5);
        state.counters["p99_ms"] = 1000 * percentile(delays, 0.99);
        state.counters["packets"] = static_cast<double>(delays.size());
        state.counters["target_p99_ms"] = 15;
    }
    state.SetLabel("time is the 99th percentile; target under 15 ms");
}
BENCHMARK(packetToNewCoordinates)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    talvodata::registerClasses(platform::com::ClassTable::instance());
    talvolink::registerClasses(platform::com::ClassTable::instance());
    return bench::runBenchmarks(argc, argv);
}
