#pragma once

#include "talvodata/EventParams.h"

#include "platform/com/ComPtr.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace talvodata::testsupport {

/// A new event with a short name, a name and an optional "synonym" value.
platform::com::ComPtr<CEventParams> makeEvent(const char* shortName, const char* name = nullptr,
                                              const char* synonyms = nullptr);

/// A compound file at `path` whose stream "Contents" holds exactly `contents`.
void writeCompoundContents(const std::filesystem::path& path, const std::vector<std::uint8_t>& contents);

/// A plain file holding `text`.
void writePlainFile(const std::filesystem::path& path, const std::string& text);

} // namespace talvodata::testsupport
