#pragma once

#include "platform/gfx/Geometry.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QPolygonF>

#include <vector>

namespace platform::gfx::testing {

/// The straightforward wide line: every point, repeats and all, centred on the pixel centres, given to Qt's stroker
/// with round caps and joins and filled over what `image` holds.
inline void strokeByQt(QImage& image, const std::vector<Point>& points, LONG width, QColor color)
{
    QPolygonF polygon;
    for (const Point& point : points) {
        polygon.append(QPointF(point.x + 0.5, point.y + 0.5));
    }
    QPainterPath line;
    line.addPolygon(polygon);
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    QPainter painter(&image);
    painter.fillPath(stroker.createStroke(line), color);
}

/// The same on white.
inline QImage strokedByQt(const std::vector<Point>& points, LONG width, int side, QColor color)
{
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(Qt::white);
    strokeByQt(image, points, width, color);
    return image;
}

} // namespace platform::gfx::testing
