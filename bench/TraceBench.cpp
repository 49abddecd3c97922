// Samples per second for appending, saving and loading a 10-minute trace at 200 Hz (120,000 samples).
// Target: Save plus Load of that trace under 5 ms on one core.
#include "talvodata/AimingTrace.h"
#include "talvodata/tests/support/FakeAimingAttr.h"

#include "platform/com/MemoryStream.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

using platform::com::ComPtr;
using platform::com::makeComObject;
using platform::com::MemoryStream;
using talvodata::CAimingTrace;

constexpr int kSamples = 120000;

// A hold that wanders a few millimetres, as a real aiming does.
ComPtr<CAimingTrace> recordedTrace()
{
    auto trace = CAimingTrace::create();
    trace->attachAttributes(makeComObject<talvodata::testsupport::FakeAimingAttr>(200));
    (void)trace->put_WrapEnabled(VARIANT_FALSE);
    for (int i = 0; i < kSamples; ++i) {
        const double t = i / 200.0;
        (void)trace->_Add(static_cast<LONG>(300 * std::sin(t * 1.3) + 40 * std::sin(t * 17)),
                          static_cast<LONG>(250 * std::cos(t * 0.9) + 35 * std::cos(t * 23)));
    }
    (void)trace->put_ReadOnly(VARIANT_TRUE);
    return trace;
}

void traceAdd(benchmark::State& state)
{
    for (auto _ : state) {
        benchmark::DoNotOptimize(recordedTrace());
    }
    state.SetItemsProcessed(state.iterations() * kSamples);
}

void traceSave(benchmark::State& state)
{
    const auto trace = recordedTrace();
    for (auto _ : state) {
        auto stream = makeComObject<MemoryStream>();
        benchmark::DoNotOptimize(trace->Save(stream.get(), FALSE));
    }
    state.SetItemsProcessed(state.iterations() * kSamples);
}

void traceLoad(benchmark::State& state)
{
    auto stream = makeComObject<MemoryStream>();
    (void)recordedTrace()->Save(stream.get(), FALSE);
    const auto bytes = stream->bytes();
    state.counters["record_bytes"] = static_cast<double>(bytes.size());
    for (auto _ : state) {
        auto source = makeComObject<MemoryStream>(bytes);
        auto loaded = CAimingTrace::create();
        benchmark::DoNotOptimize(loaded->Load(source.get()));
    }
    state.SetItemsProcessed(state.iterations() * kSamples);
}

BENCHMARK(traceAdd)->Unit(benchmark::kMillisecond);
BENCHMARK(traceSave)->Unit(benchmark::kMillisecond);
BENCHMARK(traceLoad)->Unit(benchmark::kMillisecond);

} // namespace
