#include "talvodesk/views/PageWidgets.h"

#include "platform/ui/QtText.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolButton>

namespace talvodesk {

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

void PageWidgets::attach(PageElements& page)
{
    detach();
    m_page = &page;
    page.setObserver(this);
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

} // namespace talvodesk
