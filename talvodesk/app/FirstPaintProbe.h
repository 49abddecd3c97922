#pragma once

namespace talvodesk::app {

/// A measurement hook for the start-up benchmark, not a feature: when the environment variable
/// TALVO_FIRST_PAINT_FD names an open file descriptor, the program writes one byte to it once the main window has
/// painted for the first time, and then quits. Without the variable nothing is installed.
/// Thread rule: main thread, after the application exists.
void InstallFirstPaintProbe();

} // namespace talvodesk::app
