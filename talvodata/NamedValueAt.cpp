#include "NamedValueAt.h"

#include "StreamForms.h"

#include "platform/com/MemoryStream.h"

namespace talvodata {

using platform::com::Bstr;
using platform::com::ComPtr;
using platform::com::MemoryStream;
using platform::com::Variant;

HRESULT namedValueAt(const NamedValues& values, LONG index, BSTR* key, VARIANT* value)
{
    if (!key || !value) {
        return E_POINTER;
    }
    *key = nullptr;
    VariantInit(value);
    if (index < 0 || static_cast<std::size_t>(index) >= values.size()) {
        return E_INVALIDARG;
    }
    // FIXME: NamedValues has no positional access yet; walk its own stream form instead.
    auto stream = platform::com::makeComObject<MemoryStream>();
    RETURN_IF_FAILED(values.save(stream.get()));
    RETURN_IF_FAILED(stream->Seek(0, STREAM_SEEK_SET, nullptr));
    std::int32_t count = 0;
    RETURN_IF_FAILED(readInt32(stream.get(), count));
    Bstr readKey;
    Variant readValue;
    for (LONG i = 0; i <= index; ++i) {
        RETURN_IF_FAILED(readBstr(stream.get(), readKey));
        RETURN_IF_FAILED(readVariant(stream.get(), readValue));
    }
    *key = readKey.detach();
    *value = readValue.detach();
    return S_OK;
}

} // namespace talvodata
