#pragma once

#include "talvodesk/app/OptionsDlg.h"
#include "talvodesk/app/TalvoOptionsTreeViewCtr.h"
#include "talvodesk/core/options/StringTable.h"

#include <QTest>

#include <gtest/gtest.h>

#include <optional>
#include <string_view>

namespace talvodesk::testsupport {

/// The English text of a string-table id, as the options dialog is given its labels.
inline std::u16string_view englishText(std::uint32_t id)
{
    const std::u16string* text = StringTable::english().find(id);
    return text != nullptr ? std::u16string_view(*text) : std::u16string_view();
}

/// The first item below `parent` whose text begins with `prefix`.
inline std::optional<OptionsTree::ItemId> findOptionItem(const OptionsTree& tree, std::u16string_view prefix,
                                                         OptionsTree::ItemId parent = OptionsTree::kRoot)
{
    for (const OptionsTree::ItemId child : tree.children(parent)) {
        if (tree.text(child).starts_with(prefix)) {
            return child;
        }
        if (const auto found = findOptionItem(tree, prefix, child)) {
            return found;
        }
    }
    return std::nullopt;
}

/// Selects the item whose text begins with `prefix` and opens its editors.
inline void selectOptionItem(COptionsDlg& dialog, std::u16string_view prefix)
{
    const auto id = findOptionItem(dialog.model().tree(), prefix);
    ASSERT_TRUE(id);
    dialog.tree()->setCurrentItem(dialog.tree()->itemOf(*id));
    dialog.tree()->flush();
}

/// Replaces the text of the open item's editor `index` as a user would.
inline void typeIntoOption(COptionsDlg& dialog, std::size_t index, const QString& text)
{
    QWidget* editor = dialog.tree()->editors().at(index);
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor, text);
}

} // namespace talvodesk::testsupport
