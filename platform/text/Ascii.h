#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace platform::text {

/// `c` with A-Z lowered; every other byte, UTF-8 ones included, as it is. No locale takes part.
constexpr char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

/// Whether `a` and `b` are equal once A-Z are lowered: for names and keywords that are plain ASCII by design.
constexpr bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return asciiLower(x) == asciiLower(y); });
}

/// The text as UTF-16, for text that is ASCII by construction, such as numbers formatted in the C locale.
inline std::u16string widenAscii(std::string_view text)
{
    return {text.begin(), text.end()};
}

} // namespace platform::text
