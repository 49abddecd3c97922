#pragma once

#include <initializer_list>

namespace platform::com {
class ClassTable;
}

namespace bench {

/// Runs the benchmarks the command line selects, as benchmark_main would, then empties the class table; for
/// programs whose main must first register classes or make a Qt application.
int runBenchmarks(int argc, char** argv);

/// A library's class registrations, such as talvodata::registerClasses.
using Registration = void (*)(platform::com::ClassTable&);

/// runBenchmarks inside a Qt application on the offscreen platform (widgets and fonts need an application, not a
/// display), after the given registrations.
int runWidgetBenchmarks(int argc, char** argv, std::initializer_list<Registration> registrations);

} // namespace bench
