#pragma once

#include "tools/eventgen/DefinitionFile.h"

#include "interfaces/talvodata/IEventParams.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Result.h"

#include <filesystem>

namespace eventgen {

/// Makes the event an .event file describes (through the event class's own interface), with its faces read
/// from `<facesFolder>/<name>.face`. Errors name the file and line.
platform::Result<platform::com::ComPtr<IEventParams>> buildEvent(const DefinitionFile& event,
                                                                 const std::filesystem::path& facesFolder);

} // namespace eventgen
