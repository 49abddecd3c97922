#pragma once

#include "platform/com/ComPtr.h"
#include "platform/com/Dispatch.h"
#include "platform/com/Stream.h"
#include "platform/gfx/IPicture.h"

namespace talvodata {

/// The optional picture of a target face or element, and its stream form: a flag byte, then the picture as a
/// nested object when the flag is 1. Thread rule: guarded by its owner's lock.
class PictureSlot {
public:
    /// The picture's IPictureDisp; E_FAIL when no picture is held.
    HRESULT get(IDispatch** picture) const;
    /// Keeps the object's IPicture; an object without one, or null, leaves the slot empty.
    void set(IDispatch* picture);
    const platform::com::ComPtr<IPicture>& picture() const { return m_picture; }

    /// Writes the flag 1 and the picture only when one is held and can save itself to a stream.
    HRESULT save(IStream* stream) const;
    /// Our own pictures are made directly, others from the class table by their stored class identifier; an
    /// unknown class or an object without IPicture fails.
    HRESULT load(IStream* stream);

private:
    platform::com::ComPtr<IPicture> m_picture;
};

} // namespace talvodata
