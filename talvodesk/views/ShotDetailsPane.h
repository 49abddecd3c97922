#pragma once

#include "talvodesk/core/analysis/PageElements.h"
#include "talvodesk/core/analysis/chart/GraphServices.h"
#include "talvodesk/views/PageWidgets.h"

#include <QWidget>

class QLabel;

namespace talvodesk {

/// The "Shot details" pane: a captioned table of the current shot's values. Its elements live in the page
/// registry, readable shown or not; the widgets follow it. Main thread only.
class CShotDetailsPane final : public QWidget {
public:
    explicit CShotDetailsPane(const ChartServices& services, QWidget* parent = nullptr);

    /// What the shot details fill.
    PageElements& page() { return m_page; }
    const PageElements& page() const { return m_page; }
    /// The element's widget; null when the page has none of that id.
    QWidget* element(const QString& id) const { return m_widgets.element(id); }
    /// The title and captions in the user-interface language, the values emptied and the rows as at first.
    void Reload();
    int headerHeight() const;
    int pageHeight() const;

private:
    ChartServices m_services;
    PageElements m_page;
    QLabel* m_title;
    QWidget* m_table;
    PageWidgets m_widgets;
};

} // namespace talvodesk
