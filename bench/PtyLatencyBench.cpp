// The delay from a packet written to the pseudo-terminal of a simulated serial sensor to the NewCoordinates event
// that announces its point, through the device control's reader thread, ring and drain. Each run streams looping
// holds for a few seconds at 200 Hz. Target: 99th percentile under 15 ms.
#include "bench/support/Run.h"
#include "bench/support/SensorStream.h"

#include "talvodata/Register.h"
#include "talvolink/Register.h"
#include "talvolink/TalvoDevice.h"

#include "interfaces/talvolink/DispIds.h"
#include "interfaces/talvolink/_ITalvoDeviceEvents.h"
#include "platform/com/Bstr.h"
#include "platform/com/ClassTable.h"
#include "platform/com/ComObject.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <vector>

namespace {

using platform::com::ComPtr;

constexpr std::chrono::seconds kStreaming{4};

void packetToNewCoordinates(benchmark::State& state)
{
    bench::WriteTimes writes;
    const auto streamed = bench::startStreamedControl(state, writes);
    if (!streamed) {
        return;
    }
    const ComPtr<talvolink::CTalvoDevice>& control = streamed->control;
    const auto sink = platform::com::makeComObject<bench::CoordinateSink>(*control);
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
        state.SetIterationTime(bench::percentile(run, 0.99));
        delays.insert(delays.end(), run.begin(), run.end());
    }
    (void)point->Unadvise(cookie);
    if (!delays.empty()) {
        state.counters["median_ms"] = 1000 * bench::percentile(delays, 0.5);
        state.counters["p99_ms"] = 1000 * bench::percentile(delays, 0.99);
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
