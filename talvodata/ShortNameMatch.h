#pragma once

#include <string_view>

namespace talvodata {

// An event answers to `wanted` when it is its own short name or one token of its "synonym" value. The two are
// asked apart, so a lookup reads an event's synonyms only when its short name does not settle it. An empty
// `wanted` matches nothing, so empty names and tokens never match.

bool isShortName(std::u16string_view wanted, std::u16string_view shortName);
/// The tokens are the "synonym" value split at every comma, with nothing trimmed.
bool isSynonym(std::u16string_view wanted, std::u16string_view synonyms);

} // namespace talvodata
