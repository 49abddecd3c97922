#include "platform/gfx/BitmapQt.h"

#include "platform/gfx/Color.h"

#include <algorithm>

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
    const auto width = static_cast<std::size_t>(converted.width());
    Bitmap bitmap{converted.width(), converted.height(),
                  std::vector<COLORREF>(width * static_cast<std::size_t>(converted.height()))};
    COLORREF* out = bitmap.pixels.data();
    for (int y = 0; y < converted.height(); ++y, out += width) {
        // 0xffRRGGBB to 0x00BBGGRR: red and blue trade places and alpha goes. A plain loop the compiler vectorises.
        const auto* line = reinterpret_cast<const QRgb*>(converted.constScanLine(y));
        std::transform(line, line + width, out, [](QRgb pixel) {
            return ((pixel & 0xFFu) << 16) | (pixel & 0xFF00u) | ((pixel >> 16) & 0xFFu);
        });
    }
    return bitmap;
}

} // namespace platform::gfx
