#include "PictureSlot.h"

#include "StreamForms.h"

#include "platform/com/ClassTable.h"
#include "platform/com/Persist.h"

namespace talvodata {

using platform::com::ComPtr;

namespace {

bool canSaveItself(IDispatch* object)
{
    ComPtr<IDispatch> held(object);
    return held.queryInterface<IPersistStream>() || held.queryInterface<IPersistStreamInit>();
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
    return m_picture.copyTo(picture);
}

void PictureSlot::set(IDispatch* picture)
{
    m_picture = ComPtr<IDispatch>(picture);
}

HRESULT PictureSlot::save(IStream* stream) const
{
    const bool follows = m_picture && canSaveItself(m_picture.get());
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
    ComPtr<IDispatch> picture;
    RETURN_IF_FAILED(CoCreateInstance(classId, nullptr, CLSCTX_ALL, IDispatch::kIid, picture.putVoid()));
    // readObject takes the identifier again.
    RETURN_IF_FAILED(stream->Seek(-static_cast<LONGLONG>(sizeof(GUID)), STREAM_SEEK_CUR, nullptr));
    RETURN_IF_FAILED(readObject(stream, picture.get()));
    m_picture = std::move(picture);
    return S_OK;
}

} // namespace talvodata
