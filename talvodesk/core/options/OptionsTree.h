#pragma once

#include "talvodesk/core/options/OptionTemplate.h"

#include "platform/com/Types.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace talvodesk {

/// The value a label's placeholder edits, with its inclusive limits. Whole numbers live in 32-bit options
/// whatever their sign: a signed field reads its option as i32.
struct FieldBinding {
    FieldType type = FieldType::Number;
    std::variant<std::uint32_t*, float*> value;
    double minimum = 0;
    double maximum = 0;
    /// Change per spin click of a decimal.
    double step = 0;

    static FieldBinding number(std::uint32_t& value, std::int32_t minimum, std::int32_t maximum);
    static FieldBinding unsignedNumber(std::uint32_t& value, std::uint32_t minimum, std::uint32_t maximum);
    static FieldBinding decimal(float& value, double minimum, double maximum, double step);
    static FieldBinding colour(COLORREF& value);
};

enum class CheckKind { None, CheckBox, Radio };

/// A field of an item: where it sits in the label and what it edits.
struct OptionField {
    Placeholder placeholder;
    FieldBinding binding;
};

/// Literal text or a field, in label order.
using OptionSegment = std::variant<std::u16string, OptionField>;

/// The option tree without its window: items with check boxes or radio buttons and labels whose placeholders
/// edit option values in place. Items are known by ids that are never reused; 0 is the invisible root. Values
/// are kept within their limits on every change. Owner thread only.
class OptionsTree {
public:
    using ItemId = int;
    static constexpr ItemId kRoot = 0;

    OptionsTree();

    /// Appends an item below `parent`. Its placeholders take the bindings by number (1 the first binding); the
    /// item is not created when the label is malformed, a placeholder has no binding of its type, or a checkable
    /// item has no check value. The bound values are brought within their limits and the check value to 0 or 1,
    /// so options read from a hand-edited settings file show and leave sane.
    std::optional<ItemId> addItem(ItemId parent, CheckKind check, std::uint32_t* checkValue, int image,
                                  std::u16string_view label, std::vector<FieldBinding> bindings = {});
    /// Re-points an item's fields at other values of the same types (after the values moved in memory).
    void rebind(ItemId item, const std::vector<FieldBinding>& bindings);
    void removeItem(ItemId item);
    /// Moves an item to just before `before`, a sibling; false when they are not siblings.
    bool moveBefore(ItemId item, ItemId before);

    bool contains(ItemId item) const { return m_items.contains(item); }
    ItemId parent(ItemId item) const { return m_items.at(item).parent; }
    const std::vector<ItemId>& children(ItemId item) const { return m_items.at(item).children; }
    const std::vector<OptionSegment>& segments(ItemId item) const { return m_items.at(item).segments; }
    /// The item's picture number; -1 for none.
    int image(ItemId item) const { return m_items.at(item).image; }
    void setImage(ItemId item, int image) { m_items.at(item).image = image; }
    CheckKind checkKind(ItemId item) const { return m_items.at(item).check; }
    bool isChecked(ItemId item) const;

    /// False when any item above it that has a check is off.
    bool isEnabled(ItemId item) const;
    /// Enabled, and its own check (if any) on: only then do its values open editors.
    bool areValuesEditable(ItemId item) const;
    /// Check box off 1, on 2; radio off 5, on 6; each plus 2 when disabled; 0 for an item without a check.
    int checkImage(ItemId item) const;
    /// Flips a check box; sets an off radio and clears its radio siblings (a radio that is on stays on). Only
    /// an enabled item toggles; true when something changed.
    bool toggle(ItemId item);

    /// The label with each number in place of its placeholder; a colour leaves no text.
    std::u16string text(ItemId item) const;
    /// A field's value as its editor shows it.
    static std::u16string valueText(const OptionField& field);
    /// Parses typed text ("12abc" is 12, text that is no number is 0), clamps it and stores it.
    static void storeText(const OptionField& field, std::u16string_view text);
    /// One spin click (+1 or -1): a decimal moves by its step. False when the value would not change.
    static bool spin(const OptionField& field, int delta);
    static COLORREF colour(const OptionField& field);
    static void setColour(const OptionField& field, COLORREF colour);
    /// The fields of an item in label order.
    std::vector<const OptionField*> fields(ItemId item) const;

private:
    struct Item {
        ItemId parent = kRoot;
        std::vector<ItemId> children;
        CheckKind check = CheckKind::None;
        std::uint32_t* checkValue = nullptr;
        int image = -1;
        std::vector<OptionSegment> segments;
    };

    std::map<ItemId, Item> m_items;
    ItemId m_nextId = 1;
};

} // namespace talvodesk
