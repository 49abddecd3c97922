#include "platform/gfx/PictureObject.h"

#include "platform/com/MemoryStream.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Color.h"
#include "platform/gfx/DrawContextQt.h"
#include "platform/gfx/Himetric.h"
#include "platform/gfx/PictureRecorder.h"
#include "platform/gfx/TextFormat.h"
#include "platform/testing/Matchers.h"

#include <gtest/gtest.h>

#include <QImage>

namespace platform::gfx {
namespace {

using com::ComPtr;
using com::MemoryStream;

Picture targetLikePicture()
{
    PictureRecorder recorder;
    recorder.fillRect({0, 0, 100, 100}, 0xC0C0C0);
    recorder.beginPath();
    recorder.ellipse({5, 5, 95, 95});
    recorder.endPath();
    recorder.selectClipPath(ClipCombine::Replace);
    recorder.setPen({PenStyle::Null, 0, 0});
    recorder.setBrush({BrushStyle::Solid, 0x000000});
    recorder.ellipse({20, 20, 80, 80});
    recorder.setPen({PenStyle::InsideFrame, 2, 0xFFFFFF});
    recorder.setBrush({BrushStyle::Hollow, 0});
    recorder.ellipse({35, 35, 65, 65});
    recorder.setFont({u"Times", -12, FW_NORMAL, false, 0});
    recorder.setBackgroundMode(BackgroundMode::Transparent);
    recorder.setTextColor(0x0000FF);
    Rect box{0, 0, 100, 20};
    (void)recorder.drawText(u"7", box, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP);
    return recorder.finish(himetricFromPixels({0, 0, 100, 100}, {}));
}

QImage rendered(IPicture& picture)
{
    QImage image(240, 160, QImage::Format_RGB32);
    image.fill(Qt::white);
    DrawContextQt context(image);
    EXPECT_HR(S_OK, picture.Render(&context, 10, 5, 200, 150));
    return image;
}

std::vector<std::uint8_t> saved(IPersistStream& object)
{
    auto stream = com::makeComObject<MemoryStream>();
    EXPECT_HR(S_OK, object.Save(stream.get(), TRUE));
    return stream->bytes();
}

HRESULT loadInto(IPersistStream& object, const std::vector<std::uint8_t>& bytes)
{
    auto stream = com::makeComObject<MemoryStream>(bytes);
    return object.Load(stream.get());
}

TEST(PictureObjectTest, SavedAndLoadedPicturePlaysIdentically)
{
    auto original = PictureObject::create(targetLikePicture());
    auto copy = PictureObject::create();
    ASSERT_HR(S_OK, loadInto(*copy, saved(*original)));

    EXPECT_EQ(rendered(*original), rendered(*copy));
    OLE_XSIZE_HIMETRIC width = 0;
    OLE_YSIZE_HIMETRIC height = 0;
    ASSERT_HR(S_OK, copy->get_Width(&width));
    ASSERT_HR(S_OK, copy->get_Height(&height));
    EXPECT_EQ(2646, width); // 100 pixels at 96 dpi.
    EXPECT_EQ(2646, height);
    SHORT type = 0;
    ASSERT_HR(S_OK, copy->get_Type(&type));
    EXPECT_EQ(PICTYPE_ENHMETAFILE, type);
    EXPECT_EQ(saved(*original), saved(*copy));
}

TEST(PictureObjectTest, StoredFormIsVersionedAndSized)
{
    auto empty = PictureObject::create();
    // Version 1, one byte of picture: the empty kind.
    EXPECT_EQ((std::vector<std::uint8_t>{1, 0, 0, 0, 1, 0, 0, 0, 0}), saved(*empty));
    ULONGLONG size = 0;
    ASSERT_HR(S_OK, empty->GetSizeMax(&size));
    EXPECT_EQ(9U, size);
    SHORT type = -1;
    ASSERT_HR(S_OK, empty->get_Type(&type));
    EXPECT_EQ(PICTYPE_NONE, type);
}

TEST(PictureObjectTest, DamagedRecordsFailAndKeepThePicture)
{
    auto original = PictureObject::create(targetLikePicture());
    const auto good = saved(*original);
    auto truncated = good;
    truncated.resize(good.size() - 1);
    auto newer = good;
    newer[0] = 2;
    auto sizeBeyondStream = good;
    sizeBeyondStream[7] = 0x7F;
    auto damagedBody = good;
    damagedBody[8] = 9; // No such picture kind.
    const std::pair<const char*, std::vector<std::uint8_t>> cases[] = {
        {"truncated", truncated},         {"newer version", newer}, {"size beyond the stream", sizeBeyondStream},
        {"damaged picture", damagedBody}, {"no bytes", {}},
    };
    for (const auto& [what, bytes] : cases) {
        SCOPED_TRACE(what);
        auto target = PictureObject::create(targetLikePicture());
        EXPECT_HR(E_FAIL, loadInto(*target, bytes));
        EXPECT_EQ(good, saved(*target));
    }
}

TEST(PictureObjectTest, BitmapPictureAnswersItsTypeAndNullArgumentsFail)
{
    Bitmap pixels;
    pixels.width = 1;
    pixels.height = 1;
    pixels.pixels.push_back(0x0000FF);
    auto bitmap = PictureObject::create(Picture::fromBitmap(pixels));
    SHORT type = 0;
    ASSERT_HR(S_OK, bitmap->get_Type(&type));
    EXPECT_EQ(PICTYPE_BITMAP, type);
    const QImage image = rendered(*bitmap);
    EXPECT_EQ(qRgb(255, 0, 0), image.pixel(100, 100));
    EXPECT_EQ(qRgb(255, 255, 255), image.pixel(5, 100));

    EXPECT_HR(E_POINTER, bitmap->Render(nullptr, 0, 0, 1, 1));
    EXPECT_HR(E_POINTER, bitmap->get_Width(nullptr));
    EXPECT_HR(E_POINTER, bitmap->get_Type(nullptr));
    EXPECT_HR(E_POINTER, bitmap->Load(nullptr));
    const ComPtr<IPictureDisp> disp = bitmap.queryInterface<IPictureDisp>();
    EXPECT_TRUE(disp);
}

} // namespace
} // namespace platform::gfx
