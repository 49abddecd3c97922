#include "talvodesk/views/PrintPreviewPane.h"

#include "talvodesk/views/PrintJob.h"

#include <QImage>
#include <QPainter>

namespace talvodesk {

PrintPreviewPane::PrintPreviewPane(Pages pages, Paper paper, QWidget* parent)
    : QWidget(parent), m_pages(std::move(pages)), m_paper(std::move(paper))
{
    setObjectName(QStringLiteral("PrintPreview"));
}

void PrintPreviewPane::setPage(int page)
{
    m_page = page;
    update();
}

void PrintPreviewPane::nextPage()
{
    if (m_page + 1 < static_cast<int>(m_pages().size())) {
        setPage(m_page + 1);
    }
}

void PrintPreviewPane::previousPage()
{
    if (m_page > 0) {
        setPage(m_page - 1);
    }
}

void PrintPreviewPane::paintEvent(QPaintEvent*)
{
    QImage image(size(), QImage::Format_RGB32);
    PaintPreview(image, m_pages(), m_page, m_paper());
    QPainter(this).drawImage(0, 0, image);
}

} // namespace talvodesk
