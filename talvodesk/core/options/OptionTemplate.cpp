#include "talvodesk/core/options/OptionTemplate.h"

#include "platform/text/Printf.h"

namespace talvodesk {

namespace {

bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

/// Reads up to `maxDigits` digits at `i`; nothing when more follow.
std::optional<int> readDigits(std::u16string_view text, std::size_t& i, int maxDigits)
{
    int value = 0;
    int digits = 0;
    while (i < text.size() && isDigit(text[i])) {
        if (++digits > maxDigits) {
            return std::nullopt;
        }
        value = value * 10 + (text[i++] - u'0');
    }
    return value;
}

std::optional<FieldType> typeOf(char16_t letter)
{
    switch (letter) {
    case u'd':
        return FieldType::Number;
    case u'f':
        return FieldType::Decimal;
    case u's':
        return FieldType::String;
    case u'u':
        return FieldType::Unsigned;
    case u'r':
        return FieldType::Colour;
    default:
        return std::nullopt;
    }
}

/// The placeholder whose number starts at `i` (just after "%"); `i` ends after its closing "!".
std::optional<Placeholder> readPlaceholder(std::u16string_view text, std::size_t& i)
{
    Placeholder placeholder;
    const std::size_t numberStart = i;
    const auto number = readDigits(text, i, 2);
    if (!number || i == numberStart || *number < 1 || i >= text.size() || text[i++] != u'!') {
        return std::nullopt;
    }
    placeholder.number = *number;
    const auto width = readDigits(text, i, 2);
    if (!width) {
        return std::nullopt;
    }
    placeholder.width = *width;
    if (i < text.size() && text[i] == u'.') {
        const auto precision = readDigits(text, ++i, 2);
        if (!precision) {
            return std::nullopt;
        }
        placeholder.precision = *precision;
    }
    if (i < text.size() && (text[i] == u'l' || text[i] == u'L')) {
        placeholder.isLong = true;
        ++i;
    }
    const auto type = i < text.size() ? typeOf(text[i++]) : std::nullopt;
    if (!type || i >= text.size() || text[i++] != u'!') {
        return std::nullopt;
    }
    placeholder.type = *type;
    return placeholder;
}

} // namespace

std::optional<std::vector<TemplateSegment>> ParseOptionTemplate(std::u16string_view label)
{
    std::vector<TemplateSegment> segments;
    std::u16string literal;
    std::size_t i = 0;
    while (i < label.size()) {
        if (label[i] != u'%') {
            literal += label[i++];
            continue;
        }
        if (++i < label.size() && label[i] == u'%') {
            literal += u'%';
            ++i;
            continue;
        }
        const auto placeholder = readPlaceholder(label, i);
        if (!placeholder) {
            return std::nullopt;
        }
        if (!literal.empty()) {
            segments.emplace_back(std::move(literal));
            literal.clear();
        }
        segments.emplace_back(*placeholder);
    }
    if (!literal.empty()) {
        segments.emplace_back(std::move(literal));
    }
    return segments;
}

std::optional<std::u16string> FormatLabelWith(std::u16string_view label, int number, std::u16string_view text)
{
    std::u16string result;
    int numbers = 0;
    int texts = 0;
    std::size_t i = 0;
    while (i < label.size()) {
        if (label[i] != u'%') {
            result += label[i++];
            continue;
        }
        const std::size_t start = i++;
        if (i < label.size() && label[i] == u'%') {
            result += u"%%";
            ++i;
            continue;
        }
        if (i < label.size() && label[i] == u's') {
            result += text;
            ++texts;
            ++i;
            continue;
        }
        while (i < label.size() && std::u16string_view(u"-+ #0").find(label[i]) != std::u16string_view::npos) {
            ++i;
        }
        if (!readDigits(label, i, 2) || i >= label.size() || (label[i] != u'i' && label[i] != u'd')) {
            return std::nullopt;
        }
        ++i;
        const std::string conversion(label.begin() + static_cast<std::ptrdiff_t>(start),
                                     label.begin() + static_cast<std::ptrdiff_t>(i));
        const auto formatted = platform::text::formatIntegerWith(conversion, number);
        if (!formatted) {
            return std::nullopt;
        }
        result.append(formatted->begin(), formatted->end());
        ++numbers;
    }
    if (numbers != 1 || texts != 1) {
        return std::nullopt;
    }
    return result;
}

} // namespace talvodesk
