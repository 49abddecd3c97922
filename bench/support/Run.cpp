#include "bench/support/Run.h"

#include "platform/com/ClassTable.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstdlib>

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

int runWidgetBenchmarks(int argc, char** argv, std::initializer_list<Registration> registrations)
{
    setenv("QT_QPA_PLATFORM", "offscreen", /*overwrite=*/0);
    QApplication application(argc, argv);
    for (const Registration registration : registrations) {
        registration(platform::com::ClassTable::instance());
    }
    return runBenchmarks(argc, argv);
}

} // namespace bench
