#pragma once

#include "platform/com/ComPtr.h"
#include "platform/com/MemoryStream.h"
#include "platform/com/Persist.h"

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace talvodata::testsupport {

/// Builds the little-endian bytes of a record field by field: Bytes().i32(5).f32(1.5F).bytes().
class Bytes {
public:
    Bytes& i32(std::int32_t value) { return raw(&value, sizeof value); }
    Bytes& u32(std::uint32_t value) { return raw(&value, sizeof value); }
    Bytes& i16(std::int16_t value) { return raw(&value, sizeof value); }
    Bytes& u8(std::uint8_t value) { return raw(&value, sizeof value); }
    Bytes& u16(std::uint16_t value) { return raw(&value, sizeof value); }
    Bytes& f32(float value) { return raw(&value, sizeof value); }
    Bytes& f64(double value) { return raw(&value, sizeof value); }
    Bytes& guid(const GUID& value);
    /// The string form: byte count with the terminator, UTF-16LE characters, a zero character.
    Bytes& bstr(std::u16string_view text);
    Bytes& append(const std::vector<std::uint8_t>& more);
    const std::vector<std::uint8_t>& bytes() const { return m_bytes; }

private:
    Bytes& raw(const void* data, std::size_t size);
    std::vector<std::uint8_t> m_bytes;
};

/// A stream over `bytes`, positioned at its start.
platform::com::ComPtr<IStream> streamOf(const std::vector<std::uint8_t>& bytes);

/// The record an object writes through IPersistStreamInit::Save.
std::vector<std::uint8_t> savedRecord(IUnknown* object);

/// Loads `bytes` into the object through IPersistStreamInit::Load.
HRESULT loadRecord(IUnknown* object, const std::vector<std::uint8_t>& bytes);

} // namespace talvodata::testsupport
