#pragma once

#include <string_view>

namespace talvodata {

/// Whether an event answers to `wanted`: its own short name, or one token of its "synonym" value split at every
/// comma with nothing trimmed. An empty `wanted` matches nothing, so empty names and tokens never match.
bool answersToShortName(std::u16string_view wanted, std::u16string_view shortName, std::u16string_view synonyms);

} // namespace talvodata
