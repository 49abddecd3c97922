#pragma once

#include "interfaces/talvodata/IEventParams.h"
#include "interfaces/talvodata/IShotCollection.h"
#include "platform/com/ComPtr.h"

#include <functional>

namespace talvodesk {

/// Makes a new, empty collection that takes shots of `event` only; null when it cannot. The program's construction
/// hands in the document library's, so the rules never name its classes.
using ShotCollectionFactory =
    std::function<platform::com::ComPtr<IShotCollection>(platform::com::ComPtr<IEventParams> event)>;

} // namespace talvodesk
