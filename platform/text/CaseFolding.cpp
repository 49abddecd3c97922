#include "platform/text/CaseFolding.h"

#include <unicode/uchar.h>
#include <unicode/utf16.h>

namespace platform::text {

std::u16string foldCase(std::u16string_view text)
{
    std::u16string folded;
    folded.reserve(text.size());
    const auto length = static_cast<int32_t>(text.size());
    for (int32_t i = 0; i < length;) {
        UChar32 character = 0;
        U16_NEXT(text.data(), i, length, character);
        // A lone surrogate comes back unchanged, as a code unit of its own.
        const UChar32 foldedCharacter = u_foldCase(character, U_FOLD_CASE_DEFAULT);
        if (U_IS_BMP(foldedCharacter)) {
            folded += static_cast<char16_t>(foldedCharacter);
        } else {
            folded += static_cast<char16_t>(U16_LEAD(foldedCharacter));
            folded += static_cast<char16_t>(U16_TRAIL(foldedCharacter));
        }
    }
    return folded;
}

} // namespace platform::text
