// CTarget's persistence: the property map in its stream and property-bag forms.
#include "talvoboard/Target.h"

#include "talvoboard/internal/PropertyMap.h"

#include "interfaces/talvoboard/Guids.h"
#include "platform/com/MemoryStream.h"

namespace talvoboard {

using platform::com::ComPtr;
using platform::gfx::Size;

HRESULT CTarget::GetClassID(CLSID* classId)
{
    if (!classId) {
        return E_POINTER;
    }
    *classId = CLSID_Target;
    return S_OK;
}

HRESULT CTarget::persistedForm(std::vector<std::uint8_t>& bytes)
{
    auto stream = platform::com::makeComObject<platform::com::MemoryStream>();
    RETURN_IF_FAILED(savePropertyMap(*this, extent(), stream.get()));
    bytes = stream->bytes();
    return S_OK;
}

void CTarget::rememberPersisted()
{
    std::vector<std::uint8_t> bytes;
    if (SUCCEEDED(persistedForm(bytes))) {
        m_persisted = std::move(bytes);
    }
}

HRESULT CTarget::IsDirty()
{
    auto guard = lock();
    std::vector<std::uint8_t> bytes;
    RETURN_IF_FAILED(persistedForm(bytes));
    return bytes == m_persisted ? S_FALSE : S_OK;
}

HRESULT CTarget::InitNew()
{
    auto guard = lock();
    rememberPersisted();
    return S_OK;
}

HRESULT CTarget::Save(IStream* stream, BOOL clearDirty)
{
    auto guard = lock();
    RETURN_IF_FAILED(savePropertyMap(*this, extent(), stream));
    if (clearDirty) {
        rememberPersisted();
    }
    return S_OK;
}

HRESULT CTarget::Load(IStream* stream)
{
    auto guard = lock();
    Size loaded = extent();
    const HRESULT hr = loadPropertyMap(*this, loaded, stream);
    setExtent(loaded);
    if (SUCCEEDED(hr)) {
        rememberPersisted();
    }
    return hr;
}

HRESULT CTarget::GetSizeMax(ULONGLONG* size)
{
    if (!size) {
        return E_POINTER;
    }
    auto guard = lock();
    std::vector<std::uint8_t> bytes;
    RETURN_IF_FAILED(persistedForm(bytes));
    *size = bytes.size();
    return S_OK;
}

HRESULT CTarget::Save(IPropertyBag* bag, BOOL clearDirty, BOOL /*saveAllProperties*/)
{
    auto guard = lock();
    RETURN_IF_FAILED(savePropertyBag(*this, extent(), bag));
    if (clearDirty) {
        rememberPersisted();
    }
    return S_OK;
}

HRESULT CTarget::Load(IPropertyBag* bag, IErrorLog* /*errorLog*/)
{
    auto guard = lock();
    Size loaded = extent();
    const HRESULT hr = loadPropertyBag(*this, loaded, bag);
    setExtent(loaded);
    if (SUCCEEDED(hr)) {
        rememberPersisted();
    }
    return hr;
}

} // namespace talvoboard
