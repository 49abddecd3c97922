#pragma once

namespace bench {

/// Runs the benchmarks the command line selects, as benchmark_main would, then empties the class table; for
/// programs whose main must first register classes or make a Qt application.
int runBenchmarks(int argc, char** argv);

} // namespace bench
