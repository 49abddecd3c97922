#include "talvodesk/app/WindowHelpers.h"

#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

namespace talvodesk {

void ApplyRTLLayout(QWidget* widget, bool rightToLeft, bool redraw)
{
    widget->setLayoutDirection(rightToLeft ? Qt::RightToLeft : Qt::LeftToRight);
    if (redraw) {
        widget->update();
    }
}

bool GetWindowRectInParent(const QWidget* widget, QRect* rect)
{
    if (!widget || !rect || !widget->parentWidget()) {
        return false;
    }
    *rect = widget->geometry();
    return true;
}

HRESULT SetHostExternalDispatch(QWidget* host, IDispatch* dispatch)
{
    auto* pageHost = dynamic_cast<ExternalDispatchHost*>(host);
    return pageHost ? pageHost->SetExternalDispatch(dispatch) : E_NOINTERFACE;
}

bool IsBrowserInstalled()
{
    return true;
}

void UseDesktopIconTheme()
{
    const QString hicolor = QStringLiteral("hicolor");
    if (QIcon::fallbackThemeName().isEmpty() || QIcon::fallbackThemeName() == hicolor) {
        QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
    }
}

std::pair<QString, QStringList> programAndArguments(const std::vector<std::string>& line)
{
    QStringList arguments;
    for (auto it = line.begin() + 1; it != line.end(); ++it) {
        arguments << QString::fromStdString(*it);
    }
    return {QString::fromStdString(line.front()), arguments};
}

QIcon ProgramWindowIcon()
{
    // The face of data/icons/talvodesk.svg on its 64-unit grid.
    const QColor paper(0xF6, 0xF3, 0xEA);
    const QColor ink(0x20, 0x20, 0x20);
    QIcon icon;
    for (const int size : {16, 32, 48, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(size / 64.0, size / 64.0);
        const auto ring = [&painter](double radius, const QColor& fill, const QColor& line, double width) {
            painter.setBrush(fill.isValid() ? QBrush(fill) : QBrush(Qt::NoBrush));
            painter.setPen(line.isValid() ? QPen(line, width) : QPen(Qt::NoPen));
            painter.drawEllipse(QPointF(32, 32), radius, radius);
        };
        ring(30.5, paper, ink, 1.5);
        ring(25, QColor(), ink, 1.2);
        ring(19.5, QColor(0x1B, 0x1B, 0x1B), QColor(), 0);
        ring(14, QColor(), paper, 1.2);
        ring(8.5, QColor(), paper, 1.2);
        ring(3, paper, QColor(), 0);
        painter.setBrush(QColor(0xD8, 0x34, 0x2A));
        painter.setPen(QPen(paper, 0.7));
        painter.drawEllipse(QPointF(37.5, 27), 2.6, 2.6);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace talvodesk
