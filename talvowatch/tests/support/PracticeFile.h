#pragma once

#include "platform/com/Result.h"
#include "platform/com/Types.h"

#include <filesystem>
#include <string>

namespace talvowatch::testsupport {

/// A practice as the catalog sees it; every shot has its own aiming with a two-second trace.
struct PracticeSpec {
    const char* event = "AR10";
    std::u16string shooter = u"Ann";
    int matchShots = 10;
    int sightingShots = 0;
    DATE firstShot = 46000.5;
    std::u16string comments;
    /// The shots fall in a seeded group round the centre, each after a hold that settles on it, as a shooter's
    /// would, and carry their times; else in a line with a plain zigzag trace.
    bool grouped = false;
};

/// Saves the practice at `path` through the document model (its shipped events must be readable).
platform::Status writePractice(const std::filesystem::path& path, const PracticeSpec& spec);

} // namespace talvowatch::testsupport
