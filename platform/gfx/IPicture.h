#pragma once

#include "platform/com/Dispatch.h"
#include "platform/com/Types.h"
#include "platform/com/Unknown.h"

namespace platform::gfx {
class DrawContext;
}

using OLE_XSIZE_HIMETRIC = LONG;
using OLE_YSIZE_HIMETRIC = LONG;

inline constexpr SHORT PICTYPE_NONE = 0;
inline constexpr SHORT PICTYPE_BITMAP = 1;
inline constexpr SHORT PICTYPE_ENHMETAFILE = 4;

/// A picture that can be measured and drawn: a recorded display list (our enhanced metafile) or a bitmap.
struct IPicture : IUnknown {
    using Base = IUnknown;
    static constexpr IID kIid = platform::com::makeGuid("7BF80980-BF32-101A-8BBB-00AA00300CAB");

    /// PICTYPE_NONE for an empty picture, PICTYPE_ENHMETAFILE for a recording, PICTYPE_BITMAP for pixels.
    virtual HRESULT get_Type(SHORT* type) = 0;
    /// Size in HIMETRIC (0.01 mm).
    virtual HRESULT get_Width(OLE_XSIZE_HIMETRIC* width) = 0;
    virtual HRESULT get_Height(OLE_YSIZE_HIMETRIC* height) = 0;
    /// Plays the whole picture upright into the box (x, y, cx, cy) of context, in its logical units; E_POINTER for
    /// a null context.
    virtual HRESULT Render(platform::gfx::DrawContext* context, LONG x, LONG y, LONG cx, LONG cy) = 0;

protected:
    ~IPicture() = default;
};

/// The dispatch face of a picture, as hosts and scripts receive it.
struct IPictureDisp : IDispatch {
    using Base = IDispatch;
    static constexpr IID kIid = platform::com::makeGuid("7BF80981-BF32-101A-8BBB-00AA00300CAB");

protected:
    ~IPictureDisp() = default;
};
