#include "talvodesk/views/PageWidgets.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolButton>

namespace talvodesk {

namespace {

QString qtext(std::u16string_view text)
{
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

std::u16string text16(const QString& text)
{
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size()));
}

} // namespace

QWidget* PageWidgets::bind(QWidget* widget, std::u16string_view id)
{
    widget->setObjectName(qtext(id));
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
    const auto found = m_widgets.find(text16(id));
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
        tile->setText(qtext(text));
        return;
    }
    widget->setVisible(element.display != u"none");
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(qtext(element.html));
    } else if (auto* field = qobject_cast<QLineEdit*>(widget); field && text16(field->text()) != element.value) {
        field->setText(qtext(element.value));
    } else if (auto* box = qobject_cast<QPlainTextEdit*>(widget); box && text16(box->toPlainText()) != element.value) {
        box->setPlainText(qtext(element.value));
    }
}

} // namespace talvodesk
