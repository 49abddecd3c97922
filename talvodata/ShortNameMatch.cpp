#include "talvodata/ShortNameMatch.h"

namespace talvodata {

bool isShortName(std::u16string_view wanted, std::u16string_view shortName)
{
    return !wanted.empty() && shortName == wanted;
}

bool isSynonym(std::u16string_view wanted, std::u16string_view synonyms)
{
    if (wanted.empty()) {
        return false;
    }
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = synonyms.find(u',', start);
        if (synonyms.substr(start, comma == std::u16string_view::npos ? comma : comma - start) == wanted) {
            return true;
        }
        if (comma == std::u16string_view::npos) {
            return false;
        }
        start = comma + 1;
    }
}

} // namespace talvodata
