#pragma once

#include <string>
#include <string_view>

namespace platform::text {

/// The text with each character replaced by its simple case folding ("Straße" and "STRASSE" stay different, "Ä"
/// and "ä" become one), for names that compare without regard to case. Independent of the locale.
std::u16string foldCase(std::u16string_view text);

} // namespace platform::text
