#include "talvodesk/core/options/StringTable.h"

#include "talvodesk/core/options/internal/ChartsEnglish.h"
#include "talvodesk/core/options/internal/DialogsEnglish.h"
#include "talvodesk/core/options/internal/InfoPageEnglish.h"
#include "talvodesk/core/options/internal/MenusEnglish.h"
#include "talvodesk/core/options/internal/OptionsEnglish.h"
#include "talvodesk/core/options/internal/ViewsEnglish.h"

#include "catalogcache/CatalogEnglish.h"

#include "platform/com/Bstr.h"
#include "platform/text/Printf.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace talvodesk {

namespace {

constexpr std::string_view kEnglish = "128\tTalvo Professional\n"
                                      "32791\tShows the coordination graph\\nCoordination\n"
                                      "32792\tShows the time shift graph\\nShift\n"
                                      "32793\tShows the trace speed graph\\nSpeed\n"
                                      "32794\tShows the time intervals graph\\nIntervals\n"
                                      "32795\tShows the probability graph\\nProbability\n"
                                      "32816\tUntitled\n"
                                      "32817\tDocument was changed. Save changes to this file?\n"
                                      "32824\tProne\n"
                                      "32825\tStanding\n"
                                      "32826\tKneeling\n"
                                      "32840\tOpening document...\n"
                                      "32841\tSaving document...\n"
                                      "32847\tChoose where to copy this file\n"
                                      "32850\tDo you want to delete all shots?\n"
                                      "32851\tDo you want to delete all sighting shots?\n"
                                      "32862\tPrint operation failed.\n"
                                      "32863\tUnable to load file.\n"
                                      "61221\tOpen model\n"
                                      "61222\tThis program requires Microsoft (r) Internet Explorer, version 4.01 "
                                      "or later. Please install Internet Explorer and try again.\n"
                                      "61223\tArial\n"
                                      "61224\t%-3.1f mm\n"
                                      "61230\tShot number %1!d! of %2!d!\n"
                                      "61283\tClick Continue button...\n"
                                      "61284\t%i seconds left\n"
                                      "61285\t%i seconds or %i shot(s) left\n"
                                      "62100\t#\n"
                                      "62101\tResult\n"
                                      "62102\tTime\n"
                                      "62103\t6a0\n"
                                      "62104\t9a0\n"
                                      "62105\t10.0\n"
                                      "62106\t10.5\n"
                                      "62107\t10a0\n"
                                      "62108\t10a5\n"
                                      "62109\tmm/s\n"
                                      "62110\tmm/s/250ms\n"
                                      "62112\tMissed\n"
                                      "62113\t%1%2, %3!d! shot(s)\n"
                                      "62114\tSighting\n"
                                      "62115\tMatch\n";

/// The conversions of a text in the order of their kinds, when it is a format (see conversionShape).
std::optional<std::string> sortedShape(const std::u16string& text)
{
    auto shape = platform::text::conversionShape(platform::com::utf16ToUtf8(text));
    if (shape) {
        std::ranges::sort(*shape);
    }
    return shape;
}

/// A translated text the program formats numbers into must take what the built-in text takes, within the limits of
/// a format from outside; a text whose built-in one is no format is shown as it is.
bool fitsBuiltInShape(std::uint32_t id, const std::u16string& text)
{
    const std::u16string_view english = StringTable::englishText(id);
    if (english.find(u'%') == std::u16string_view::npos) {
        return true;
    }
    const auto expected = sortedShape(std::u16string(english));
    return !expected || sortedShape(text) == expected;
}

} // namespace

const StringTable& StringTable::english()
{
    static const StringTable table(std::move(
        platform::lang::LanguageTable::parse(std::string(kEnglish) + std::string(kOptionsEnglish) +
                                             std::string(kChartsEnglish) + std::string(kInfoPageEnglish) +
                                             std::string(kMenusEnglish) + std::string(kViewsEnglish) +
                                             std::string(kDialogsEnglish) + std::string(catalogcache::kCatalogEnglish))
            .value()));
    return table;
}

platform::Result<StringTable> StringTable::load(const std::filesystem::path& file)
{
    auto table = platform::lang::LanguageTable::load(file);
    if (!table) {
        return table.error();
    }
    return checked(*table);
}

platform::Result<StringTable> StringTable::parse(std::string_view text)
{
    auto table = platform::lang::LanguageTable::parse(text);
    if (!table) {
        return table.error();
    }
    return checked(*table);
}

StringTable StringTable::checked(const platform::lang::LanguageTable& table)
{
    // Counted as missing, so that the built-in text is used.
    auto texts = table.texts();
    std::erase_if(texts, [](const auto& entry) { return !fitsBuiltInShape(entry.first, entry.second); });
    return StringTable(platform::lang::LanguageTable(std::move(texts)));
}

std::u16string_view StringTable::englishText(std::uint32_t id)
{
    const std::u16string* text = english().find(id);
    return text ? std::u16string_view(*text) : std::u16string_view();
}

} // namespace talvodesk
