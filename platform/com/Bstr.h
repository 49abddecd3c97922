#pragma once

#include "platform/com/HResult.h"
#include "platform/com/Types.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

/// A length-prefixed UTF-16 string as automation passes it: the pointer is to the first character, a 32-bit
/// byte count sits before it and a zero character after it. A null BSTR is a valid, distinct value.
using BSTR = OLECHAR*;

BSTR SysAllocString(const OLECHAR* text);
BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
/// `byteLength` bytes (copied from `bytes` when not null) plus a zero character; odd lengths are allowed.
BSTR SysAllocStringByteLen(const char* bytes, UINT byteLength);
void SysFreeString(BSTR text);
UINT SysStringLen(BSTR text);
UINT SysStringByteLen(BSTR text);

namespace platform::com {

/// The characters of a BSTR that stays with its owner (empty for null).
inline std::u16string_view viewOf(BSTR text)
{
    return text ? std::u16string_view(text, SysStringLen(text)) : std::u16string_view();
}

/// Owns one BSTR. Null and empty stay apart: `isNull()` is true only for a null string.
/// Thread rule: a value type, not shared.
class Bstr {
public:
    Bstr() = default;
    explicit Bstr(std::u16string_view text);
    /// From UTF-8.
    explicit Bstr(std::string_view utf8);
    explicit Bstr(const char* utf8) : Bstr(std::string_view(utf8)) {}
    Bstr(const Bstr& other);
    Bstr(Bstr&& other) noexcept : m_text(std::exchange(other.m_text, nullptr)) {}
    Bstr& operator=(Bstr other) noexcept
    {
        std::swap(m_text, other.m_text);
        return *this;
    }
    ~Bstr() { SysFreeString(m_text); }

    /// Takes over a BSTR (for instance one handed out by an interface method).
    static Bstr adopt(BSTR text);
    /// A copy of a BSTR that stays with its owner.
    static Bstr copyOf(BSTR text);
    static Bstr empty();

    BSTR get() const { return m_text; }
    bool isNull() const { return m_text == nullptr; }
    std::size_t length() const { return SysStringLen(m_text); }
    std::u16string_view view() const { return viewOf(m_text); }
    std::string toUtf8() const;

    /// Releases the held string and returns the slot for an out-parameter.
    BSTR* put();
    BSTR detach() { return std::exchange(m_text, nullptr); }
    /// Fills an out-parameter with a copy; E_POINTER for a null slot, E_OUTOFMEMORY when the copy fails.
    HRESULT copyTo(BSTR* out) const;

    friend bool operator==(const Bstr& a, const Bstr& b) { return a.isNull() == b.isNull() && a.view() == b.view(); }

private:
    BSTR m_text = nullptr;
};

std::string utf16ToUtf8(std::u16string_view text);
std::u16string utf8ToUtf16(std::string_view text);

} // namespace platform::com
