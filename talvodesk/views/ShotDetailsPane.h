#pragma once

#include "talvodesk/core/ShotDetails.h"
#include "talvodesk/core/chart/ChartView.h"

#include <QHash>
#include <QWidget>

class QLabel;

namespace talvodesk {

/// The "Shot details" pane: a captioned table of the current shot's values whose elements are found by id. Main
/// thread only.
class CShotDetailsPane final : public QWidget, public ShotPageElements {
public:
    explicit CShotDetailsPane(const ChartServices& services, QWidget* parent = nullptr);

    bool SetElementText(std::u16string_view id, std::u16string_view text) override;
    /// The title and captions in the user-interface language, the values emptied and the rows as at first.
    void Reload();
    /// The element's text; empty for none.
    QString elementText(const QString& id) const;
    /// Whether the element's row (or the element) is shown within the page.
    bool isElementShown(const QString& id) const;
    int headerHeight() const;
    int pageHeight() const;

private:
    ChartServices m_services;
    QLabel* m_title;
    QWidget* m_table;
    QHash<QString, QLabel*> m_values;
    QHash<QString, QLabel*> m_captions;
    QHash<QString, QWidget*> m_rows;
};

} // namespace talvodesk
