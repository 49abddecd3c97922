#pragma once

#include "platform/com/ComPtr.h"
#include "platform/com/Dispatch.h"
#include "platform/com/Stream.h"

namespace talvodata {

/// The optional picture of a target face or element, and its stream form: a flag byte, then the picture as a
/// nested object when the flag is 1. Thread rule: guarded by its owner's lock.
class PictureSlot {
public:
    /// E_FAIL when no picture is held.
    HRESULT get(IDispatch** picture) const;
    /// FIXME: keep only the object's IPicture once platform/gfx offers IPicture; any object is held for now.
    void set(IDispatch* picture);
    bool has() const { return static_cast<bool>(m_picture); }

    /// Writes the flag 1 and the picture only when one is held and can save itself to a stream.
    HRESULT save(IStream* stream) const;
    /// The picture is made from its stored class identifier; an unknown class fails.
    HRESULT load(IStream* stream);

private:
    platform::com::ComPtr<IDispatch> m_picture;
};

} // namespace talvodata
