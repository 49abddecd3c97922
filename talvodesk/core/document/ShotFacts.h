#pragma once

#include "interfaces/talvodata/IAiming.h"
#include "interfaces/talvodata/IAimingAttr.h"
#include "interfaces/talvodata/IAimingCollection.h"
#include "interfaces/talvodata/IShot.h"
#include "interfaces/talvodata/IShotCollection.h"
#include "platform/com/ComPtr.h"

#include <optional>

namespace talvodesk {

// The recorded facts of shots and aimings as every view reads them: a null object or a failed read is "not known".

/// The aiming's attributes; null for no aiming or when they cannot be read.
platform::com::ComPtr<IAimingAttr> attributesOf(IAiming* aiming);
/// The shot's own attributes; null for no shot or when they cannot be read.
platform::com::ComPtr<IAimingAttr> attributesOf(IShot* shot);

/// The face (1 the first) the attributes were shot at; nothing when it cannot be read.
std::optional<LONG> subTargetOf(IAimingAttr* attributes);
/// The face the aiming was shot at; nothing when it cannot be read.
std::optional<LONG> subTargetOf(IAiming* aiming);
/// The face of the shot's own attributes; nothing when it cannot be read.
std::optional<LONG> subTargetOf(IShot* shot);

/// The shot's score; 0 when it cannot be read.
float resultOf(IShot* shot);
/// When the shot was fired; 0 when it cannot be read.
DATE shotTimeOf(IShot* shot);
/// Whether the shot missed the face; false when that cannot be read.
bool isMissed(IShot* shot);
/// Whether the attributes mark a match (not a sighting) shot; false when they cannot tell.
bool isMatch(IAimingAttr* attributes);

/// The number of shots of a collection; 0 for none or when it cannot be read.
long countOf(IShotCollection* shots);
/// The number of aimings of a collection; 0 for none or when it cannot be read.
long countOf(IAimingCollection* aimings);

} // namespace talvodesk
