#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace talvodata::testsupport {

/// The hostile inputs kept in tests/data/malformed whose names begin with "<prefix>-", as (name, bytes) in name
/// order. They are kept forever: each once broke, or could break, a reader.
std::vector<std::pair<std::string, std::vector<std::uint8_t>>> keptMalformedInputs(const std::string& prefix);

} // namespace talvodata::testsupport
