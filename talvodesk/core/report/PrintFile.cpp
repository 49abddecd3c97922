#include "talvodesk/core/report/PrintFile.h"

#include <system_error>

namespace talvodesk {

namespace {

bool unfit(char16_t c)
{
    return c < 0x20 || std::u16string_view(u"/\\:*?\"<>|").find(c) != std::u16string_view::npos;
}

} // namespace

std::filesystem::path DefaultPrintFile(std::u16string_view documentName, const std::filesystem::path& catalog,
                                       const std::filesystem::path& home)
{
    std::u16string name;
    for (const char16_t c : documentName) {
        name += unfit(c) ? u'-' : c;
    }
    // A leading dot would hide the file, a trailing one or blank is lost on some systems.
    constexpr std::u16string_view kEnds = u" .";
    const std::size_t first = name.find_first_not_of(kEnds);
    name = first == std::u16string::npos ? u"Talvo" : name.substr(first, name.find_last_not_of(kEnds) + 1 - first);
    std::error_code error;
    const std::filesystem::path& folder = std::filesystem::is_directory(catalog, error) ? catalog : home;
    return folder / std::filesystem::path(name + u".pdf");
}

} // namespace talvodesk
