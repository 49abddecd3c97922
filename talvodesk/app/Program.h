#pragma once

#include "interfaces/talvodata/IEventParams.h"
#include "interfaces/talvodata/IShotCollection.h"
#include "platform/com/ComPtr.h"

#include <functional>
#include <memory>
#include <span>
#include <string_view>

namespace platform::sound {
class SoundBackend;
}

namespace talvodesk {

class FrameDialogs;

/// Opens the program's sound output; empty: the system's default (tests give a recording one).
using SoundOutput = std::function<std::unique_ptr<platform::sound::SoundBackend>()>;

/// The program: its classes and services registered, start-up, the command line's outcome, the frame's run loop and
/// the shut-down order. Returns the process exit code. Needs a QApplication; `main()` and the program's tests both
/// run it. `dialogs` answers the frame's dialogs (the real ones in the program).
int RunProgram(std::span<const std::string_view> arguments, FrameDialogs& dialogs, const SoundOutput& soundOutput = {});

/// A new collection of the document library's that takes shots of `event` only: what the program hands its frame
/// for the report's target pictures.
platform::com::ComPtr<IShotCollection> NewShotCollection(platform::com::ComPtr<IEventParams> event);

} // namespace talvodesk
