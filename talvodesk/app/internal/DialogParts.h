#pragma once

#include "talvodesk/core/options/TalvoOptionsTree.h"

#include "platform/com/Types.h"

#include <QColor>
#include <QSize>

#include <string_view>

class QDialog;
class QDialogButtonBox;
class QWidget;

namespace platform::registry {
class Key;
}

namespace talvodesk {

/// "OK" (identifier 1, the default button) and "Cancel" (2) in the language of `texts`, accepting and rejecting the
/// dialog.
QDialogButtonBox* makeOkCancel(QDialog& dialog, const TextLookup& texts);

/// Centres the window on its owner; a window without one stays where it is.
void CentreOnOwner(QWidget& window);
/// A size given in dialog units: a quarter of the font's average character width, an eighth of its line height.
QSize DialogUnitsSize(const QWidget& window, int width, int height);
/// A dialog's least size: its template's size in dialog units, grown to what its layout needs, so no control is
/// squeezed below its text.
QSize TemplateMinimumSize(const QWidget& dialog, int width, int height);

/// Shows the wait cursor while it lives.
class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

/// Moves and sizes the window to the rectangle stored under `name`; false, leaving it where it is, without one.
bool RestoreWindowRect(QWidget& window, const platform::registry::Key* root, std::u16string_view name);
/// Stores the window's normal-position rectangle under `name`; a failed write only loses the place for next time.
void StoreWindowRect(const QWidget& window, const platform::registry::Key* root, std::u16string_view name);

inline QColor toQColor(COLORREF colour)
{
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

inline COLORREF toColorref(const QColor& colour)
{
    return static_cast<COLORREF>(colour.red()) | static_cast<COLORREF>(colour.green()) << 8 |
           static_cast<COLORREF>(colour.blue()) << 16;
}

} // namespace talvodesk
