#include "talvodesk/views/ChartWindow.h"

#include "talvodesk/core/analysis/chart/ChartImpl.h"

#include "platform/gfx/DrawContextQt.h"

#include <QCheckBox>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace talvodesk {

namespace {

constexpr ChartMargins kMargins{5, 5, 5, 5};
constexpr int kBoxInset = 5;
/// Between two boxes side by side.
constexpr int kBoxGap = 10;

platform::gfx::Rect rectOf(const QWidget& widget)
{
    return {0, 0, widget.width(), widget.height()};
}

/// An image at the screen's logical resolution, so points and pens come out as the window paints them.
QImage screenImage(const QWidget& widget, QSize size)
{
    constexpr double kInchesPerMetre = 1 / 0.0254;
    QImage image(size, QImage::Format_RGB32);
    image.setDotsPerMeterX(static_cast<int>(std::lround(widget.logicalDpiX() * kInchesPerMetre)));
    image.setDotsPerMeterY(static_cast<int>(std::lround(widget.logicalDpiY() * kInchesPerMetre)));
    return image;
}

} // namespace

CChartWindow::CChartWindow(CChartImpl& chart, QWidget* parent) : QWidget(parent), m_chart(chart)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QCheckBox* CChartWindow::addCheckBox(const QString& text, int id)
{
    auto* box = new QCheckBox(text, this);
    box->setObjectName(QString::number(id));
    box->show();
    m_boxes.append(box);
    placeCheckBoxes();
    return box;
}

void CChartWindow::setHitTesting(bool on)
{
    m_hitTesting = on;
    setMouseTracking(on);
}

std::optional<int> CChartWindow::seriesAt(QPoint point)
{
    QImage probe = screenImage(*this, QSize(1, 1));
    platform::gfx::DrawContextQt dc(probe);
    const ChartSeriesInfo* series = nullptr;
    if (!m_chart.HitTest(dc, rectOf(*this), kMargins, {point.x(), point.y()}, series)) {
        return std::nullopt;
    }
    return series->id;
}

QImage CChartWindow::render() const
{
    QImage image = screenImage(*this, size());
    image.fill(Qt::white);
    platform::gfx::DrawContextQt dc(image);
    m_chart.Draw(dc, rectOf(*this), kMargins, /*legend=*/true, /*print=*/false);
    return image;
}

void CChartWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(0, 0, render());
}

void CChartWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    placeCheckBoxes();
}

void CChartWindow::mouseMoveEvent(QMouseEvent* event)
{
    if (m_hitTesting) {
        setCursor(seriesAt(event->position().toPoint()) ? Qt::PointingHandCursor : Qt::ArrowCursor);
    }
    QWidget::mouseMoveEvent(event);
}

void CChartWindow::mousePressEvent(QMouseEvent* event)
{
    if (m_hitTesting && event->button() == Qt::LeftButton) {
        if (const auto id = seriesAt(event->position().toPoint())) {
            setCursor(Qt::PointingHandCursor);
            emit seriesClicked(*id);
        }
    }
    QWidget::mousePressEvent(event);
}

void CChartWindow::placeCheckBoxes()
{
    int right = width() - kBoxInset;
    for (QCheckBox* box : m_boxes) {
        const QSize size = box->sizeHint();
        box->setGeometry(right - size.width(), kBoxInset, size.width(), size.height());
        right -= size.width() + kBoxGap;
    }
}

} // namespace talvodesk
