#pragma once

#include "talvodesk/core/options/OptionsTree.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

namespace talvodesk {

class COptions;

/// The text of a string-table number in the user's language.
using TextLookup = std::function<std::u16string_view(std::uint32_t id)>;

/// The program's option tree over a working copy of the options, with the editing of the additional trace
/// intervals: "Add..." appends one, an added interval left with its end not after its begin goes again, Delete
/// removes one, a drop moves one before another. The interval items stay in the order of the options' list.
/// Owner thread only.
class TalvoOptionsTree {
public:
    using ItemId = OptionsTree::ItemId;

    /// Builds every item from its label in `texts`; an item whose label is malformed is left out with its
    /// children. `options` must outlive the tree.
    TalvoOptionsTree(COptions& options, const TextLookup& texts);

    const OptionsTree& tree() const { return m_tree; }
    OptionsTree& tree() { return m_tree; }
    std::optional<ItemId> intervalsGroup() const { return m_intervalsGroup; }
    std::optional<ItemId> addItem() const { return m_addItem; }
    std::optional<ItemId> selected() const { return m_selected; }
    bool isInterval(ItemId item) const;

    /// Moves the selection (nothing clears it). Leaving an interval being added removes it when its end is not
    /// after its begin; choosing "Add..." appends {0xFFFFFF, 0, 0} and selects it instead. The caller stores
    /// the editors' values first. Returns the item now selected.
    std::optional<ItemId> select(std::optional<ItemId> item);
    /// Removes an interval item and its interval; its parent becomes selected. False for any other item.
    bool deleteInterval(ItemId item);
    /// Only a settled interval can be dragged.
    bool canDrag(ItemId item) const;
    /// Moves the dragged interval to just before the target interval, in the list and in the tree.
    bool moveInterval(ItemId dragged, ItemId target);

private:
    void build(const TextLookup& texts);
    void buildIntervals(const TextLookup& texts);
    std::optional<ItemId> addIntervalItem(std::size_t index);
    void appendAddItem();
    /// Points every interval item at its entry of the list, which may have moved in memory.
    void rebindIntervals();
    std::vector<FieldBinding> intervalBindings(std::size_t index);
    std::vector<ItemId> intervalItems() const;

    COptions& m_options;
    OptionsTree m_tree;
    std::u16string m_intervalLabel;
    std::u16string m_addLabel;
    std::optional<ItemId> m_intervalsGroup;
    std::optional<ItemId> m_addItem;
    std::optional<ItemId> m_adding;
    std::optional<ItemId> m_selected;
};

} // namespace talvodesk
