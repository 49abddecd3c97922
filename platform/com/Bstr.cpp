#include "platform/com/Bstr.h"

#include "platform/com/HResult.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

constexpr std::size_t kPrefixSize = sizeof(std::uint32_t);

BSTR allocateBytes(const void* source, std::size_t byteLength)
{
    if (byteLength > 0xFFFFFFF0u) {
        return nullptr;
    }
    // Prefix, text, and a two-byte terminator (one more byte keeps odd lengths terminated).
    auto* block = static_cast<unsigned char*>(std::malloc(kPrefixSize + byteLength + sizeof(OLECHAR) + 1));
    if (!block) {
        return nullptr;
    }
    const auto prefix = static_cast<std::uint32_t>(byteLength);
    std::memcpy(block, &prefix, kPrefixSize);
    unsigned char* text = block + kPrefixSize;
    if (source) {
        std::memcpy(text, source, byteLength);
    } else {
        std::memset(text, 0, byteLength);
    }
    std::memset(text + byteLength, 0, sizeof(OLECHAR) + 1);
    return reinterpret_cast<BSTR>(text);
}

std::uint32_t bytePrefix(BSTR text)
{
    std::uint32_t prefix = 0;
    std::memcpy(&prefix, reinterpret_cast<const unsigned char*>(text) - kPrefixSize, kPrefixSize);
    return prefix;
}

} // namespace

BSTR SysAllocString(const OLECHAR* text)
{
    if (!text) {
        return nullptr;
    }
    std::size_t length = 0;
    while (text[length] != 0) {
        ++length;
    }
    return allocateBytes(text, length * sizeof(OLECHAR));
}

BSTR SysAllocStringLen(const OLECHAR* text, UINT length)
{
    return allocateBytes(text, static_cast<std::size_t>(length) * sizeof(OLECHAR));
}

BSTR SysAllocStringByteLen(const char* bytes, UINT byteLength)
{
    return allocateBytes(bytes, byteLength);
}

void SysFreeString(BSTR text)
{
    if (text) {
        std::free(reinterpret_cast<unsigned char*>(text) - kPrefixSize);
    }
}

UINT SysStringLen(BSTR text)
{
    return text ? bytePrefix(text) / sizeof(OLECHAR) : 0;
}

UINT SysStringByteLen(BSTR text)
{
    return text ? bytePrefix(text) : 0;
}

namespace platform::com {

Bstr::Bstr(std::u16string_view text) : m_text(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}

Bstr::Bstr(std::string_view utf8) : Bstr(std::u16string_view(utf8ToUtf16(utf8))) {}

Bstr::Bstr(const Bstr& other) : m_text(copyOf(other.m_text).detach()) {}

Bstr Bstr::adopt(BSTR text)
{
    Bstr result;
    result.m_text = text;
    return result;
}

Bstr Bstr::copyOf(BSTR text)
{
    Bstr result;
    if (text) {
        result.m_text = SysAllocStringByteLen(reinterpret_cast<const char*>(text), SysStringByteLen(text));
    }
    return result;
}

Bstr Bstr::empty()
{
    return Bstr(std::u16string_view());
}

std::string Bstr::toUtf8() const
{
    return utf16ToUtf8(view());
}

BSTR* Bstr::put()
{
    SysFreeString(std::exchange(m_text, nullptr));
    return &m_text;
}

HRESULT Bstr::copyTo(BSTR* out) const
{
    if (!out) {
        return E_POINTER;
    }
    *out = Bstr(*this).detach();
    return (*out || !m_text) ? S_OK : E_OUTOFMEMORY;
}

std::string utf16ToUtf8(std::u16string_view text)
{
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t code = text[i];
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (code >= 0xD800 && code <= 0xDFFF) {
            code = 0xFFFD; // A lone surrogate cannot be written as UTF-8.
        }
        if (code < 0x80) {
            result += static_cast<char>(code);
        } else if (code < 0x800) {
            result += static_cast<char>(0xC0 | (code >> 6));
            result += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            result += static_cast<char>(0xE0 | (code >> 12));
            result += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            result += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            result += static_cast<char>(0xF0 | (code >> 18));
            result += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            result += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            result += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return result;
}

std::u16string utf8ToUtf16(std::string_view text)
{
    std::u16string result;
    result.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t extra = 0;
        std::uint32_t code = 0;
        if (lead < 0x80) {
            code = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            extra = 1;
            code = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2;
            code = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3;
            code = lead & 0x07;
        } else {
            result += u'\uFFFD';
            ++i;
            continue;
        }
        bool valid = i + extra < text.size();
        for (std::size_t k = 1; valid && k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3F);
        }
        const bool overlong =
            (extra == 1 && code < 0x80) || (extra == 2 && code < 0x800) || (extra == 3 && code < 0x10000);
        if (!valid || overlong || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            result += u'\uFFFD';
            ++i;
            continue;
        }
        if (code >= 0x10000) {
            code -= 0x10000;
            result += static_cast<char16_t>(0xD800 + (code >> 10));
            result += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
        } else {
            result += static_cast<char16_t>(code);
        }
        i += extra + 1;
    }
    return result;
}

} // namespace platform::com
