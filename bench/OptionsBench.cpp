// Loading the program options from the settings store and saving them back, as every start and exit does. With
// the argument 1 each save changes one value, so the settings file is really rewritten and flushed to the disk;
// with 0 the options are saved unchanged, which leaves the file alone. Target: load plus save under 5 ms together.
#include "talvodesk/core/Options.h"
#include "talvodesk/core/Settings.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

void optionsLoadAndSave(benchmark::State& state)
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
    for (auto _ : state) {
        talvodesk::COptions loaded;
        benchmark::DoNotOptimize(loaded.Load(*root));
        loaded.replaySpeed ^= static_cast<std::uint32_t>(state.range(0));
        benchmark::DoNotOptimize(loaded.Save(*root));
    }
    state.counters["target_ms"] = 5;
    std::filesystem::remove_all(folder);
}

BENCHMARK(optionsLoadAndSave)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
