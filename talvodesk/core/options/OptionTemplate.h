#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace talvodesk {

/// A placeholder's type letter, as the flags the option tree keeps: "d" 1, "f" 2, "s" 4, "u" 0x11, "r" 0x20.
enum class FieldType : std::uint32_t { Number = 0x01, Decimal = 0x02, String = 0x04, Unsigned = 0x11, Colour = 0x20 };
/// Added to a field's flags for an "l" or "L" prefix.
inline constexpr std::uint32_t kLongFieldFlag = 0x08;

/// One "%N!...!" insert of an option label.
struct Placeholder {
    int number = 0;
    int width = 0;
    /// Digits after the point of a decimal.
    int precision = 1;
    bool isLong = false;
    FieldType type = FieldType::Number;

    std::uint32_t flags() const { return static_cast<std::uint32_t>(type) | (isLong ? kLongFieldFlag : 0); }
    friend bool operator==(const Placeholder&, const Placeholder&) = default;
};

/// Literal text or a placeholder, in the order of the label.
using TemplateSegment = std::variant<std::u16string, Placeholder>;

/// Splits an option label into literal runs and placeholders: "%" number 1..99 "!" [width] ["." precision]
/// ["l" | "L"] type "!", with "%%" a literal percent sign. Width and precision take at most two digits, so a
/// translated label cannot ask for a huge field. Nothing when any "%" begins another shape.
std::optional<std::vector<TemplateSegment>> ParseOptionTemplate(std::u16string_view label);

/// Fills a label of the form "... %i ... %s ..." (the integer conversion may carry flags and a width) with a
/// number and a text, in whichever order the two appear. The result is a label again, so "%%" stays doubled.
/// Nothing unless there is exactly one integer conversion and one "%s".
std::optional<std::u16string> FormatLabelWith(std::u16string_view label, int number, std::u16string_view text);

} // namespace talvodesk
