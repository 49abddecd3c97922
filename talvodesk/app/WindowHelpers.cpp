#include "talvodesk/app/WindowHelpers.h"

#include <QIcon>
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

} // namespace talvodesk
