#include "talvodesk/app/TalvoOptionsTreeViewCtr.h"

#include "talvodesk/app/ChildEdit.h"
#include "talvodesk/app/internal/DialogParts.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionButton>
#include <QStyleOptionSpinBox>

namespace talvodesk {

namespace {

constexpr int kIdRole = Qt::UserRole;
/// Set on the label of an item's check image.
constexpr const char* kCheckProperty = "talvoCheck";
/// Set on a value's label: the index of its field.
constexpr const char* kFieldProperty = "talvoField";
constexpr int kImageSize = 16;
/// Blank widths of a colour button.
constexpr int kColourBlanks = 13;
/// Blank widths an edit covers at least.
constexpr int kEditBlanks = 5;
/// A line edit's margins either side of its text, and the cursor.
constexpr int kEditTextMargins = 2 * 2 + 1;

QString toQString(std::u16string_view text)
{
    return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

/// Check box off 1, on 2; radio off 5, on 6; each plus 2 when disabled.
QPixmap checkPixmap(int image, const QWidget* widget)
{
    const bool radio = image >= 5;
    const int state = radio ? image - 4 : image;
    QStyleOptionButton option;
    option.initFrom(widget);
    option.rect = QRect(0, 0, kImageSize, kImageSize);
    option.state = (state % 2 == 0 ? QStyle::State_On : QStyle::State_Off) |
                   (state <= 2 ? QStyle::State_Enabled : QStyle::State_None);
    QPixmap pixmap(kImageSize, kImageSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    widget->style()->drawPrimitive(radio ? QStyle::PE_IndicatorRadioButton : QStyle::PE_IndicatorCheckBox, &option,
                                   &painter, widget);
    return pixmap;
}

/// The platform's nearest picture for an image of the tree's list; colour items show their swatch instead.
QPixmap groupPixmap(int image, const QWidget* widget)
{
    QStyle::StandardPixmap standard = QStyle::SP_FileDialogInfoView;
    switch (image) {
    case 9:
        standard = QStyle::SP_FileDialogDetailedView;
        break;
    case 10:
        standard = QStyle::SP_FileDialogListView;
        break;
    case 12:
        standard = QStyle::SP_DialogApplyButton;
        break;
    case 13:
        standard = QStyle::SP_MediaPlay;
        break;
    case 14:
        standard = QStyle::SP_FileDialogNewFolder;
        break;
    case 17:
        standard = QStyle::SP_FileDialogContentsView;
        break;
    default:
        break;
    }
    return widget->style()->standardIcon(standard, nullptr, widget).pixmap(kImageSize, kImageSize);
}

/// How the field writes `value`, one of its limits.
QString limitText(const OptionField& field, double value)
{
    OptionField limit = field;
    std::uint32_t whole = static_cast<std::uint32_t>(static_cast<std::int64_t>(value));
    auto decimal = static_cast<float>(value);
    if (std::holds_alternative<float*>(field.binding.value)) {
        limit.binding.value = &decimal;
    } else {
        limit.binding.value = &whole;
    }
    return toQString(OptionsTree::valueText(limit));
}

} // namespace

CTalvoOptionsTreeViewCtr::CTalvoOptionsTreeViewCtr(TalvoOptionsTree& model, ColourChooser chooser, QWidget* parent)
    : QTreeWidget(parent), m_model(model), m_chooser(std::move(chooser))
{
    setObjectName(QStringLiteral("1087"));
    setHeaderHidden(true);
    setColumnCount(1);
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    header()->setStretchLastSection(false);
    setExpandsOnDoubleClick(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setMouseTracking(true); // the cursor over a value says it can be edited
    m_focusTimer.setSingleShot(true);
    m_focusTimer.setInterval(10);
    connect(&m_focusTimer, &QTimer::timeout, this, [this] {
        if (m_pendingField) {
            focusEditor(*m_pendingField);
        }
        m_pendingField.reset();
    });
    connect(this, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { onCurrentItemChanged(current); });
    rebuild();
    if (topLevelItemCount() > 0) {
        scrollToItem(topLevelItem(0), QAbstractItemView::PositionAtTop);
    }
}

void CTalvoOptionsTreeViewCtr::commitEditors()
{
    for (const Editor& editor : m_editors) {
        if (const auto* edit = qobject_cast<CChildEdit*>(editor.widget)) {
            OptionsTree::storeText(*editor.field, edit->text().toStdU16String());
        }
    }
}

std::vector<QWidget*> CTalvoOptionsTreeViewCtr::editors() const
{
    std::vector<QWidget*> widgets;
    for (const Editor& editor : m_editors) {
        widgets.push_back(editor.widget);
    }
    return widgets;
}

QTreeWidgetItem* CTalvoOptionsTreeViewCtr::itemOf(OptionsTree::ItemId id) const
{
    const auto found = m_items.find(id);
    return found == m_items.end() ? nullptr : found->second;
}

void CTalvoOptionsTreeViewCtr::flush()
{
    if (m_rebuildPending) {
        rebuild();
    }
}

void CTalvoOptionsTreeViewCtr::scheduleRebuild()
{
    // Later, so no widget is deleted inside its own event or a handler of the view's.
    if (!m_rebuildPending) {
        m_rebuildPending = true;
        QMetaObject::invokeMethod(this, &CTalvoOptionsTreeViewCtr::flush, Qt::QueuedConnection);
    }
}

void CTalvoOptionsTreeViewCtr::rebuild()
{
    m_rebuildPending = false;
    closeEditors();
    const QWidget* focus = QApplication::focusWidget();
    const bool hadFocus = focus == this || isAncestorOf(focus);
    const int scroll = verticalScrollBar()->value();
    const auto selected = m_model.selected();
    {
        const QSignalBlocker blocker(this);
        clear();
        m_items.clear();
        addChildren(invisibleRootItem(), OptionsTree::kRoot);
        expandAll();
        setCurrentItem(selected ? itemOf(*selected) : nullptr);
    }
    for (const auto& [id, item] : m_items) {
        QWidget* row = makeRow(id, id == selected && m_model.tree().areValuesEditable(id));
        item->setSizeHint(0, row->sizeHint());
        setItemWidget(item, 0, row);
    }
    verticalScrollBar()->setValue(scroll);
    if (m_pendingField && !m_editors.empty()) {
        m_focusTimer.start();
        return;
    }
    m_pendingField.reset();
    if (hadFocus) {
        setFocus();
    }
}

void CTalvoOptionsTreeViewCtr::addChildren(QTreeWidgetItem* parent, OptionsTree::ItemId id)
{
    for (const OptionsTree::ItemId child : m_model.tree().children(id)) {
        auto* item = new QTreeWidgetItem(parent);
        item->setData(0, kIdRole, child);
        m_items.emplace(child, item);
        addChildren(item, child);
    }
}

QWidget* CTalvoOptionsTreeViewCtr::makeRow(OptionsTree::ItemId id, bool withEditors)
{
    const OptionsTree& tree = m_model.tree();
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 1, 4, 1);
    layout->setSpacing(0);
    if (const int check = tree.checkImage(id); check != 0 || tree.image(id) >= 0) {
        auto* picture = new QLabel(row);
        picture->setPixmap(check != 0 ? checkPixmap(check, this) : groupPixmap(tree.image(id), this));
        if (check != 0) {
            picture->setProperty(kCheckProperty, check);
        }
        layout->addWidget(picture);
        layout->addSpacing(3);
    }
    const bool itemOn = tree.checkKind(id) == CheckKind::None || tree.isChecked(id);
    int index = 0;
    for (const OptionSegment& segment : tree.segments(id)) {
        if (const auto* literal = std::get_if<std::u16string>(&segment)) {
            layout->addWidget(new QLabel(toQString(*literal), row));
            continue;
        }
        const auto& field = std::get<OptionField>(segment);
        QWidget* value = withEditors ? makeEditor(field, index) : makeValue(field, itemOn && tree.isEnabled(id));
        value->setProperty(kFieldProperty, index++);
        layout->addWidget(value);
    }
    layout->addStretch();
    // Clicks on texts and pictures go to the view, which hit-tests them.
    for (QLabel* label : row->findChildren<QLabel*>()) {
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    if (!tree.isEnabled(id)) {
        QPalette palette = row->palette();
        palette.setColor(QPalette::WindowText, palette.color(QPalette::Disabled, QPalette::WindowText));
        row->setPalette(palette);
    }
    return row;
}

QWidget* CTalvoOptionsTreeViewCtr::makeValue(const OptionField& field, bool itemOn)
{
    auto* label = new QLabel;
    if (field.binding.type != FieldType::Colour) {
        label->setText(toQString(OptionsTree::valueText(field)));
        QFont font = label->font();
        font.setUnderline(true);
        label->setFont(font);
        return label;
    }
    const int height = fontMetrics().height() - 4;
    label->setFixedSize(2 * height, height);
    const QColor fill = itemOn ? toQColor(OptionsTree::colour(field)) : palette().color(QPalette::Button);
    label->setStyleSheet(QStringLiteral("background-color: %1; border: 1px solid %2")
                             .arg(fill.name(), palette().color(QPalette::WindowText).name()));
    return label;
}

QWidget* CTalvoOptionsTreeViewCtr::makeEditor(const OptionField& field, int index)
{
    const int blank = fontMetrics().horizontalAdvance(QLatin1Char(' '));
    QWidget* widget = nullptr;
    if (field.binding.type == FieldType::Colour) {
        auto* button = new CChildColorPickerButton(OptionsTree::colour(field), m_chooser, nullptr);
        button->setFixedWidth(kColourBlanks * blank + style()->pixelMetric(QStyle::PM_ScrollBarExtent));
        connect(button, &CChildColorPickerButton::colourChosen, this, [&field, button](COLORREF colour) {
            OptionsTree::setColour(field, colour);
            button->setColour(OptionsTree::colour(field));
        });
        connect(button, &CChildColorPickerButton::neighbourWanted, this, [this, index](int direction) {
            if (index + direction >= 0 && index + direction < static_cast<int>(m_editors.size())) {
                focusEditor(index + direction);
            }
        });
        widget = button;
    } else {
        auto* edit = new CChildEdit(field.binding.type == FieldType::Unsigned, nullptr);
        const QString text = toQString(OptionsTree::valueText(field));
        edit->setValueText(text);
        // Wide enough for any value within the field's limits, as the style frames a spin box.
        int textWidth = kEditBlanks * blank;
        for (const double value : {field.binding.minimum, field.binding.maximum}) {
            textWidth = std::max(textWidth, fontMetrics().horizontalAdvance(limitText(field, value)));
        }
        textWidth = std::max(textWidth, fontMetrics().horizontalAdvance(text));
        textWidth += kEditTextMargins;
        QStyleOptionSpinBox option;
        option.initFrom(edit);
        option.buttonSymbols = edit->buttonSymbols();
        option.subControls =
            QStyle::SC_SpinBoxFrame | QStyle::SC_SpinBoxEditField | QStyle::SC_SpinBoxUp | QStyle::SC_SpinBoxDown;
        const QSize content(textWidth, fontMetrics().height());
        edit->setMinimumWidth(std::max(style()->sizeFromContents(QStyle::CT_SpinBox, &option, content, edit).width(),
                                       textWidth + style()->pixelMetric(QStyle::PM_ScrollBarExtent) +
                                           2 * (style()->pixelMetric(QStyle::PM_DefaultFrameWidth) + 2)));
        connect(edit, &CChildEdit::textEdited, this,
                [&field](const QString& typed) { OptionsTree::storeText(field, typed.toStdU16String()); });
        connect(edit, &CChildEdit::stepRequested, this, [&field, edit](int delta) {
            if (OptionsTree::spin(field, delta)) {
                edit->setValueText(toQString(OptionsTree::valueText(field)));
            }
        });
        widget = edit;
    }
    widget->installEventFilter(this);
    const auto original =
        std::visit([](auto* value) { return std::variant<std::uint32_t, float>(*value); }, field.binding.value);
    m_editors.push_back({widget, &field, original});
    return widget;
}

void CTalvoOptionsTreeViewCtr::closeEditors()
{
    // The widgets go with their row; until then they must not reach a field the model may have removed.
    for (const Editor& editor : m_editors) {
        editor.widget->removeEventFilter(this);
        editor.widget->blockSignals(true);
        editor.widget->setEnabled(false);
    }
    m_editors.clear();
}

void CTalvoOptionsTreeViewCtr::cancelEdit()
{
    for (const Editor& editor : m_editors) {
        std::visit(
            [&editor](auto* value) { *value = std::get<std::remove_pointer_t<decltype(value)>>(editor.original); },
            editor.field->binding.value);
    }
    showStoredValues();
    setFocus(Qt::OtherFocusReason);
}

void CTalvoOptionsTreeViewCtr::showStoredValues()
{
    for (const Editor& editor : m_editors) {
        if (auto* edit = qobject_cast<CChildEdit*>(editor.widget)) {
            edit->setValueText(toQString(OptionsTree::valueText(*editor.field)));
        } else if (auto* button = qobject_cast<CChildColorPickerButton*>(editor.widget)) {
            button->setColour(OptionsTree::colour(*editor.field));
        }
    }
}

void CTalvoOptionsTreeViewCtr::onCurrentItemChanged(QTreeWidgetItem* current)
{
    commitEditors();
    closeEditors();
    m_model.select(current != nullptr ? std::optional(current->data(0, kIdRole).toInt()) : std::nullopt);
    scheduleRebuild();
}

void CTalvoOptionsTreeViewCtr::toggle(OptionsTree::ItemId id)
{
    commitEditors();
    if (m_model.tree().toggle(id)) {
        closeEditors();
        scheduleRebuild();
    }
}

void CTalvoOptionsTreeViewCtr::focusEditor(int index)
{
    if (index < 0 || index >= static_cast<int>(m_editors.size())) {
        setFocus(Qt::TabFocusReason);
        return;
    }
    QWidget* editor = m_editors[static_cast<std::size_t>(index)].widget;
    editor->setFocus(Qt::TabFocusReason);
    const QRect placed(editor->mapTo(viewport(), QPoint(0, 0)), editor->size());
    QScrollBar* bar = horizontalScrollBar();
    if (placed.right() > viewport()->width()) {
        bar->setValue(bar->value() + placed.right() - viewport()->width());
    } else if (placed.left() < 0) {
        bar->setValue(bar->value() + placed.left());
    }
}

std::optional<OptionsTree::ItemId> CTalvoOptionsTreeViewCtr::idAt(const QPoint& position) const
{
    const QTreeWidgetItem* item = itemAt(position);
    return item != nullptr ? std::optional(item->data(0, kIdRole).toInt()) : std::nullopt;
}

std::optional<int> CTalvoOptionsTreeViewCtr::labelAt(const QPoint& position, const char* property) const
{
    QTreeWidgetItem* item = itemAt(position);
    const QWidget* row = item != nullptr ? itemWidget(item, 0) : nullptr;
    if (row == nullptr) {
        return std::nullopt;
    }
    for (const QLabel* label : row->findChildren<QLabel*>()) {
        const QVariant value = label->property(property);
        if (value.isValid() && QRect(label->mapTo(viewport(), QPoint(0, 0)), label->size()).contains(position)) {
            return value.toInt();
        }
    }
    return std::nullopt;
}

void CTalvoOptionsTreeViewCtr::keyPressEvent(QKeyEvent* event)
{
    const auto selected = m_model.selected();
    switch (event->key()) {
    case Qt::Key_Space:
        if (selected) {
            toggle(*selected);
        }
        return;
    case Qt::Key_Delete:
        if (selected && m_model.isInterval(*selected)) {
            commitEditors();
            closeEditors();
            m_model.deleteInterval(*selected);
            scheduleRebuild();
        }
        return;
    case Qt::Key_Right:
        if (!m_editors.empty()) {
            focusEditor(0);
            return;
        }
        break;
    default:
        break;
    }
    QTreeWidget::keyPressEvent(event);
}

void CTalvoOptionsTreeViewCtr::mousePressEvent(QMouseEvent* event)
{
    const QPoint position = event->position().toPoint();
    const auto id = idAt(position);
    if (id && event->button() == Qt::LeftButton && labelAt(position, kCheckProperty)) {
        toggle(*id);
        return;
    }
    m_pendingField = id && m_model.tree().areValuesEditable(*id) ? labelAt(position, kFieldProperty) : std::nullopt;
    m_dragged = id && m_model.canDrag(*id) ? id : std::nullopt;
    m_pressPosition = position;
    m_dragging = false;
    QTreeWidget::mousePressEvent(event);
}

void CTalvoOptionsTreeViewCtr::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint position = event->position().toPoint();
    if (m_dragged && (event->buttons() & Qt::LeftButton) && !m_dragging &&
        (position - m_pressPosition).manhattanLength() >= QApplication::startDragDistance()) {
        // A drag leaves the selection empty, so the intervals hold still while one moves.
        m_dragging = true;
        viewport()->unsetCursor(); // the drag's own cursors show on the tree
        commitEditors();
        closeEditors();
        m_model.select(std::nullopt);
        scheduleRebuild();
    }
    if (!m_dragging) {
        const auto id = idAt(position);
        const bool overValue =
            id && m_model.tree().areValuesEditable(*id) && labelAt(position, kFieldProperty).has_value();
        viewport()->setCursor(overValue ? Qt::PointingHandCursor : Qt::ArrowCursor);
        QTreeWidget::mouseMoveEvent(event);
        return;
    }
    const auto target = idAt(position);
    setCursor(target && *target != *m_dragged && m_model.canDrag(*target) ? Qt::DragMoveCursor : Qt::ForbiddenCursor);
}

void CTalvoOptionsTreeViewCtr::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_dragging) {
        m_dragged.reset();
        QTreeWidget::mouseReleaseEvent(event);
        return;
    }
    flush();
    if (const auto target = idAt(event->position().toPoint())) {
        m_model.moveInterval(*m_dragged, *target);
    }
    unsetCursor();
    m_dragging = false;
    m_dragged.reset();
    scheduleRebuild();
}

void CTalvoOptionsTreeViewCtr::mouseDoubleClickEvent(QMouseEvent* event)
{
    const QPoint position = event->position().toPoint();
    const auto id = idAt(position);
    if (id && (labelAt(position, kCheckProperty) || m_model.tree().children(*id).empty())) {
        toggle(*id);
        return;
    }
    QTreeWidget::mouseDoubleClickEvent(event);
}

bool CTalvoOptionsTreeViewCtr::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress) {
        return QTreeWidget::eventFilter(watched, event);
    }
    const auto found = std::find_if(m_editors.begin(), m_editors.end(),
                                    [watched](const Editor& editor) { return editor.widget == watched; });
    if (found == m_editors.end()) {
        return QTreeWidget::eventFilter(watched, event);
    }
    const int index = static_cast<int>(found - m_editors.begin());
    const auto* edit = qobject_cast<const CChildEdit*>(found->widget);
    const int last = static_cast<int>(m_editors.size()) - 1;
    switch (static_cast<QKeyEvent*>(event)->key()) {
    case Qt::Key_Escape:
        // The edit ends here; the dialog stays open with the other changes.
        cancelEdit();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Enter commits this edit only; OK is the dialog's own button.
        commitEditors();
        showStoredValues();
        return true;
    case Qt::Key_Tab:
        focusEditor(index + 1);
        return true;
    case Qt::Key_Backtab:
        focusEditor(index - 1);
        return true;
    case Qt::Key_Right:
        if (edit != nullptr && edit->isCaretAtEnd() && index < last) {
            focusEditor(index + 1);
            return true;
        }
        return false;
    case Qt::Key_Left:
        if (edit != nullptr && edit->isCaretAtStart() && index > 0) {
            focusEditor(index - 1);
            return true;
        }
        return false;
    default:
        return false;
    }
}

} // namespace talvodesk
