#pragma once

#include "platform/com/ComObject.h"
#include "platform/com/Persist.h"
#include "platform/gfx/IPicture.h"
#include "platform/gfx/Picture.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace platform::gfx {

/// The COM picture object over a Picture: IPicture for size and drawing, IPictureDisp for hosts, and
/// IPersistStream for the stored form (int32 version 1, uint32 byte count, the bytes of PictureCodec.h).
/// Thread rule: any thread; every method holds the object's lock.
class PictureObject final : public com::ComObject<IPictureDisp, IPicture, IPersistStream> {
public:
    static constexpr CLSID kClassId = com::makeGuid("023ECE6B-42F4-4AD3-BB27-D61D3BA406DB");

    /// An empty picture, for loading.
    static com::ComPtr<PictureObject> create();
    static com::ComPtr<PictureObject> create(Picture picture);

    /// A copy sharing the recorded operations.
    Picture picture() const;

    HRESULT get_Type(SHORT* type) override;
    HRESULT get_Width(OLE_XSIZE_HIMETRIC* width) override;
    HRESULT get_Height(OLE_YSIZE_HIMETRIC* height) override;
    HRESULT Render(DrawContext* context, LONG x, LONG y, LONG cx, LONG cy) override;

    HRESULT GetClassID(CLSID* classId) override;
    /// S_FALSE: a picture never changes once made, only Load replaces it.
    HRESULT IsDirty() override { return S_FALSE; }
    /// E_FAIL for a newer version, a short or malformed record; the picture held before stays.
    HRESULT Load(IStream* stream) override;
    /// E_FAIL when the picture has no stored form (see encodePicture).
    HRESULT Save(IStream* stream, BOOL clearDirty) override;
    HRESULT GetSizeMax(ULONGLONG* size) override;

private:
    explicit PictureObject(Picture picture);
    ~PictureObject() override = default;

    /// The stored bytes, made once: the picture is immutable and faces compare them often.
    HRESULT encoded(const std::vector<std::uint8_t>** bytes);

    Picture m_picture;
    std::optional<std::vector<std::uint8_t>> m_encoded;
};

} // namespace platform::gfx
