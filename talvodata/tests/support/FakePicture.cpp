#include "talvodata/tests/support/FakePicture.h"

#include "platform/com/ClassTable.h"
#include "platform/com/StreamForms.h"

namespace talvodata::testsupport {

using platform::com::readInt32;
using platform::com::writeInt32;

void FakePicture::registerClass()
{
    platform::com::ClassTable::instance().registerClass(
        {kClassId, "TalvoTest.FakePicture.1", "TalvoTest.FakePicture", platform::com::creatorOf<FakePicture>()});
}

HRESULT FakePicture::GetClassID(CLSID* classId)
{
    if (!classId) {
        return E_POINTER;
    }
    *classId = kClassId;
    return S_OK;
}

HRESULT FakePicture::Load(IStream* stream)
{
    return readInt32(stream, tag);
}

HRESULT FakePicture::Save(IStream* stream, BOOL /*clearDirty*/)
{
    return writeInt32(stream, tag);
}

} // namespace talvodata::testsupport
