#include "platform/text/CodePage.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <iconv.h>
#include <mutex>

namespace platform::text {
namespace {

constexpr const char* kUtf16 = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

std::mutex s_mutex;
std::string s_ansiName = "WINDOWS-1252";

std::string currentAnsiName()
{
    const std::lock_guard lock(s_mutex);
    return s_ansiName;
}

/// One iconv conversion state; iconv_t may not be shared between threads, so each conversion opens its own.
class Converter {
public:
    Converter(const std::string& to, const std::string& from) : m_handle(::iconv_open(to.c_str(), from.c_str())) {}
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    ~Converter()
    {
        if (isOpen()) {
            ::iconv_close(m_handle);
        }
    }

    bool isOpen() const { return m_handle != reinterpret_cast<iconv_t>(-1); }
    iconv_t handle() const { return m_handle; }

private:
    iconv_t m_handle;
};

/// How many input bytes one unconvertible character takes.
using SkipRule = std::size_t (*)(const char* input, std::size_t remaining);

std::size_t skipUtf16Character(const char* input, std::size_t remaining)
{
    char16_t first = 0;
    std::memcpy(&first, input, remaining < 2 ? remaining : 2);
    if (remaining >= 4 && first >= 0xD800 && first <= 0xDBFF) {
        char16_t second = 0;
        std::memcpy(&second, input + 2, 2);
        if (second >= 0xDC00 && second <= 0xDFFF) {
            return 4;
        }
    }
    return remaining < 2 ? remaining : 2;
}

std::size_t skipByte(const char*, std::size_t)
{
    return 1;
}

/// Converts all of `input`, writing `replacement` for each character that does not convert.
std::string convert(const Converter& converter, std::string_view input, SkipRule skip, std::string_view replacement)
{
    if (input.empty()) {
        return {};
    }
    std::string output(input.size() * 2 + 16, '\0');
    char* in = const_cast<char*>(input.data()); // iconv's signature is not const-correct; it only reads.
    std::size_t inLeft = input.size();
    std::size_t used = 0;
    while (true) {
        char* out = output.data() + used;
        std::size_t outLeft = output.size() - used;
        // Without a converter (iconv_open failed for want of memory), no character converts.
        int error = EILSEQ;
        if (converter.isOpen()) {
            const std::size_t result = ::iconv(converter.handle(), &in, &inLeft, &out, &outLeft);
            used = output.size() - outLeft;
            if (result != static_cast<std::size_t>(-1)) {
                break; // iconv converts everything or stops with an error.
            }
            error = errno;
        }
        if (error == E2BIG) {
            output.resize(output.size() * 2);
            continue;
        }
        // EILSEQ: a character the target lacks or a malformed one; EINVAL: a sequence cut short at the end.
        output.replace(used, 0, replacement);
        used += replacement.size();
        output.resize(std::max(output.size(), used + 16));
        const std::size_t skipped = error == EINVAL ? inLeft : skip(in, inLeft);
        in += skipped;
        inLeft -= skipped;
        if (inLeft == 0) {
            break;
        }
    }
    output.resize(used);
    return output;
}

} // namespace

std::string toAnsi(std::u16string_view text)
{
    const Converter converter(currentAnsiName(), kUtf16);
    const std::string_view bytes(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(char16_t));
    return convert(converter, bytes, skipUtf16Character, "?");
}

std::u16string fromAnsi(std::string_view bytes)
{
    const Converter converter(kUtf16, currentAnsiName());
    const char16_t question = u'?';
    const std::string converted = convert(converter, bytes, skipByte,
                                          std::string_view(reinterpret_cast<const char*>(&question), sizeof question));
    std::u16string text(converted.size() / sizeof(char16_t), u'\0');
    std::memcpy(text.data(), converted.data(), text.size() * sizeof(char16_t));
    return text;
}

bool setAnsiCodePage(std::string_view name)
{
    const std::string candidate(name);
    const Converter probe(kUtf16, candidate);
    if (!probe.isOpen()) {
        return false;
    }
    const std::lock_guard lock(s_mutex);
    s_ansiName = candidate;
    return true;
}

std::string ansiCodePage()
{
    return currentAnsiName();
}

} // namespace platform::text
