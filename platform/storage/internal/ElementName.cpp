#include "platform/storage/internal/ElementName.h"

#include "platform/com/Bstr.h"

#include <unicode/uchar.h>

namespace platform::storage::internal {
namespace {

char16_t upper(char16_t c)
{
    if (c < 0x80) {
        return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - (u'a' - u'A')) : c;
    }
    if (c >= 0xD800 && c <= 0xDFFF) {
        return c;
    }
    // Simple case mapping keeps one code unit for one; a mapping outside the basic plane is not taken.
    const UChar32 mapped = u_toupper(c);
    return mapped <= 0xFFFF ? static_cast<char16_t>(mapped) : c;
}

} // namespace

int compareElementNames(std::u16string_view a, std::u16string_view b)
{
    if (a.size() != b.size()) {
        return a.size() < b.size() ? -1 : 1;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        const char16_t x = upper(a[i]);
        const char16_t y = upper(b[i]);
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    return 0;
}

Status checkElementName(std::u16string_view name)
{
    if (name.empty() || name.size() > kMaxNameLength) {
        return Error{STG_E_INVALIDNAME, "element name '" + com::utf16ToUtf8(name) + "' is empty or longer than 31"};
    }
    if (name.find_first_of(std::u16string_view(u"/\\:!\0", 5)) != std::u16string_view::npos) {
        return Error{STG_E_INVALIDNAME, "element name '" + com::utf16ToUtf8(name) + "' holds a reserved character"};
    }
    return {};
}

} // namespace platform::storage::internal
