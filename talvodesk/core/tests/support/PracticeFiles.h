#pragma once

#include "talvodata/tests/support/PracticeBuilder.h"

#include "platform/com/Bstr.h"

#include <filesystem>

namespace talvodesk::testsupport {

/// Writes a practice of `match` and `sighting` shots (one aiming each, F coefficient 12, enter times a second
/// apart) to `path`, and returns the path as a BSTR for Open.
inline platform::com::Bstr writePractice(const std::filesystem::path& path, int match, int sighting,
                                         const char* event = "AR10")
{
    constexpr DATE kFirst = 46000.25;
    auto document = talvodata::testsupport::PracticeBuilder(event)
                        .shooter(u"Ann")
                        .sightingShots(sighting, kFirst)
                        .matchShots(match, kFirst + 1.0)
                        .build();
    platform::com::Bstr name(path.string());
    EXPECT_EQ(S_OK, document->put_FileName(name.get()));
    EXPECT_EQ(S_OK, document->Save());
    return name;
}

} // namespace talvodesk::testsupport
