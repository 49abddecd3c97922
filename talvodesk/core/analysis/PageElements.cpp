#include "talvodesk/core/analysis/PageElements.h"

#include <algorithm>
#include <array>
#include <utility>

namespace talvodesk {

namespace {

constexpr std::array<std::pair<std::u16string_view, char16_t>, 5> kEntities = {{
    {u"&amp;", u'&'},
    {u"&lt;", u'<'},
    {u"&gt;", u'>'},
    {u"&quot;", u'"'},
    {u"&nbsp;", u' '},
}};

} // namespace

PageElements::Batch::Batch(PageElements& page) : m_page(page)
{
    if (m_page.m_batches++ == 0 && m_page.m_observer) {
        m_page.m_observer->changesBegin();
    }
}

PageElements::Batch::~Batch()
{
    if (--m_page.m_batches == 0 && m_page.m_observer) {
        m_page.m_observer->changesEnd();
    }
}

void PageElements::add(const std::u16string& id, std::u16string_view display, std::u16string_view html)
{
    Element& element = m_elements[id];
    element.display = display;
    element.html = html;
    changed(id);
}

void PageElements::setTarget(const std::u16string& id, platform::com::ComPtr<ITarget> target)
{
    if (Element* element = find(id)) {
        element->target = std::move(target);
    }
}

const PageElements::Element* PageElements::GetElement(std::u16string_view id) const
{
    const auto found = m_elements.find(id);
    return found == m_elements.end() ? nullptr : &found->second;
}

ITarget* PageElements::target(std::u16string_view id) const
{
    const Element* element = GetElement(id);
    return element ? element->target.get() : nullptr;
}

PageElements::Element* PageElements::find(std::u16string_view id)
{
    const auto found = m_elements.find(id);
    return found == m_elements.end() ? nullptr : &found->second;
}

void PageElements::changed(std::u16string_view id)
{
    if (m_observer) {
        const auto found = m_elements.find(id);
        m_observer->elementChanged(found->first, found->second);
    }
}

bool PageElements::SetElementDisplay(std::u16string_view id, std::u16string_view display)
{
    Element* element = find(id);
    if (!element) {
        return false;
    }
    if (element->display != display) {
        element->display = display;
        changed(id);
    }
    return true;
}

bool PageElements::SetRowValue(std::u16string_view id, const std::optional<std::u16string>& html)
{
    std::u16string row(id);
    row += u"Row";
    (void)SetElementDisplay(row, html ? u"block" : u"none"); // A value without a row has nothing to show.
    return SetElementHtml(id, html ? std::u16string_view(*html) : std::u16string_view());
}

bool PageElements::SetElementText(std::u16string_view id, std::u16string_view text)
{
    return SetRowValue(id, text.empty() ? std::nullopt : std::optional<std::u16string>(EscapeHtml(text)));
}

bool PageElements::SetElementHtml(std::u16string_view id, std::u16string_view html)
{
    Element* element = find(id);
    if (!element) {
        return false;
    }
    if (element->html != html) {
        element->html = html;
        changed(id);
    }
    return true;
}

bool PageElements::GetElementText(std::u16string_view id, std::u16string& text) const
{
    const Element* element = GetElement(id);
    if (!element) {
        return false;
    }
    text.clear();
    const std::u16string_view html = element->html;
    for (std::size_t i = 0; i < html.size(); ++i) {
        if (html[i] == u'<') {
            const std::size_t end = html.find(u'>', i);
            if (end == std::u16string_view::npos) {
                break;
            }
            i = end;
            continue;
        }
        if (html[i] == u'&') {
            const auto entity = std::find_if(kEntities.begin(), kEntities.end(),
                                             [&](const auto& e) { return html.substr(i, e.first.size()) == e.first; });
            if (entity != kEntities.end()) {
                text += entity->second;
                i += entity->first.size() - 1;
                continue;
            }
        }
        text += html[i];
    }
    return true;
}

bool PageElements::SetElementValue(std::u16string_view id, std::u16string_view value)
{
    Element* element = find(id);
    if (!element) {
        return false;
    }
    if (element->value != value) {
        element->value = value;
        changed(id);
    }
    return true;
}

std::u16string EscapeHtml(std::u16string_view text)
{
    std::u16string escaped;
    escaped.reserve(text.size());
    for (const char16_t c : text) {
        const auto entity =
            std::find_if(kEntities.begin(), kEntities.end() - 1, [c](const auto& e) { return e.second == c; });
        if (entity != kEntities.end() - 1) {
            escaped += entity->first;
        } else {
            escaped += c;
        }
    }
    return escaped;
}

} // namespace talvodesk
