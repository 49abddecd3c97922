#pragma once

#include <string_view>

namespace platform::text {

/// Orders two strings as the user's default locale sorts text, case-sensitive (lower case before upper case when
/// the letters are otherwise equal). The locale is the one ICU takes from the environment (LC_ALL, LC_MESSAGES,
/// LANG); "C" and "POSIX" sort by the root locale. Strings that differ in any code unit never compare equal: the
/// code units decide where the locale sees no difference, so a sorted map keeps them apart.
/// Returns -1, 0 or 1. Any thread.
int compareLocale(std::u16string_view a, std::u16string_view b);

} // namespace platform::text
