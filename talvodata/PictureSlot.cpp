#include "talvodata/PictureSlot.h"

#include "platform/com/ClassTable.h"
#include "platform/com/Persist.h"
#include "platform/com/StreamForms.h"
#include "platform/gfx/PictureObject.h"

namespace talvodata {

using platform::com::ComPtr;
using platform::com::readFlag;
using platform::com::readGuid;
using platform::com::readObject;
using platform::com::writeFlag;
using platform::com::writeObject;

namespace {

bool canSaveItself(const ComPtr<IPicture>& picture)
{
    return picture.queryInterface<IPersistStream>() || picture.queryInterface<IPersistStreamInit>();
}

HRESULT createPicture(const CLSID& classId, ComPtr<IPicture>& picture)
{
    if (classId == platform::gfx::PictureObject::kClassId) {
        picture = platform::gfx::PictureObject::create();
        return S_OK;
    }
    ComPtr<IUnknown> object;
    RETURN_IF_FAILED(CoCreateInstance(classId, nullptr, CLSCTX_ALL, IUnknown::kIid, object.putVoid()));
    picture = object.queryInterface<IPicture>();
    return picture ? S_OK : E_NOINTERFACE;
}

} // namespace

HRESULT PictureSlot::get(IDispatch** picture) const
{
    if (!picture) {
        return E_POINTER;
    }
    *picture = nullptr;
    if (!m_picture) {
        return E_FAIL;
    }
    ComPtr<IDispatch> disp = m_picture.queryInterface<IPictureDisp>();
    if (!disp) {
        return E_NOINTERFACE;
    }
    *picture = disp.detach();
    return S_OK;
}

void PictureSlot::set(IDispatch* picture)
{
    m_picture = picture ? ComPtr<IDispatch>(picture).queryInterface<IPicture>() : ComPtr<IPicture>();
}

HRESULT PictureSlot::save(IStream* stream) const
{
    const bool follows = m_picture && canSaveItself(m_picture);
    RETURN_IF_FAILED(writeFlag(stream, follows));
    return follows ? writeObject(stream, m_picture.get()) : S_OK;
}

HRESULT PictureSlot::load(IStream* stream)
{
    bool follows = false;
    RETURN_IF_FAILED(readFlag(stream, follows));
    if (!follows) {
        return S_OK;
    }
    CLSID classId{};
    RETURN_IF_FAILED(readGuid(stream, classId));
    ComPtr<IPicture> picture;
    RETURN_IF_FAILED(createPicture(classId, picture));
    // readObject takes the identifier again.
    RETURN_IF_FAILED(stream->Seek(-static_cast<LONGLONG>(sizeof(GUID)), STREAM_SEEK_CUR, nullptr));
    RETURN_IF_FAILED(readObject(stream, picture.get()));
    m_picture = std::move(picture);
    return S_OK;
}

} // namespace talvodata
