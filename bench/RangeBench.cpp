// Range statistics over 1,000 shots of 6 s at 200 Hz, each sample jittered as a held rifle's sensor reports it:
// lengths, mean point, steadiness and the coordination and speed curves of the windows 5 s before to 1 s after each
// shot. Target: under 30 ms on one core, so that a loaded machine still stays under 50.
#include "bench/support/Aimings.h"
#include "bench/support/Run.h"

#include "talvodata/Register.h"
#include "talvodata/ShotCollection.h"

#include "platform/com/ClassTable.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

using platform::com::ComPtr;

ComPtr<IShotCollection> shotsOfAimings(int count)
{
    const ComPtr<IEventParams> event = bench::shippedEvent("AR10");
    if (!event) {
        bench::fail("no AR10 event file: build the talvo_events target first");
    }
    auto shots = talvodata::CShotCollection::create();
    for (int i = 0; i < count; ++i) {
        bench::AimingShape shape;
        shape.jitter = bench::kHeldRifleJitter;
        const ComPtr<IAiming> aiming = bench::recordedAiming(event.get(), shape, static_cast<unsigned>(i));
        ComPtr<IShot> shot;
        if (!aiming || FAILED(aiming->get_Shot(1, shot.put())) || FAILED(shots->Add(shot.get()))) {
            bench::fail("the aimings cannot be recorded");
        }
    }
    return shots;
}

/// Everything the analysis of a series reads of its ranges.
float rangeStatistics(IShotCollection& shots)
{
    ComPtr<IRangeCollection> ranges;
    if (FAILED(shots.Range(-5.0F, 1.0F, ranges.put()))) {
        bench::fail("the ranges cannot be made");
    }
    float sum = 0;
    float value = 0;
    for (auto getter : {&IRangeCollection::get_Length, &IRangeCollection::get_LengthX, &IRangeCollection::get_LengthY,
                        &IRangeCollection::get_AveragePointX, &IRangeCollection::get_AveragePointY}) {
        (void)((*ranges).*getter)(&value); // A failure reads as 0, which the sum shows.
        sum += value;
    }
    (void)ranges->Steadiness(2.5F, 12, 0, 0, &value);
    sum += value;
    LONG first = 0;
    LONG last = -1;
    (void)ranges->get_RequestedFirst(&first);
    (void)ranges->get_RequestedLast(&last);
    for (LONG i = first; i <= last; ++i) {
        (void)ranges->get_CoordinationPoint(i, &value);
        sum += value;
        (void)ranges->get_SpeedPoint(i, &value);
        sum += value;
    }
    return sum;
}

void rangeStatisticsOfShots(benchmark::State& state)
{
    const ComPtr<IShotCollection> shots = shotsOfAimings(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(rangeStatistics(*shots));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.counters["target_ms"] = 30;
    state.SetLabel("1,000 shots: target under 30 ms");
}
BENCHMARK(rangeStatisticsOfShots)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    talvodata::registerClasses(platform::com::ClassTable::instance());
    return bench::runBenchmarks(argc, argv);
}
