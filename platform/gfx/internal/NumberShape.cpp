#include "platform/gfx/internal/NumberShape.h"

#include <algorithm>
#include <array>

namespace platform::gfx {

namespace {

constexpr std::u16string_view kNumberSigns = u".-%";

bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

char16_t shapeOf(char16_t c)
{
    return isDigit(c) ? u'0' : c;
}

} // namespace

bool numberShape(std::u16string_view text, std::u16string& shape)
{
    bool digit = false;
    for (const char16_t c : text) {
        if (isDigit(c)) {
            digit = true;
        } else if (kNumberSigns.find(c) == std::u16string_view::npos) {
            return false;
        }
    }
    if (!digit) {
        return false;
    }
    shape.resize(text.size());
    std::transform(text.begin(), text.end(), shape.begin(), shapeOf);
    return true;
}

bool numbersMeasureAsShapes(const std::function<double(std::u16string_view)>& advance)
{
    const auto pair = [&](char16_t first, char16_t second) {
        const std::array<char16_t, 2> text{first, second};
        return advance({text.data(), text.size()});
    };
    const double zero = advance(u"0");
    for (char16_t digit = u'1'; digit <= u'9'; ++digit) {
        if (advance({&digit, 1}) != zero) {
            return false;
        }
    }
    // Pairs of signs keep their shape, so only the pairs holding a digit are compared with theirs.
    constexpr std::u16string_view kOthers = u"0123456789.-%";
    static_assert(kOthers.ends_with(kNumberSigns));
    const double zeros = pair(u'0', u'0');
    for (const char16_t other : kOthers) {
        const bool sign = !isDigit(other);
        const double before = sign ? pair(u'0', other) : zeros;
        const double after = sign ? pair(other, u'0') : zeros;
        for (char16_t digit = u'0'; digit <= u'9'; ++digit) {
            if (pair(digit, other) != before || (sign && pair(other, digit) != after)) {
                return false;
            }
        }
    }
    return true;
}

} // namespace platform::gfx
