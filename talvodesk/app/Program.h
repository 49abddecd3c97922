#pragma once

#include <span>
#include <string_view>

namespace talvodesk {

class FrameDialogs;

/// The program: its classes and services registered, start-up, the command line's outcome, the frame's run loop and
/// the shut-down order. Returns the process exit code. Needs a QApplication; `main()` and the program's tests both
/// run it. `dialogs` answers the frame's dialogs (the real ones in the program).
int RunProgram(std::span<const std::string_view> arguments, FrameDialogs& dialogs);

} // namespace talvodesk
