#include "platform/gfx/DrawContextQt.h"
#include "platform/gfx/PictureCodec.h"

#include <QGuiApplication>
#include <QImage>

#include <cstdint>
#include <cstdlib>
#include <span>

// Fuzz entry of the picture record: whatever decodes is played on the raster backend, at the size of a picture
// frame on a target, and encoded again.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace platform::gfx;
    static int argc = 1;
    static char name[] = "picture_record_fuzz";
    static char* argv[] = {name, nullptr};
    static const bool offscreen = setenv("QT_QPA_PLATFORM", "offscreen", /*overwrite=*/1) == 0;
    static QGuiApplication application(argc, argv); // Fonts and painting need one; fuzzing has no display.
    (void)offscreen;
    auto picture = decodePicture(std::span<const std::uint8_t>(data, size));
    if (!picture) {
        return 0;
    }
    QImage image(64, 64, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    {
        DrawContextQt context(image);
        context.drawPicture(picture.value(), {-8, -8, 72, 72});
    }
    (void)encodePicture(picture.value());
    return 0;
}
