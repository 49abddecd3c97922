#include "talvodesk/views/PageWidgets.h"

#include "platform/ui/QtText.h"

#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolButton>

namespace talvodesk {

namespace {

/// Lays the widget out, then the visible widgets inside it, each at the size its parent has just given it.
void layOut(QWidget& widget)
{
    if (QLayout* layout = widget.layout()) {
        // A held layout missed the resizes made meanwhile.
        if (layout->geometry() != widget.contentsRect()) {
            layout->invalidate();
        }
        layout->activate();
    }
    for (QObject* child : widget.children()) {
        if (child->isWidgetType() && static_cast<QWidget*>(child)->isVisible()) {
            layOut(*static_cast<QWidget*>(child));
        }
    }
}

} // namespace

QWidget* PageWidgets::bind(QWidget* widget, std::u16string_view id)
{
    widget->setObjectName(platform::ui::qtext(id));
    follow(widget, id);
    return widget;
}

void PageWidgets::follow(QWidget* widget, std::u16string_view id)
{
    m_widgets.emplace(std::u16string(id), widget);
}

void PageWidgets::attach(PageElements& page, QWidget& root)
{
    detach();
    m_page = &page;
    m_root = &root;
    page.setObserver(this);
    const PageElements::Batch batch(page);
    for (const auto& [id, widget] : m_widgets) {
        if (const PageElements::Element* element = page.GetElement(id)) {
            elementChanged(id, *element);
        }
    }
}

void PageWidgets::detach()
{
    if (m_page) {
        m_page->setObserver(nullptr);
        m_page = nullptr;
    }
}

QWidget* PageWidgets::element(const QString& id) const
{
    const auto found = m_widgets.find(platform::ui::text16(id));
    return found == m_widgets.end() ? nullptr : found->second;
}

void PageWidgets::elementChanged(const std::u16string& id, const PageElements::Element& element)
{
    const auto found = m_widgets.find(id);
    if (found == m_widgets.end()) {
        return;
    }
    QWidget* widget = found->second;
    if (m_inBatch && !m_held) {
        holdLayouts(true);
    }
    if (auto* tile = qobject_cast<QToolButton*>(widget)) {
        std::u16string text;
        (void)m_page->GetElementText(id, text);
        tile->setText(platform::ui::qtext(text));
        return;
    }
    // The contents first: showing a widget lays its page out at once, and that layout should be the last.
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(platform::ui::qtext(element.html));
    } else if (auto* field = qobject_cast<QLineEdit*>(widget);
               field && platform::ui::text16(field->text()) != element.value) {
        field->setText(platform::ui::qtext(element.value));
    } else if (auto* box = qobject_cast<QPlainTextEdit*>(widget);
               box && platform::ui::text16(box->toPlainText()) != element.value) {
        box->setPlainText(platform::ui::qtext(element.value));
    }
    widget->setVisible(element.display != u"none");
}

void PageWidgets::changesEnd()
{
    m_inBatch = false;
    if (!m_held) {
        return;
    }
    holdLayouts(false);
    // A hidden page is laid out by Qt when it shows.
    if (m_root->isVisible()) {
        layOut(*m_root);
    }
}

void PageWidgets::holdLayouts(bool hold)
{
    // A widget shown on a visible page lays out every visible widget above it at once: a batch of them would lay
    // the page out as often, each time at sizes that its next change undoes. A held layout hears of nothing: no
    // widget may leave the page, nor be resized and then hidden, during a batch.
    m_held = hold;
    for (QLayout* layout : m_root->findChildren<QLayout*>()) {
        layout->setEnabled(!hold);
    }
}

} // namespace talvodesk
