// The delay from a packet written to the pseudo-terminal of a simulated serial sensor to the trace view's target
// widget repainted with its point: the device control's reader and drain, the practice's event handling, the
// document's hints, the trace view and the control's paint. One practice of 60 s at 200 Hz of looping holds with
// shots. Targets: 99th percentile under 16 ms (one display frame); the program's CPU time under 10 % of one core
// (the simulated sensor's own thread is not counted).
#include "bench/support/Run.h"
#include "bench/support/SensorStream.h"

#include "talvodesk/core/document/TalvoData.h"
#include "talvodesk/core/options/Options.h"
#include "talvodesk/core/practice/DeviceEventSink.h"
#include "talvodesk/core/practice/PracticeDevice.h"
#include "talvodesk/core/practice/PracticeRun.h"
#include "talvodesk/views/TraceView.h"

#include "talvoboard/Register.h"
#include "talvoboard/TargetWindow.h"
#include "talvodata/Register.h"
#include "talvolink/Register.h"
#include "talvolink/TalvoDevice.h"

#include "interfaces/talvodata/IEventManager.h"
#include "interfaces/talvolink/_ITalvoDeviceEvents.h"
#include "platform/com/Bstr.h"
#include "platform/com/ClassTable.h"
#include "platform/time/Clock.h"

#include <benchmark/benchmark.h>

#include <QEvent>
#include <QEventLoop>
#include <QTimer>

#include <sys/resource.h>

#include <chrono>
#include <vector>

namespace {

using platform::com::Bstr;
using platform::com::ComPtr;
using Clock = bench::SteadyClock;

constexpr std::chrono::seconds kPractice{60};

double processCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

/// Takes the time each paint of the target widget ends, with the records announced since the paint before.
class PaintWatch final : public QObject {
public:
    explicit PaintWatch(const bench::CoordinateSink& announcements) : m_announcements(announcements) {}

    struct Paint {
        Clock::time_point at;
        LONG firstRecord;
        LONG lastRecord;
    };
    std::vector<Paint> paints;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Paint || m_inside) {
            return false;
        }
        m_inside = true;
        (void)watched->event(event);
        m_inside = false;
        const auto& announced = m_announcements.announcements;
        for (; m_taken < announced.size(); ++m_taken) {
            paints.push_back({Clock::now(), announced[m_taken].firstRecord, announced[m_taken].lastRecord});
        }
        return true;
    }

private:
    const bench::CoordinateSink& m_announcements;
    std::size_t m_taken = 0;
    bool m_inside = false;
};

void packetToTraceViewPainted(benchmark::State& state)
{
    bench::WriteTimes writes;
    const auto streamed = bench::startStreamedControl(state, writes);
    if (!streamed) {
        return;
    }
    const ComPtr<talvolink::CTalvoDevice>& control = streamed->control;

    // The practice as the frame runs it: the device's events through the practice run into the document, whose
    // views include the trace view.
    platform::time::SystemClock clock;
    talvodesk::COptions options;
    talvodesk::CTalvoData data;
    talvodesk::PracticeRun run({data, options, clock});
    talvodesk::CTraceView view({data, options, clock});
    data.AddView(&view.logic());
    view.resize(800, 600);
    view.show();
    ComPtr<IEventManager> events;
    ComPtr<IEventParams> event;
    if (FAILED(CoCreateInstance(talvodata::CLSID_EventManager, nullptr, CLSCTX_ALL, IEventManager::kIid,
                                events.putVoid())) ||
        FAILED(events->FindByShortName(Bstr("AR10").get(), event.put())) ||
        !data.NewPractice(event.get(), Bstr("Ann").get(), -1, Bstr().get(), 12)) {
        state.SkipWithError("no practice");
        return;
    }
    data.UpdateAllViews(nullptr, talvodesk::HintReset);
    data.UpdateAllViews(nullptr, talvodesk::HintPracticeStart);

    const auto handler = platform::com::makeComObject<talvodesk::DeviceEventSink>(run);
    const auto counter = platform::com::makeComObject<bench::CoordinateSink>(*control);
    PaintWatch watch(*counter);
    // The control draws in a widget of its own inside the trace window.
    const auto window = ComPtr<ITarget>(view.target()).queryInterface<ITargetWindow>();
    QWidget* painted = nullptr;
    if (!window || FAILED(window->GetWidget(&painted)) || !painted) {
        state.SkipWithError("no target widget");
        return;
    }
    painted->installEventFilter(&watch);
    ComPtr<IConnectionPoint> point;
    DWORD handlerCookie = 0;
    DWORD counterCookie = 0;
    if (FAILED(control->FindConnectionPoint(_ITalvoDeviceEvents::kIid, point.put())) ||
        FAILED(point->Advise(handler.get(), &handlerCookie)) || FAILED(point->Advise(counter.get(), &counterCookie)) ||
        FAILED(control->put_CommPort(7)) || FAILED(control->put_EventShortName(1, Bstr("AR10").get()))) {
        state.SkipWithError("the control cannot be set up");
        return;
    }
    talvodesk::TalvoDevicePort port(control);
    run.Start(&port, /*matchMode=*/true, /*subTarget=*/1);

    std::vector<double> delays;
    double cpuShare = 0;
    for (auto _ : state) {
        if (FAILED(control->put_Connected(VARIANT_TRUE))) {
            state.SkipWithError("the simulated sensor does not connect");
            break;
        }
        const double cpuBefore = processCpuSeconds();
        const double sensorBefore = writes.sensorCpu();
        const Clock::time_point started = Clock::now();
        QEventLoop loop;
        QTimer::singleShot(kPractice, &loop, &QEventLoop::quit);
        loop.exec();
        const double wall = std::chrono::duration<double>(Clock::now() - started).count();
        const double cpu = processCpuSeconds() - cpuBefore - (writes.sensorCpu() - sensorBefore);
        (void)control->put_Connected(VARIANT_FALSE); // Stops the stream; cannot fail once connected.
        cpuShare = cpu / wall;
        for (const auto& paint : watch.paints) {
            for (LONG record = paint.firstRecord; record <= paint.lastRecord; ++record) {
                if (const auto written = writes.of(static_cast<std::size_t>(record))) {
                    delays.push_back(std::chrono::duration<double>(paint.at - *written).count());
                }
            }
        }
        if (delays.empty()) {
            state.SkipWithError("nothing was painted");
            break;
        }
        state.SetIterationTime(bench::percentile(delays, 0.99));
    }
    run.Stop();
    (void)point->Unadvise(counterCookie);
    (void)point->Unadvise(handlerCookie);
    painted->removeEventFilter(&watch);
    data.RemoveView(&view.logic());
    if (!delays.empty()) {
        state.counters["median_ms"] = 1000 * bench::percentile(delays, 0.5);
        state.counters["p99_ms"] = 1000 * bench::percentile(delays, 0.99);
        state.counters["packets"] = static_cast<double>(delays.size());
        state.counters["paints"] = static_cast<double>(watch.paints.size());
        state.counters["target_p99_ms"] = 16;
        state.counters["cpu_percent"] = 100 * cpuShare;
        state.counters["target_cpu_percent"] = 10;
    }
    state.SetLabel("time is the 99th percentile; targets: p99 under 16 ms, CPU under 10 % of a core");
}
BENCHMARK(packetToTraceViewPainted)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return bench::runWidgetBenchmarks(
        argc, argv, {talvodata::registerClasses, talvolink::registerClasses, talvoboard::registerClasses});
}
