#pragma once

#include "interfaces/talvodata/IAimingTrace.h"

#include <filesystem>

namespace talvodata::fuzz {

/// Readies the process once (document classes registered, failure logging silenced, an events folder holding the
/// event "AR10" that the practices of the corpus name) and returns a scratch folder for the files an entry writes.
const std::filesystem::path& scratchFolder();

/// Reads what a viewer of the trace reads: its range, the samples at both ends and just past them.
void touchTrace(IAimingTrace& trace);

} // namespace talvodata::fuzz
