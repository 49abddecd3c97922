#pragma once

#include "platform/gfx/Bitmap.h"

#include <QImage>

namespace platform::gfx {

/// An opaque 32-bit image of a bitmap; a null image for an invalid bitmap.
QImage toQImage(const Bitmap& bitmap);
/// The pixels of an image, alpha dropped.
Bitmap toBitmap(const QImage& image);

} // namespace platform::gfx
