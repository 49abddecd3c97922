#include "catalogcache/CatalogTexts.h"
#include "catalogcache/CatalogEnglish.h"

#include <gtest/gtest.h>

#include <string>

namespace catalogcache {
namespace {

/// Every English text with "X-" before it, as a translator's table would give it.
platform::lang::LanguageTable prefixedTable()
{
    auto english = platform::lang::LanguageTable::parse(kCatalogEnglish).value();
    auto texts = english.texts();
    for (auto& [id, text] : texts) {
        text = u"X-" + text;
    }
    return platform::lang::LanguageTable(std::move(texts));
}

TEST(CatalogTextsTest, TextsComeFromTheTableAndEnglishFillsTheGaps)
{
    const CatalogTexts translated(prefixedTable());
    const CatalogTexts english;
    struct Case {
        std::uint32_t id;
        std::u16string expected;
    };
    for (const Case& c :
         {Case{kOpenCatalogText, u"X-Open catalog"}, Case{kQuitText, u"X-Quit"},
          Case{kColumnTitleTexts, u"X-Date & time"}, Case{kColumnTitleTexts + 4, u"X-Comments"}, Case{kUpText, u"X-Up"},
          Case{kDeleteQuestionText, u"X-Do you want to delete those items?"}, Case{36999, u""}}) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(c.expected, translated.text(c.id));
        EXPECT_EQ(c.expected.empty() ? u"" : c.expected.substr(2), english.text(c.id));
    }
}

TEST(CatalogTextsTest, ATranslationTakingOtherInsertsFallsBackToEnglish)
{
    struct Case {
        std::string line;
        std::u16string expected;
    };
    for (const Case& c :
         {Case{"37103\tX %i Dateien", u"X 7 Dateien"}, Case{"37103\tX %s Dateien", u"Talvo catalog - 7 file(s)"},
          Case{"37103\tX Dateien", u"Talvo catalog - 7 file(s)"}, Case{"37103\tX %i %i", u"Talvo catalog - 7 file(s)"},
          Case{"37103\t100%% %i", u"Talvo catalog - 7 file(s)"}, Case{"", u"Talvo catalog - 7 file(s)"}}) {
        SCOPED_TRACE(c.line);
        const CatalogTexts texts(platform::lang::LanguageTable::parse(c.line).value());
        EXPECT_EQ(c.expected, texts.format(kTrayTipText, {u"7"}));
    }
    const CatalogTexts folder(platform::lang::LanguageTable::parse("37106\tOrdner %s: %s").value());
    EXPECT_EQ(u"Ordner /x: busy", folder.format(kFolderProblemText, {u"/x", u"busy"}));
}

} // namespace
} // namespace catalogcache
