#include "platform/gfx/BitmapQt.h"

#include "platform/gfx/Color.h"

namespace platform::gfx {

QImage toQImage(const Bitmap& bitmap)
{
    if (!bitmap.isValid()) {
        return {};
    }
    QImage image(bitmap.width, bitmap.height, QImage::Format_RGB32);
    auto pixel = bitmap.pixels.begin();
    for (int y = 0; y < bitmap.height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < bitmap.width; ++x, ++pixel) {
            const COLORREF color = resolveColor(*pixel);
            line[x] = qRgb(redOf(color), greenOf(color), blueOf(color));
        }
    }
    return image;
}

Bitmap toBitmap(const QImage& image)
{
    const QImage converted = image.convertToFormat(QImage::Format_RGB32);
    Bitmap bitmap{converted.width(), converted.height(), {}};
    bitmap.pixels.reserve(static_cast<std::size_t>(converted.width()) * static_cast<std::size_t>(converted.height()));
    for (int y = 0; y < converted.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(converted.constScanLine(y));
        for (int x = 0; x < converted.width(); ++x) {
            bitmap.pixels.push_back(rgb(static_cast<BYTE>(qRed(line[x])), static_cast<BYTE>(qGreen(line[x])),
                                        static_cast<BYTE>(qBlue(line[x]))));
        }
    }
    return bitmap;
}

} // namespace platform::gfx
