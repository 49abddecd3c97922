#include "bench/support/Run.h"

#include "platform/com/ClassTable.h"

#include <benchmark/benchmark.h>

namespace bench {

int runBenchmarks(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    // The singletons (the event manager) go before a Qt application does.
    platform::com::ClassTable::instance().clear();
    return 0;
}

} // namespace bench
