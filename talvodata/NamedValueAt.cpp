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
    // FIXME: NamedValues has no positional access yet; find the key through its stream form, then take the stored
    // value itself (an object stays the same object).
    auto stream = platform::com::makeComObject<MemoryStream>();
    RETURN_IF_FAILED(values.save(stream.get()));
    RETURN_IF_FAILED(stream->Seek(0, STREAM_SEEK_SET, nullptr));
    std::int32_t count = 0;
    RETURN_IF_FAILED(readInt32(stream.get(), count));
    Bstr readKey;
    Variant skipped;
    for (LONG i = 0;; ++i) {
        RETURN_IF_FAILED(readBstr(stream.get(), readKey));
        if (i == index) {
            break;
        }
        RETURN_IF_FAILED(readVariant(stream.get(), skipped));
    }
    RETURN_IF_FAILED(values.get(readKey.get(), value));
    *key = readKey.detach();
    return S_OK;
}

} // namespace talvodata
