#include "platform/com/StreamForms.h"

#include "platform/com/ClassTable.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Dispatch.h"
#include "platform/com/Persist.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace platform::com {

static_assert(std::endian::native == std::endian::little, "the record forms are little-endian");

HRESULT writeBytes(IStream* stream, const void* data, std::size_t size)
{
    if (size > std::numeric_limits<ULONG>::max()) {
        return E_FAIL;
    }
    ULONG written = 0;
    const HRESULT hr = stream->Write(data, static_cast<ULONG>(size), &written);
    return SUCCEEDED(hr) && written == size ? S_OK : E_FAIL;
}

HRESULT readBytes(IStream* stream, void* data, std::size_t size)
{
    if (size > std::numeric_limits<ULONG>::max()) {
        return E_FAIL;
    }
    ULONG read = 0;
    const HRESULT hr = stream->Read(data, static_cast<ULONG>(size), &read);
    return SUCCEEDED(hr) && read == size ? S_OK : E_FAIL;
}

namespace {

template <typename T> HRESULT writeValue(IStream* stream, T value)
{
    return writeBytes(stream, &value, sizeof value);
}

template <typename T> HRESULT readValue(IStream* stream, T& value)
{
    T read{};
    RETURN_IF_FAILED(readBytes(stream, &read, sizeof read));
    value = read;
    return S_OK;
}

HRESULT seekBack(IStream* stream, LONGLONG bytes)
{
    return stream->Seek(-bytes, STREAM_SEEK_CUR, nullptr);
}

} // namespace

HRESULT writeInt32(IStream* stream, std::int32_t value)
{
    return writeValue(stream, value);
}
HRESULT readInt32(IStream* stream, std::int32_t& value)
{
    return readValue(stream, value);
}
HRESULT writeUInt32(IStream* stream, std::uint32_t value)
{
    return writeValue(stream, value);
}
HRESULT readUInt32(IStream* stream, std::uint32_t& value)
{
    return readValue(stream, value);
}
HRESULT writeInt16(IStream* stream, std::int16_t value)
{
    return writeValue(stream, value);
}
HRESULT readInt16(IStream* stream, std::int16_t& value)
{
    return readValue(stream, value);
}
HRESULT writeUInt16(IStream* stream, std::uint16_t value)
{
    return writeValue(stream, value);
}
HRESULT readUInt16(IStream* stream, std::uint16_t& value)
{
    return readValue(stream, value);
}
HRESULT writeFloat(IStream* stream, float value)
{
    return writeValue(stream, value);
}
HRESULT readFloat(IStream* stream, float& value)
{
    RETURN_IF_FAILED(readValue(stream, value));
    return std::isfinite(value) ? S_OK : E_FAIL;
}
HRESULT writeDouble(IStream* stream, double value)
{
    return writeValue(stream, value);
}
HRESULT readDouble(IStream* stream, double& value)
{
    RETURN_IF_FAILED(readValue(stream, value));
    return std::isfinite(value) ? S_OK : E_FAIL;
}

HRESULT writeFlag(IStream* stream, bool value)
{
    return writeValue<std::uint8_t>(stream, value ? 1 : 0);
}

HRESULT readFlag(IStream* stream, bool& value)
{
    std::uint8_t byte = 0;
    RETURN_IF_FAILED(readValue(stream, byte));
    value = byte != 0;
    return S_OK;
}

HRESULT writeGuid(IStream* stream, const GUID& value)
{
    const auto bytes = platform::com::guidToBytes(value);
    return writeBytes(stream, bytes.data(), bytes.size());
}

HRESULT readGuid(IStream* stream, GUID& value)
{
    std::array<std::uint8_t, platform::com::kGuidStreamSize> bytes{};
    RETURN_IF_FAILED(readBytes(stream, bytes.data(), bytes.size()));
    value = platform::com::guidFromBytes(bytes.data());
    return S_OK;
}

HRESULT bytesLeft(IStream* stream, std::uint64_t& left)
{
    ULONGLONG position = 0;
    STATSTG stat;
    if (FAILED(stream->Seek(0, STREAM_SEEK_CUR, &position)) || FAILED(stream->Stat(&stat, STATFLAG_NONAME))) {
        return E_FAIL;
    }
    left = stat.size > position ? stat.size - position : 0;
    return S_OK;
}

HRESULT writeBstr(IStream* stream, BSTR text)
{
    if (!text) {
        return writeUInt32(stream, 0);
    }
    const std::uint32_t byteLength = SysStringByteLen(text);
    RETURN_IF_FAILED(writeUInt32(stream, byteLength + 2));
    // The BSTR keeps its terminating zero character right after the text.
    return writeBytes(stream, text, byteLength + 2u);
}

HRESULT readBstr(IStream* stream, Bstr& text)
{
    text = Bstr();
    std::uint32_t count = 0;
    RETURN_IF_FAILED(readUInt32(stream, count));
    if (count == 0) {
        return S_OK;
    }
    std::uint64_t left = 0;
    // A count below 2 cannot hold the terminator, and a count beyond the stream is a lie.
    if (count < 2 || FAILED(bytesLeft(stream, left)) || count > left) {
        (void)seekBack(stream, 4); // Best effort: the record is already unreadable.
        return E_FAIL;
    }
    Bstr read = Bstr::adopt(SysAllocStringByteLen(nullptr, count - 2));
    if (read.isNull()) {
        (void)seekBack(stream, 4); // As above.
        return E_OUTOFMEMORY;
    }
    // The count includes the terminator, which lands on the zero character the allocation already holds.
    if (FAILED(readBytes(stream, read.get(), count))) {
        (void)seekBack(stream, 4); // As above.
        return E_FAIL;
    }
    text = std::move(read);
    return S_OK;
}

namespace {

std::size_t payloadSize(VARTYPE type)
{
    switch (type) {
    case VT_I2:
    case VT_BOOL:
    case VT_UI2:
        return 2;
    case VT_I4:
    case VT_R4:
    case VT_ERROR:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
        return 4;
    case VT_R8:
    case VT_CY:
    case VT_DATE:
    case VT_I8:
    case VT_UI8:
        return 8;
    case VT_I1:
    case VT_UI1:
        return 1;
    default:
        return 0;
    }
}

HRESULT persistenceOf(IUnknown* object, ComPtr<IPersistStream>& stream, ComPtr<IPersistStreamInit>& init)
{
    const HRESULT hr = object->QueryInterface(IPersistStream::kIid, stream.putVoid());
    if (SUCCEEDED(hr)) {
        return hr;
    }
    return object->QueryInterface(IPersistStreamInit::kIid, init.putVoid());
}

} // namespace

HRESULT writeObject(IStream* stream, IUnknown* object)
{
    if (!object) {
        return writeGuid(stream, GUID_NULL);
    }
    ComPtr<IPersistStream> persistStream;
    ComPtr<IPersistStreamInit> persistInit;
    RETURN_IF_FAILED(persistenceOf(object, persistStream, persistInit));
    CLSID classId{};
    RETURN_IF_FAILED(persistStream ? persistStream->GetClassID(&classId) : persistInit->GetClassID(&classId));
    RETURN_IF_FAILED(writeGuid(stream, classId));
    return persistStream ? persistStream->Save(stream, TRUE) : persistInit->Save(stream, TRUE);
}

HRESULT readObject(IStream* stream, IUnknown* object)
{
    GUID ignored;
    RETURN_IF_FAILED(readGuid(stream, ignored));
    ComPtr<IPersistStream> persistStream;
    ComPtr<IPersistStreamInit> persistInit;
    RETURN_IF_FAILED(persistenceOf(object, persistStream, persistInit));
    return persistStream ? persistStream->Load(stream) : persistInit->Load(stream);
}

HRESULT writeVariant(IStream* stream, const VARIANT& value)
{
    if (value.vt & VT_BYREF) {
        Variant referred;
        RETURN_IF_FAILED(VariantCopyInd(referred.put(), &value));
        return writeVariant(stream, referred.get());
    }
    RETURN_IF_FAILED(writeUInt16(stream, value.vt));
    if (const std::size_t size = payloadSize(value.vt)) {
        return writeBytes(stream, &value.llVal, size);
    }
    switch (value.vt) {
    case VT_BSTR:
        return writeBstr(stream, value.bstrVal);
    case VT_DISPATCH:
    case VT_UNKNOWN:
        return writeObject(stream, value.punkVal);
    case VT_NULL:
        return writeBstr(stream, Bstr::empty().get());
    default: {
        Variant text;
        RETURN_IF_FAILED(VariantChangeType(text.put(), &value, 0, VT_BSTR));
        return writeBstr(stream, text.get().bstrVal);
    }
    }
}

namespace {

HRESULT readObjectVariant(IStream* stream, VARTYPE type, Variant& value)
{
    CLSID classId{};
    RETURN_IF_FAILED(readGuid(stream, classId));
    VARIANT read;
    VariantInit(&read);
    read.vt = type;
    read.punkVal = nullptr;
    if (classId == GUID_NULL) {
        value = Variant::adopt(read);
        return S_OK;
    }
    // The record that follows cannot be skipped without its class, so an unknown class fails the read. A file may
    // only make the classes registered as stored values, never just any class the process has registered.
    if (!ClassTable::instance().isStoredValueClass(classId)) {
        return E_FAIL;
    }
    ComPtr<IUnknown> object;
    if (FAILED(CoCreateInstance(classId, nullptr, CLSCTX_ALL, IUnknown::kIid, object.putVoid()))) {
        return E_FAIL;
    }
    ComPtr<IPersistStream> persistStream;
    ComPtr<IPersistStreamInit> persistInit;
    RETURN_IF_FAILED(persistenceOf(object.get(), persistStream, persistInit));
    RETURN_IF_FAILED(persistStream ? persistStream->Load(stream) : persistInit->Load(stream));
    RETURN_IF_FAILED(object->QueryInterface(type == VT_DISPATCH ? IDispatch::kIid : IUnknown::kIid,
                                            reinterpret_cast<void**>(&read.punkVal)));
    value = Variant::adopt(read);
    return S_OK;
}

} // namespace

HRESULT readVariant(IStream* stream, Variant& value)
{
    value = Variant();
    std::uint16_t type = 0;
    RETURN_IF_FAILED(readUInt16(stream, type));
    if (const std::size_t size = payloadSize(type)) {
        VARIANT read;
        VariantInit(&read);
        read.vt = type;
        RETURN_IF_FAILED(readBytes(stream, &read.llVal, size));
        value = Variant::adopt(read);
        return S_OK;
    }
    if (type == VT_DISPATCH || type == VT_UNKNOWN) {
        return readObjectVariant(stream, type, value);
    }
    Bstr text;
    if (const HRESULT hr = readBstr(stream, text); FAILED(hr)) {
        (void)seekBack(stream, 2); // Best effort, back to the type.
        return hr;
    }
    Variant read = Variant::fromString(std::move(text));
    if (type != VT_BSTR) {
        RETURN_IF_FAILED(read.changeType(type));
    }
    value = std::move(read);
    return S_OK;
}

} // namespace platform::com
