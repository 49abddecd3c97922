#include "talvodesk/core/options/OptionsTree.h"

#include "platform/text/Ascii.h"
#include "platform/text/Printf.h"

#include <algorithm>
#include <cassert>
#include <charconv>
#include <cmath>

namespace talvodesk {

namespace {

/// The ASCII prefix of typed text, blanks and tabs in front skipped.
std::string asciiPrefix(std::u16string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) {
        ++i;
    }
    std::string result;
    for (; i < text.size() && text[i] < 0x80; ++i) {
        result += static_cast<char>(text[i]);
    }
    return result;
}

/// A whole number at the start of the text, saturated far beyond 32 bits; 0 when there is none.
double parseWhole(std::string_view text)
{
    const bool negative = !text.empty() && text.front() == '-';
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        text.remove_prefix(1);
    }
    double value = 0;
    for (std::size_t i = 0; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = std::min(value * 10 + (text[i] - '0'), 1e12);
    }
    return negative ? -value : value;
}

/// A decimal number at the start of the text; 0 when it does not begin like one (so never inf or nan).
double parseDecimal(std::string_view text)
{
    const bool negative = !text.empty() && text.front() == '-';
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        text.remove_prefix(1);
    }
    const bool digitFirst = !text.empty() && text.front() >= '0' && text.front() <= '9';
    const bool pointFirst = text.size() > 1 && text[0] == '.' && text[1] >= '0' && text[1] <= '9';
    double value = 0;
    if (digitFirst || pointFirst) {
        std::from_chars(text.data(), text.data() + text.size(), value);
    }
    return negative ? -value : value;
}

double valueOf(const OptionField& field)
{
    if (const auto* decimal = std::get_if<float*>(&field.binding.value)) {
        return **decimal;
    }
    const std::uint32_t word = *std::get<std::uint32_t*>(field.binding.value);
    if (field.binding.type == FieldType::Number) {
        return static_cast<std::int32_t>(word);
    }
    return word;
}

/// Stores the value within the limits; nan becomes the minimum.
void store(const OptionField& field, double value)
{
    const FieldBinding& binding = field.binding;
    if (binding.type == FieldType::Colour) {
        // The high byte of a COLORREF selects palettes, which the options never use.
        *std::get<std::uint32_t*>(binding.value) = static_cast<std::uint32_t>(value) & 0xFFFFFF;
        return;
    }
    if (!(value >= binding.minimum)) {
        value = binding.minimum;
    }
    value = std::min(value, binding.maximum);
    if (auto* decimal = std::get_if<float*>(&binding.value)) {
        **decimal = static_cast<float>(value);
    } else if (binding.type == FieldType::Number) {
        *std::get<std::uint32_t*>(binding.value) = static_cast<std::uint32_t>(static_cast<std::int32_t>(value));
    } else {
        *std::get<std::uint32_t*>(binding.value) = static_cast<std::uint32_t>(value);
    }
}

std::vector<const OptionField*> fieldsIn(const std::vector<OptionSegment>& segments)
{
    std::vector<const OptionField*> result;
    for (const OptionSegment& segment : segments) {
        if (const auto* field = std::get_if<OptionField>(&segment)) {
            result.push_back(field);
        }
    }
    return result;
}

bool fits(const Placeholder& placeholder, const FieldBinding& binding)
{
    // A long decimal is a double, which no option is.
    return placeholder.type == binding.type && !(placeholder.type == FieldType::Decimal && placeholder.isLong);
}

} // namespace

FieldBinding FieldBinding::number(std::uint32_t& value, std::int32_t minimum, std::int32_t maximum)
{
    return {FieldType::Number, &value, static_cast<double>(minimum), static_cast<double>(maximum), 1};
}

FieldBinding FieldBinding::unsignedNumber(std::uint32_t& value, std::uint32_t minimum, std::uint32_t maximum)
{
    return {FieldType::Unsigned, &value, static_cast<double>(minimum), static_cast<double>(maximum), 1};
}

FieldBinding FieldBinding::decimal(float& value, double minimum, double maximum, double step)
{
    return {FieldType::Decimal, &value, minimum, maximum, step};
}

FieldBinding FieldBinding::colour(COLORREF& value)
{
    return {FieldType::Colour, &value, 0, 0xFFFFFF, 0};
}

OptionsTree::OptionsTree()
{
    m_items.emplace(kRoot, Item{});
}

std::optional<OptionsTree::ItemId> OptionsTree::addItem(ItemId parent, CheckKind check, std::uint32_t* checkValue,
                                                        int image, std::u16string_view label,
                                                        std::vector<FieldBinding> bindings)
{
    auto parsed = ParseOptionTemplate(label);
    if (!parsed || (check != CheckKind::None && checkValue == nullptr)) {
        return std::nullopt;
    }
    Item item{parent, {}, check, checkValue, image, {}};
    for (auto& segment : *parsed) {
        if (auto* literal = std::get_if<std::u16string>(&segment)) {
            item.segments.emplace_back(std::move(*literal));
            continue;
        }
        const auto& placeholder = std::get<Placeholder>(segment);
        const auto index = static_cast<std::size_t>(placeholder.number - 1);
        if (index >= bindings.size() || !fits(placeholder, bindings[index])) {
            return std::nullopt;
        }
        item.segments.emplace_back(OptionField{placeholder, bindings[index]});
    }
    for (const OptionField* field : fieldsIn(item.segments)) {
        store(*field, valueOf(*field));
    }
    if (checkValue != nullptr) {
        *checkValue = *checkValue != 0 ? 1 : 0;
    }
    const ItemId id = m_nextId++;
    m_items.at(parent).children.push_back(id);
    m_items.emplace(id, std::move(item));
    return id;
}

void OptionsTree::rebind(ItemId item, const std::vector<FieldBinding>& bindings)
{
    for (OptionSegment& segment : m_items.at(item).segments) {
        if (auto* field = std::get_if<OptionField>(&segment)) {
            const auto index = static_cast<std::size_t>(field->placeholder.number - 1);
            assert(index < bindings.size() && field->binding.type == bindings[index].type && "same shape");
            field->binding = bindings[index];
        }
    }
}

void OptionsTree::removeItem(ItemId item)
{
    const std::vector<ItemId> children = m_items.at(item).children;
    for (const ItemId child : children) {
        removeItem(child);
    }
    auto& siblings = m_items.at(parent(item)).children;
    siblings.erase(std::find(siblings.begin(), siblings.end(), item));
    m_items.erase(item);
}

bool OptionsTree::moveBefore(ItemId item, ItemId before)
{
    if (item == before || parent(item) != parent(before)) {
        return false;
    }
    auto& siblings = m_items.at(parent(item)).children;
    siblings.erase(std::find(siblings.begin(), siblings.end(), item));
    siblings.insert(std::find(siblings.begin(), siblings.end(), before), item);
    return true;
}

bool OptionsTree::isChecked(ItemId item) const
{
    const Item& entry = m_items.at(item);
    return entry.checkValue != nullptr && *entry.checkValue != 0;
}

bool OptionsTree::isEnabled(ItemId item) const
{
    for (ItemId above = parent(item); above != kRoot; above = parent(above)) {
        if (checkKind(above) != CheckKind::None && !isChecked(above)) {
            return false;
        }
    }
    return true;
}

bool OptionsTree::areValuesEditable(ItemId item) const
{
    return isEnabled(item) && (checkKind(item) == CheckKind::None || isChecked(item));
}

int OptionsTree::checkImage(ItemId item) const
{
    const CheckKind kind = checkKind(item);
    if (kind == CheckKind::None) {
        return 0;
    }
    const int image = (kind == CheckKind::CheckBox ? 1 : 5) + (isChecked(item) ? 1 : 0);
    return isEnabled(item) ? image : image + 2;
}

bool OptionsTree::toggle(ItemId item)
{
    Item& entry = m_items.at(item);
    if (entry.check == CheckKind::None || !isEnabled(item)) {
        return false;
    }
    if (entry.check == CheckKind::CheckBox) {
        *entry.checkValue = *entry.checkValue != 0 ? 0 : 1;
        return true;
    }
    if (*entry.checkValue != 0) {
        return false;
    }
    for (const ItemId sibling : children(entry.parent)) {
        const Item& other = m_items.at(sibling);
        if (other.check == CheckKind::Radio) {
            *other.checkValue = 0;
        }
    }
    *entry.checkValue = 1;
    return true;
}

std::u16string OptionsTree::text(ItemId item) const
{
    std::u16string result;
    for (const OptionSegment& segment : segments(item)) {
        if (const auto* literal = std::get_if<std::u16string>(&segment)) {
            result += *literal;
        } else {
            result += valueText(std::get<OptionField>(segment));
        }
    }
    return result;
}

std::u16string OptionsTree::valueText(const OptionField& field)
{
    const int width = field.placeholder.width;
    const double value = valueOf(field);
    switch (field.binding.type) {
    case FieldType::Number:
        return platform::text::widenAscii(platform::text::formatC("%*d", width, static_cast<int>(value)));
    case FieldType::Unsigned:
        return platform::text::widenAscii(platform::text::formatC("%*u", width, static_cast<unsigned>(value)));
    case FieldType::Decimal:
        return platform::text::widenAscii(platform::text::formatC("%*.*f", width, field.placeholder.precision, value));
    case FieldType::String:
    case FieldType::Colour:
        break;
    }
    return {};
}

void OptionsTree::storeText(const OptionField& field, std::u16string_view text)
{
    switch (field.binding.type) {
    case FieldType::Number:
    case FieldType::Unsigned:
        store(field, parseWhole(asciiPrefix(text)));
        break;
    case FieldType::Decimal:
        store(field, parseDecimal(asciiPrefix(text)));
        break;
    case FieldType::String:
    case FieldType::Colour:
        break;
    }
}

bool OptionsTree::spin(const OptionField& field, int delta)
{
    if (field.binding.type == FieldType::Colour) {
        return false;
    }
    const double before = valueOf(field);
    store(field, before + delta * field.binding.step);
    return valueOf(field) != before;
}

COLORREF OptionsTree::colour(const OptionField& field)
{
    return *std::get<std::uint32_t*>(field.binding.value);
}

void OptionsTree::setColour(const OptionField& field, COLORREF colour)
{
    store(field, colour);
}

std::vector<const OptionField*> OptionsTree::fields(ItemId item) const
{
    return fieldsIn(segments(item));
}

} // namespace talvodesk
