#pragma once

#include "platform/com/Bstr.h"
#include "platform/com/Stream.h"
#include "platform/com/Variant.h"

#include <cstddef>
#include <cstdint>

// The byte forms that stored records share: little-endian, no padding.
// A short write or read is E_FAIL. Counts and lengths read from a stream are checked against what is
// left in it before anything is allocated.
namespace platform::com {

HRESULT writeBytes(IStream* stream, const void* data, std::size_t size);
HRESULT readBytes(IStream* stream, void* data, std::size_t size);

HRESULT writeInt32(IStream* stream, std::int32_t value);
HRESULT readInt32(IStream* stream, std::int32_t& value);
HRESULT writeUInt32(IStream* stream, std::uint32_t value);
HRESULT readUInt32(IStream* stream, std::uint32_t& value);
HRESULT writeInt16(IStream* stream, std::int16_t value);
HRESULT readInt16(IStream* stream, std::int16_t& value);
HRESULT writeUInt16(IStream* stream, std::uint16_t value);
HRESULT readUInt16(IStream* stream, std::uint16_t& value);
/// One byte: 1 for true when written; any non-zero byte is true when read.
HRESULT writeFlag(IStream* stream, bool value);
HRESULT readFlag(IStream* stream, bool& value);
HRESULT writeFloat(IStream* stream, float value);
/// Infinity and NaN are E_FAIL: no stored quantity may hold them.
HRESULT readFloat(IStream* stream, float& value);
HRESULT writeDouble(IStream* stream, double value);
/// Infinity and NaN are E_FAIL, as for readFloat.
HRESULT readDouble(IStream* stream, double& value);
HRESULT writeGuid(IStream* stream, const GUID& value);
HRESULT readGuid(IStream* stream, GUID& value);

/// Bytes between the seek pointer and the end of the stream.
HRESULT bytesLeft(IStream* stream, std::uint64_t& left);

/// u32 byte count (0 for a null string, else the UTF-16 byte length plus 2), the characters, a zero character.
HRESULT writeBstr(IStream* stream, BSTR text);
/// On failure the stream is moved back to the count and the string is null.
HRESULT readBstr(IStream* stream, Bstr& text);

/// u16 type, then a payload chosen by the type. By-reference values are written as the value they refer to;
/// VT_NULL is written as its type and an empty string.
HRESULT writeVariant(IStream* stream, const VARIANT& value);
/// Objects are created from the stored class identifier; an unknown class fails, except an all-zero
/// identifier, which reads as a null object.
HRESULT readVariant(IStream* stream, Variant& value);

/// The class identifier of `object` and its record (all zero for no object).
HRESULT writeObject(IStream* stream, IUnknown* object);
/// Skips the stored class identifier and loads the record into `object`, which the caller made.
HRESULT readObject(IStream* stream, IUnknown* object);

} // namespace platform::com
