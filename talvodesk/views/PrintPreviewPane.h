#pragma once

#include "talvodesk/core/report/PrintTarget.h"
#include "talvodesk/core/report/Printout.h"

#include <QWidget>

#include <functional>

namespace talvodesk {

/// Shows one page of a printout at a time, fitted into the pane on a shadowed background. The printout is asked
/// for at every paint, so its owner may lay it out lazily or drop it; a page it lacks shows blank paper. Owner
/// thread only.
class PrintPreviewPane : public QWidget {
    Q_OBJECT
public:
    using Pages = std::function<const Printout&()>;
    using Paper = std::function<PrinterPage()>;

    PrintPreviewPane(Pages pages, Paper paper, QWidget* parent);

    int page() const { return m_page; }
    void setPage(int page);
    /// One page on, unless on the last.
    void nextPage();
    /// One page back, unless on the first.
    void previousPage();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Pages m_pages;
    Paper m_paper;
    int m_page = 0;
};

} // namespace talvodesk
