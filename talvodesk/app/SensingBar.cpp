#include "talvodesk/app/SensingBar.h"

#include "talvodesk/core/frame/SmallWindows.h"

#include <QPainter>

#include <algorithm>

namespace talvodesk {

void SensingBar::setPosition(int position)
{
    m_position = std::clamp(position, 0, kSensingRange);
    update();
}

void SensingBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    for (const SensingBand& band : SensingBarBands(height(), m_position)) {
        // COLORREF is 0x00BBGGRR.
        const QColor color(static_cast<int>(band.color & 0xFF), static_cast<int>((band.color >> 8) & 0xFF),
                           static_cast<int>((band.color >> 16) & 0xFF));
        painter.fillRect(QRect(0, band.top, width(), band.bottom - band.top), color);
    }
}

} // namespace talvodesk
