// Saving a practice to disk and loading it back, with 10 to 5,000 aimings of 6 s at 200 Hz.
// Target: Save and Load of 1,000 aimings each under 100 ms on one core, and Load of 5,000 under 100 ms;
// time grows linearly with the aimings.
#include "bench/support/Aimings.h"
#include "bench/support/Run.h"

#include "talvodata/Register.h"
#include "talvodata/TalvoDocument.h"

#include "platform/com/Bstr.h"
#include "platform/com/ClassTable.h"
#include "platform/fs/tests/support/TemporaryFolder.h"

#include <benchmark/benchmark.h>

#include <filesystem>

namespace {

using platform::com::Bstr;
using platform::com::ComPtr;

ComPtr<talvodata::CTalvoDocument> newDocument()
{
    auto created = talvodata::CTalvoDocument::create();
    if (!created) {
        bench::fail("no document");
    }
    return std::move(created).value();
}

ComPtr<talvodata::CTalvoDocument> practice(int aimings, const std::filesystem::path& file)
{
    const ComPtr<IEventParams> event = bench::shippedEvent("AR10");
    if (!event) {
        bench::fail("no AR10 event file: build the talvo_events target first");
    }
    auto document = newDocument();
    ComPtr<IAimingCollection> collection;
    if (FAILED(document->put_Event(event.get())) || FAILED(document->get_Aimings(collection.put())) ||
        FAILED(document->put_ShooterName(Bstr("Bench").get())) ||
        FAILED(document->put_FileName(Bstr(file.string()).get()))) {
        bench::fail("the practice cannot be set up");
    }
    for (int i = 0; i < aimings; ++i) {
        const ComPtr<IAiming> aiming = bench::recordedAiming(event.get(), {}, static_cast<unsigned>(i));
        if (!aiming || FAILED(collection->Add(aiming.get()))) {
            bench::fail("the aimings cannot be recorded");
        }
    }
    return document;
}

void practiceSave(benchmark::State& state)
{
    const platform::fs::testing::TemporaryFolder folder;
    const auto file = folder.path() / "practice.talvo";
    const auto document = practice(static_cast<int>(state.range(0)), file);
    for (auto _ : state) {
        if (FAILED(document->Save())) {
            state.SkipWithError("Save failed");
            return;
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.counters["file_bytes"] = static_cast<double>(std::filesystem::file_size(file));
    state.counters["target_ms"] = 100;
    state.SetLabel("1,000 aimings: target under 100 ms");
}

void practiceLoad(benchmark::State& state)
{
    const platform::fs::testing::TemporaryFolder folder;
    const auto file = folder.path() / "practice.talvo";
    if (FAILED(practice(static_cast<int>(state.range(0)), file)->Save())) {
        bench::fail("the practice cannot be saved");
    }
    const Bstr name(file.string());
    for (auto _ : state) {
        auto loaded = newDocument();
        if (FAILED(loaded->put_FileName(name.get())) || FAILED(loaded->Load())) {
            state.SkipWithError("Load failed");
            return;
        }
        benchmark::DoNotOptimize(loaded);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.counters["file_bytes"] = static_cast<double>(std::filesystem::file_size(file));
    state.counters["target_ms"] = 100;
    state.SetLabel("1,000 and 5,000 aimings: target under 100 ms");
}

BENCHMARK(practiceSave)->Arg(10)->Arg(100)->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond);
BENCHMARK(practiceLoad)->Arg(10)->Arg(100)->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    talvodata::registerClasses(platform::com::ClassTable::instance());
    return bench::runBenchmarks(argc, argv);
}
