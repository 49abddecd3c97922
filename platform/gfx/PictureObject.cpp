#include "platform/gfx/PictureObject.h"

#include "platform/com/StreamForms.h"
#include "platform/gfx/DrawContext.h"
#include "platform/gfx/PictureCodec.h"

#include <string>

namespace platform::gfx {

using com::bytesLeft;
using com::ComPtr;
using com::readBytes;
using com::readUInt32;
using com::writeBytes;
using com::writeUInt32;

constexpr std::int32_t kRecordVersion = 1;

PictureObject::PictureObject(Picture picture) : m_picture(std::move(picture)) {}

ComPtr<PictureObject> PictureObject::create()
{
    return create(Picture{});
}

ComPtr<PictureObject> PictureObject::create(Picture picture)
{
    return ComPtr<PictureObject>(new PictureObject(std::move(picture)));
}

Picture PictureObject::picture() const
{
    auto guard = lock();
    return m_picture;
}

HRESULT PictureObject::get_Type(SHORT* type)
{
    auto guard = lock();
    if (!type) {
        return E_POINTER;
    }
    *type = m_picture.isBitmap() ? PICTYPE_BITMAP : m_picture.isEmpty() ? PICTYPE_NONE : PICTYPE_ENHMETAFILE;
    return S_OK;
}

HRESULT PictureObject::get_Width(OLE_XSIZE_HIMETRIC* width)
{
    auto guard = lock();
    if (!width) {
        return E_POINTER;
    }
    *width = m_picture.width();
    return S_OK;
}

HRESULT PictureObject::get_Height(OLE_YSIZE_HIMETRIC* height)
{
    auto guard = lock();
    if (!height) {
        return E_POINTER;
    }
    *height = m_picture.height();
    return S_OK;
}

HRESULT PictureObject::Render(DrawContext* context, LONG x, LONG y, LONG cx, LONG cy)
{
    if (!context) {
        return E_POINTER;
    }
    // Played from a copy without the lock: the context may call back into pictures.
    const Picture picture = this->picture();
    context->drawPicture(picture, Rect{x, y, x + cx, y + cy});
    return S_OK;
}

HRESULT PictureObject::GetClassID(CLSID* classId)
{
    if (!classId) {
        return E_POINTER;
    }
    *classId = kClassId;
    return S_OK;
}

HRESULT PictureObject::Load(IStream* stream)
{
    auto guard = lock();
    if (!stream) {
        return E_POINTER;
    }
    std::uint32_t version = 0;
    RETURN_IF_FAILED(readUInt32(stream, version));
    if (static_cast<std::int32_t>(version) != kRecordVersion) {
        return reportFailure({E_FAIL, "picture record version " + std::to_string(static_cast<std::int32_t>(version)) +
                                          " is not " + std::to_string(kRecordVersion)});
    }
    std::uint32_t size = 0;
    RETURN_IF_FAILED(readUInt32(stream, size));
    std::uint64_t left = 0;
    RETURN_IF_FAILED(bytesLeft(stream, left));
    if (size > left) {
        return reportFailure({E_FAIL, "picture of " + std::to_string(size) + " bytes in a stream with " +
                                          std::to_string(left) + " left"});
    }
    std::vector<std::uint8_t> bytes(size);
    RETURN_IF_FAILED(readBytes(stream, bytes.data(), bytes.size()));
    Result<Picture> decoded = decodePicture(bytes);
    if (!decoded) {
        return toHresult(decoded);
    }
    m_picture = std::move(decoded).value();
    m_encoded = std::move(bytes);
    return S_OK;
}

HRESULT PictureObject::Save(IStream* stream, BOOL /*clearDirty*/)
{
    auto guard = lock();
    if (!stream) {
        return E_POINTER;
    }
    const std::vector<std::uint8_t>* bytes = nullptr;
    RETURN_IF_FAILED(encoded(&bytes));
    RETURN_IF_FAILED(writeUInt32(stream, static_cast<std::uint32_t>(kRecordVersion)));
    RETURN_IF_FAILED(writeUInt32(stream, static_cast<std::uint32_t>(bytes->size())));
    return writeBytes(stream, bytes->data(), bytes->size());
}

HRESULT PictureObject::GetSizeMax(ULONGLONG* size)
{
    auto guard = lock();
    if (!size) {
        return E_POINTER;
    }
    *size = 0;
    const std::vector<std::uint8_t>* bytes = nullptr;
    RETURN_IF_FAILED(encoded(&bytes));
    *size = 8 + bytes->size();
    return S_OK;
}

HRESULT PictureObject::encoded(const std::vector<std::uint8_t>** bytes)
{
    if (!m_encoded) {
        Result<std::vector<std::uint8_t>> result = encodePicture(m_picture);
        if (!result) {
            return toHresult(result);
        }
        m_encoded = std::move(result).value();
    }
    *bytes = &*m_encoded;
    return S_OK;
}

} // namespace platform::gfx
