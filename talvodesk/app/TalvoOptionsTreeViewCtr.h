#pragma once

#include "talvodesk/app/ChildColorPickerButton.h"
#include "talvodesk/core/options/TalvoOptionsTree.h"

#include <QTimer>
#include <QTreeWidget>

#include <map>
#include <optional>
#include <variant>
#include <vector>

class QLabel;

namespace talvodesk {

/// The option tree's window: shows the items of a TalvoOptionsTree with their check images and values, opens
/// the editors of the selected item over its values, and turns clicks, keys and drags into calls on the model.
/// Items are rebuilt from the model after every change of structure or checks. Owner thread only.
class CTalvoOptionsTreeViewCtr : public QTreeWidget {
    Q_OBJECT
public:
    CTalvoOptionsTreeViewCtr(TalvoOptionsTree& model, ColourChooser chooser, QWidget* parent);

    /// Stores what the open editors hold.
    void commitEditors();
    /// The open item's editors in label order.
    std::vector<QWidget*> editors() const;
    QTreeWidgetItem* itemOf(OptionsTree::ItemId id) const;
    /// Rebuilds now what a change asked to rebuild later.
    void flush();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Editor {
        QWidget* widget;
        const OptionField* field;
        /// The value when the editor opened, for Escape.
        std::variant<std::uint32_t, float> original;
    };

    void rebuild();
    void scheduleRebuild();
    void addChildren(QTreeWidgetItem* parent, OptionsTree::ItemId id);
    QWidget* makeRow(OptionsTree::ItemId id, bool withEditors);
    QWidget* makeValue(const OptionField& field, bool itemOn);
    QWidget* makeEditor(const OptionField& field, int index);
    void closeEditors();
    /// Escape in an editor: the open item's values go back to what they were when its editors opened.
    void cancelEdit();
    /// The open editors show the values as stored (within their limits).
    void showStoredValues();
    void onCurrentItemChanged(QTreeWidgetItem* current);
    void toggle(OptionsTree::ItemId id);
    void focusEditor(int index);
    std::optional<OptionsTree::ItemId> idAt(const QPoint& position) const;
    /// The label of the row at `position` that carries `property`, and that property's value.
    std::optional<int> labelAt(const QPoint& position, const char* property) const;

    TalvoOptionsTree& m_model;
    ColourChooser m_chooser;
    std::map<OptionsTree::ItemId, QTreeWidgetItem*> m_items;
    std::vector<Editor> m_editors;
    std::optional<int> m_pendingField;
    QTimer m_focusTimer;
    bool m_rebuildPending = false;
    std::optional<OptionsTree::ItemId> m_dragged;
    QPoint m_pressPosition;
    bool m_dragging = false;
};

} // namespace talvodesk
