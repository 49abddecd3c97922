#pragma once

#include "interfaces/talvodata/IShotCollection.h"

namespace talvodesk {

/// The number of shots of a collection; 0 for none or when it cannot be read.
inline long countOf(IShotCollection* shots)
{
    LONG count = 0;
    return shots && SUCCEEDED(shots->get_Count(&count)) ? count : 0;
}

} // namespace talvodesk
