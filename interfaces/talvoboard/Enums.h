#pragma once

// The control adds no enumeration of its own; it describes the document model's face and element kinds, which
// `ITarget::AddElement` takes.
#include "interfaces/talvodata/Enums.h"
