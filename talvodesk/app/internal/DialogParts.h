#pragma once

#include "platform/com/Types.h"

#include <QColor>

class QDialog;
class QDialogButtonBox;

namespace talvodesk {

/// "OK" (identifier 1, the default button) and "Cancel" (2), accepting and rejecting the dialog.
QDialogButtonBox* makeOkCancel(QDialog& dialog);

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
