#include "talvolink/serial/PnpParser.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

namespace talvolink {
namespace {

constexpr std::size_t kBeginWindow = 17;
constexpr std::size_t kFieldsOffset = 6; // "(", two revision and three manufacturer characters
constexpr std::uint8_t kEndMarkValue = ')';

bool isEndMark(std::uint8_t byte)
{
    return byte == ')' || byte == '\t';
}
bool isFieldEnd(std::uint8_t byte)
{
    return byte == '\\' || isEndMark(byte);
}

std::optional<int> hexDigit(std::uint8_t byte)
{
    if (byte >= '0' && byte <= '9') {
        return byte - '0';
    }
    if (byte >= 'A' && byte <= 'F') {
        return byte - 'A' + 10;
    }
    return std::nullopt;
}

struct FieldSpec {
    std::size_t maxLength;
};

// Product id, serial number, device class, compatible id, model name.
constexpr std::array<FieldSpec, 5> kFields = {{{6}, {9}, {9}, {9}, {42}}};

// Copies at most width - 1 characters so the field stays zero-terminated whatever the sensor sent.
template <std::size_t Width> void copyText(std::span<const std::uint8_t> text, std::array<char, Width>& field)
{
    const std::size_t length = std::min(text.size(), Width - 1);
    field.fill(0);
    std::copy_n(text.begin(), length, field.begin());
}

std::int32_t decimalValue(std::span<const std::uint8_t> text)
{
    std::int32_t value = 0;
    for (std::uint8_t byte : text) {
        if (byte < '0' || byte > '9') {
            break;
        }
        value = value * 10 + (byte - '0'); // at most six digits
    }
    return value;
}

} // namespace

bool ParsePnpRecord(std::span<const std::uint8_t> answer, PnpRecord& record)
{
    const auto window = answer.first(std::min(answer.size(), kBeginWindow));
    const auto beginIt = std::find(window.begin(), window.end(), '(');
    if (beginIt == window.end()) {
        return false;
    }
    const std::size_t begin = static_cast<std::size_t>(beginIt - window.begin());
    const auto endIt = std::find_if(answer.begin() + static_cast<std::ptrdiff_t>(begin) + 1, answer.end(), isEndMark);
    if (endIt == answer.end()) {
        return false;
    }
    const std::size_t end = static_cast<std::size_t>(endIt - answer.begin());
    // The identification needs its fixed head and two checksum digits before the end mark.
    if (end < begin + kFieldsOffset + 2) {
        return false;
    }
    const auto high = hexDigit(answer[end - 2]);
    const auto low = hexDigit(answer[end - 1]);
    if (!high || !low) {
        return false;
    }
    std::uint8_t sum = kEndMarkValue;
    for (std::size_t i = begin; i < end - 2; ++i) {
        sum = static_cast<std::uint8_t>(sum + answer[i]);
    }
    if (sum != *high * 16 + *low) {
        return false;
    }

    PnpRecord parsed{};
    std::memcpy(parsed.revision.data(), &answer[begin + 1], 2);
    std::memcpy(parsed.manufacturer.data(), &answer[begin + 3], 3);
    std::array<std::span<const std::uint8_t>, kFields.size()> texts{};
    std::size_t position = begin + kFieldsOffset;
    for (std::size_t field = 0; field < kFields.size() && position < end; ++field) {
        std::size_t stop = position;
        while (stop < end && !isFieldEnd(answer[stop]) && stop - position < kFields[field].maxLength) {
            ++stop;
        }
        std::size_t length = stop - position;
        if (stop == end && length > 2) {
            length -= 2; // the last field carries the checksum digits
        }
        texts[field] = answer.subspan(position, length);
        position = (stop < end && answer[stop] == '\\') ? stop + 1 : stop;
    }
    parsed.modelCode = decimalValue(texts[0]);
    copyText(texts[1], parsed.serialNumber);
    copyText(texts[2], parsed.deviceClass);
    copyText(texts[3], parsed.compatibleId);
    copyText(texts[4], parsed.modelName);
    record = parsed;
    return true;
}

} // namespace talvolink
