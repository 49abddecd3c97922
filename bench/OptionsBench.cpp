// Loading the program options from the settings store and saving them back, as every start and exit does.
// optionsLoadAndSaveChanged changes one value each time, so the settings file is really rewritten and flushed to
// the disk (target: load plus save under 5 ms together); optionsLoadAndSaveUnchanged saves the options as they
// were loaded, which leaves the file alone, for comparison.
#include "talvodesk/core/options/Options.h"
#include "talvodesk/core/options/Settings.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

enum class Save { Unchanged, Changed };

void optionsLoadAndSave(benchmark::State& state, Save save)
{
    std::string folder = (std::filesystem::temp_directory_path() / "talvo-options-bench-XXXXXX").string();
    if (!::mkdtemp(folder.data()) || ::setenv("XDG_CONFIG_HOME", folder.c_str(), /*overwrite=*/1) != 0) {
        state.SkipWithError("no temporary settings folder");
        return;
    }
    const auto root = talvodesk::OpenSettingsRoot();
    talvodesk::COptions options;
    options.additionalIntervals.resize(4);
    if (!root || !options.Save(*root)) {
        state.SkipWithError("cannot write the settings");
        return;
    }
    const std::uint32_t flip = save == Save::Changed ? 1 : 0;
    for (auto _ : state) {
        talvodesk::COptions loaded;
        benchmark::DoNotOptimize(loaded.Load(*root));
        loaded.replaySpeed ^= flip;
        benchmark::DoNotOptimize(loaded.Save(*root));
    }
    // Every save of a change must have reached the store.
    talvodesk::COptions last;
    const auto saves = static_cast<std::uint32_t>(state.iterations());
    if (!last.Load(*root) || last.replaySpeed != (options.replaySpeed ^ (flip * (saves & 1)))) {
        state.SkipWithError("a save did not write");
    }
    state.counters["target_ms"] = 5;
    std::filesystem::remove_all(folder);
}

void optionsLoadAndSaveChanged(benchmark::State& state)
{
    optionsLoadAndSave(state, Save::Changed);
    state.SetLabel("one value changed, the file rewritten: target under 5 ms");
}
BENCHMARK(optionsLoadAndSaveChanged)->Unit(benchmark::kMillisecond)->UseRealTime();

void optionsLoadAndSaveUnchanged(benchmark::State& state)
{
    optionsLoadAndSave(state, Save::Unchanged);
    state.SetLabel("nothing changed, nothing written");
}
BENCHMARK(optionsLoadAndSaveUnchanged)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
