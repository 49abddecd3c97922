// A 60-shot practice of 6 s aimings at 200 Hz replayed through the practice's event handlers at full speed: the
// scripted device builds each aiming (5 s before the shot, 1 s after, coordinates in batches of 10 samples) and
// fires its events, the handlers record aimings and shots in the document and tell a recording view and a
// recording live-data poster. Target: over 100 times real time on one core.
#include "bench/support/Run.h"

#include "talvodesk/core/practice/DeviceEventSink.h"
#include "talvodesk/core/practice/PracticeRun.h"
#include "talvodesk/core/testing/FakeDevice.h"
#include "talvodesk/core/testing/RecordingFrame.h"
#include "talvodesk/core/testing/RecordingView.h"

#include "talvodata/Register.h"
#include "talvodata/tests/support/Events.h"

#include "platform/com/ClassTable.h"
#include "platform/time/ManualClock.h"

#include <benchmark/benchmark.h>

namespace {

using platform::com::Bstr;
using platform::com::ComPtr;

constexpr int kShots = 60;
constexpr int kSampleRate = 200;
constexpr int kSamplesBeforeShot = 5 * kSampleRate;
constexpr int kSamplesAfterShot = 1 * kSampleRate;
constexpr int kBatch = 10;
constexpr double kRealSeconds = kShots * 6.0;

void practiceReplay(benchmark::State& state)
{
    const ComPtr<IEventParams> event = talvodata::testsupport::shippedEvent("AR10");
    if (!event) {
        state.SkipWithError("no AR10 event file: build the talvo_events target first");
        return;
    }
    platform::time::ManualClock clock(46000.5);
    talvodesk::testsupport::RecordingLivePoster live;
    talvodesk::testsupport::RecordingView view;
    talvodesk::COptions options;
    talvodesk::CTalvoData data;
    data.AddView(&view);
    talvodesk::PracticeRun run({data, options, clock, nullptr, &live});
    auto sink = platform::com::makeComObject<talvodesk::DeviceEventSink>(run);
    std::size_t hints = 0;
    for (auto _ : state) {
        talvodesk::testsupport::FakeDevice device("AR10", kSampleRate);
        device.advise(sink.get());
        data.Reset();
        if (!data.NewPractice(event.get(), Bstr("Bench").get(), 0, Bstr("bench").get(), 35)) {
            state.SkipWithError("no practice");
            return;
        }
        run.Start(&device, /*matchMode=*/true, /*subTarget=*/0);
        view.received.clear();
        live.posts.clear();
        for (int shot = 0; shot < kShots; ++shot) {
            ComPtr<IAiming> aiming = device.newAiming();
            device.startAiming(aiming.get());
            for (int done = 0; done < kSamplesBeforeShot; done += kBatch) {
                device.coordinates(aiming.get(), kBatch);
            }
            (void)device.shot(aiming.get());
            for (int done = 0; done < kSamplesAfterShot; done += kBatch) {
                device.coordinates(aiming.get(), kBatch, 1, 1);
            }
            device.conclude(aiming.get());
            device.finalConclude();
        }
        run.Stop();
        hints = view.received.size();
    }
    sink->Detach();
    state.counters["hints"] = static_cast<double>(hints);
    state.counters["times_real_time"] =
        benchmark::Counter(kRealSeconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["target_times_real_time"] = 100;
    state.SetLabel("60 shots of 6 s: target over 100 times real time");
}

BENCHMARK(practiceReplay)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    talvodata::registerClasses(platform::com::ClassTable::instance());
    return bench::runBenchmarks(argc, argv);
}
