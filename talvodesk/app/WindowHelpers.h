#pragma once

#include "platform/com/HResult.h"
#include "platform/com/Types.h"

#include <QIcon>
#include <QRect>
#include <QString>
#include <QStringList>

#include <string>
#include <utility>
#include <vector>

class QWidget;
struct IDispatch;

namespace talvodesk {

/// Lays the widget out right to left or left to right, and repaints it when asked.
void ApplyRTLLayout(QWidget* widget, bool rightToLeft, bool redraw);

/// The widget's rectangle in its parent's coordinates; false for a widget without a parent.
bool GetWindowRectInParent(const QWidget* widget, QRect* rect);

/// A widget that hosts a page, and gives the page an outside object to call.
class ExternalDispatchHost {
public:
    virtual HRESULT SetExternalDispatch(IDispatch* dispatch) = 0;

protected:
    ~ExternalDispatchHost() = default;
};

/// Hands the object to the page hosted by the widget: E_NOINTERFACE when the widget hosts no page, else the
/// host's answer.
HRESULT SetHostExternalDispatch(QWidget* host, IDispatch* dispatch);

/// Whether the component that shows the program's pages is present. The pages are drawn by the program's own
/// widgets, so it always is.
bool IsBrowserInstalled();

/// Icons by their freedesktop names come from the desktop's icon theme; a session that names no theme (a bare
/// window manager) looks them up in the common default theme before buttons fall back to their texts.
void UseDesktopIconTheme();

/// A command line split into the program and its arguments, each passed on as it is (no shell).
std::pair<QString, QStringList> programAndArguments(const std::vector<std::string>& line);

/// The program's window icon, the target face of its desktop icon painted at the usual icon sizes (no SVG reader
/// needed).
QIcon ProgramWindowIcon();

} // namespace talvodesk
