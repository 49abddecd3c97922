#include "talvodesk/core/frame/LanguageCommands.h"
#include "talvodesk/core/options/AppModule.h"
#include "talvodesk/core/options/StringTable.h"

#include "platform/com/Bstr.h"
#include "platform/fs/ProgramFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <set>
#include <string>
#include <vector>

using namespace talvodesk;
namespace fs = std::filesystem;

namespace {

const fs::path kTemplate = "talvodesk.en.lang";

/// What a translation must keep of a text: its conversions ("%d", "%1!d!", "%-3.1f", "%%") in order, and its line
/// breaks, which split hints from tips and Hide shot from Restore shot.
std::vector<std::string> placeholders(const std::u16string& text)
{
    static const std::regex conversion(R"(%(%|[0-9]+(![^!]*!)?|[-+ #0]*[0-9]*(\.[0-9]+)?[a-zA-Z])|\n)");
    const std::string utf8 = platform::com::utf16ToUtf8(text);
    std::vector<std::string> found;
    for (auto it = std::sregex_iterator(utf8.begin(), utf8.end(), conversion); it != std::sregex_iterator(); ++it) {
        found.push_back(it->str());
    }
    return found;
}

/// A mnemonic between two letters of the Arabic script cuts the word's joined letters apart.
bool mnemonicInsideAnArabicWord(const std::u16string& text)
{
    const auto arabic = [](char16_t c) { return c >= 0x0600 && c <= 0x06FF; };
    for (std::size_t i = 1; i + 1 < text.size(); ++i) {
        if (text[i] == u'&' && arabic(text[i - 1]) && arabic(text[i + 1])) {
            return true;
        }
    }
    return false;
}

TEST(LanguageTablesTest, TheInstalledTemplateIsTheBuiltInTable)
{
    const auto english = StringTable::load(platform::fs::dataFolder("lang") / kTemplate);
    ASSERT_TRUE(english) << english.error().detail;
    EXPECT_EQ(english->texts(), StringTable::english().texts());
    EXPECT_EQ(StringTable::parse(StringTable::english().fileText())->texts(), StringTable::english().texts());
}

TEST(LanguageTablesTest, EveryShippedTableHasEveryNumberOfTheTemplateWithItsPlaceholders)
{
    const auto english = StringTable::load(platform::fs::dataFolder("lang") / kTemplate);
    ASSERT_TRUE(english) << english.error().detail;
    std::set<std::string> shipped;
    for (const auto& entry : fs::directory_iterator(platform::fs::dataFolder("lang"))) {
        if (entry.path().extension() != ".lang" || entry.path().filename() == kTemplate) {
            continue;
        }
        SCOPED_TRACE(entry.path().filename().string());
        shipped.insert(entry.path().stem().string());
        // A text whose conversions do not match is dropped on loading, so it shows here as missing.
        const auto table = StringTable::load(entry.path());
        ASSERT_TRUE(table) << table.error().detail;
        for (const auto& [id, text] : english->texts()) {
            const std::u16string* translated = table->find(id);
            ASSERT_NE(translated, nullptr) << "no text " << id;
            EXPECT_FALSE(translated->empty()) << id;
            EXPECT_EQ(placeholders(*translated), placeholders(text)) << id;
            EXPECT_FALSE(mnemonicInsideAnArabicWord(*translated)) << id;
        }
        for (const auto& [id, text] : table->texts()) {
            EXPECT_NE(english->find(id), nullptr) << "a number the template does not have: " << id;
        }
    }
    // Every language of the menu ships the table the language module loads for it.
    for (const LanguageCommand& language : LanguageMenu()) {
        if (language.locale != 1033) {
            EXPECT_TRUE(shipped.contains(std::string(LanguageFilesOf(language.locale)->library))) << language.locale;
        }
    }
}

} // namespace
