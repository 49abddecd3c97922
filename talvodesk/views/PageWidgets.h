#pragma once

#include "talvodesk/core/analysis/PageElements.h"

#include <QString>

#include <map>
#include <string>
#include <string_view>

class QWidget;

namespace talvodesk {

/// The widgets of a page by element id, following its registry: each shows or hides with its element's display
/// and shows what the element holds (a label its HTML, a tile its text, an entry field its value). A batch of
/// changes lays the page out once, at its end. Main thread only.
class PageWidgets final : private PageElements::Observer {
public:
    PageWidgets() = default;
    PageWidgets(const PageWidgets&) = delete;
    PageWidgets& operator=(const PageWidgets&) = delete;
    ~PageWidgets() { detach(); }

    /// Names the widget by the id and binds it to that element.
    QWidget* bind(QWidget* widget, std::u16string_view id);
    /// Binds the widget to the element and keeps the widget's own name (a tile showing a text element).
    void follow(QWidget* widget, std::u16string_view id);
    /// Follows the page from now on, every bound widget brought up to it first; `root` holds them all.
    void attach(PageElements& page, QWidget& root);
    /// Stops following; before the bound widgets go.
    void detach();
    /// The element's widget; null when the page has none of that id.
    QWidget* element(const QString& id) const;

private:
    void elementChanged(const std::u16string& id, const PageElements::Element& element) override;
    void changesBegin() override { m_inBatch = true; }
    void changesEnd() override;
    void holdLayouts(bool hold);

    PageElements* m_page = nullptr;
    QWidget* m_root = nullptr;
    bool m_inBatch = false;
    /// The root's layouts wait for the batch's end.
    bool m_held = false;
    std::map<std::u16string, QWidget*, std::less<>> m_widgets;
};

} // namespace talvodesk
