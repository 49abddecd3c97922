#pragma once

#include "platform/gfx/DrawStyle.h"

#include <QFont>
#include <QString>

#include <string_view>

namespace platform::gfx {

/// The installed family that stands in for a Windows face: Liberation Sans for Arial and the dialog faces,
/// Liberation Serif for Times New Roman, Liberation Mono for Courier New. An installed family not in the table is
/// kept; anything else becomes Liberation Sans.
QString familyForFace(std::u16string_view faceName);

/// The Qt font for a logical font, its pixel size following the sign rule of Font::height, without antialiasing
/// or kerning so it draws and measures the same everywhere.
QFont toQFont(const Font& font);

} // namespace platform::gfx
