#pragma once

#include "interfaces/talvoboard/ITarget.h"
#include "platform/com/ComPtr.h"
#include "platform/gfx/Color.h"
#include "platform/gfx/DrawContextQt.h"
#include "platform/gfx/IPicture.h"

#include <QImage>
#include <QRect>

#include <gtest/gtest.h>

namespace talvoboard::testsupport {

/// A new control is this many pixels square.
constexpr int kNewControlSide = 192;

inline COLORREF colorAt(const QImage& image, int x, int y)
{
    const QRgb pixel = image.pixel(x, y);
    return platform::gfx::rgb(static_cast<BYTE>(qRed(pixel)), static_cast<BYTE>(qGreen(pixel)),
                              static_cast<BYTE>(qBlue(pixel)));
}

inline int countOf(const QImage& image, COLORREF color, const QRect& area)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            count += colorAt(image, x, y) == color ? 1 : 0;
        }
    }
    return count;
}

/// The control's drawing, through the picture GetImage hands out, on black.
inline QImage imageOf(ITarget* target, VARIANT_BOOL metafile = VARIANT_FALSE)
{
    platform::com::ComPtr<IDispatch> image;
    EXPECT_EQ(S_OK, target->GetImage(metafile, image.put()));
    QImage result(kNewControlSide, kNewControlSide, QImage::Format_RGB32);
    result.fill(Qt::black);
    if (const auto picture = image.queryInterface<IPicture>()) {
        platform::gfx::DrawContextQt context(result);
        EXPECT_EQ(S_OK, picture->Render(&context, 0, 0, kNewControlSide, kNewControlSide));
    }
    return result;
}

} // namespace talvoboard::testsupport
