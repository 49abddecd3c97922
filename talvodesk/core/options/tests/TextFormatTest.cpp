#include "talvodesk/core/options/TextFormat.h"
#include "talvodesk/core/options/AppModule.h"

#include "talvodata/EventParams.h"

#include "platform/com/Bstr.h"
#include "platform/com/Variant.h"
#include "platform/time/OleDate.h"

#include <gtest/gtest.h>

#include <clocale>
#include <limits>

using namespace talvodesk;
using platform::com::Bstr;
using platform::com::ComPtr;

namespace {

std::string narrow(std::u16string_view text)
{
    return platform::com::utf16ToUtf8(text);
}

TEST(TextFormatTest, DurationsAreRoundedBeforeTheyAreSplit)
{
    struct Case {
        double seconds;
        bool shortForm;
        const char16_t* text;
    };
    const Case cases[] = {
        {59.6, true, u"01:00"},
        {59.6, false, u"00:01:00"},
        {3600, true, u"01:00:00"},
        {3600, false, u"01:00:00"},
        {3599.5, true, u"01:00:00"},
        {0.4, true, u"00:00"},
        {90061, false, u"25:01:01"},
        // A span backwards is signed once; no field is ever negative.
        {-3725, false, u"-01:02:05"},
        {-59.6, true, u"-01:00"},
        {-3599.5, true, u"-01:00:00"},
        {-0.4, true, u"00:00"},
        {-46000.5 * 86400 - 3, false, u"-1104012:00:03"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.seconds);
        std::u16string text = u"t=";
        AppendDuration(text, c.seconds / 86400, c.shortForm);
        EXPECT_EQ(u"t=" + std::u16string(c.text), text);
    }
    std::u16string text;
    AppendDuration(text, std::numeric_limits<double>::quiet_NaN(), true);
    EXPECT_EQ(u"00:00", text);
}

TEST(TextFormatTest, ShownTextsAreCutWithAnEllipsisNeverInsideACharacter)
{
    struct Case {
        std::u16string text;
        std::size_t length;
        std::u16string shown;
    };
    const Case cases[] = {
        {u"", 4, u""},
        {u"Ann", 4, u"Ann"},
        {u"Anne", 4, u"Anne"},
        {u"Annette", 4, u"Ann\u2026"},
        {u"A\U0001F3AFxy", 4, u"A\U0001F3AF\u2026"}, // the pair fits whole
        {u"A\U0001F3AF", 3, u"A\U0001F3AF"},
        {u"An\U0001F3AFx", 4, u"An\u2026"}, // its second half would be cut off
        {std::u16string(100000, u'n'), kShownNameLength, std::u16string(kShownNameLength - 1, u'n') + u"\u2026"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.size());
        EXPECT_EQ(ShownText(c.text, c.length), c.shown);
    }
}

TEST(TextFormatTest, NumbersUseAPointWhateverTheLocaleAndRefuseForeignFormats)
{
    // A program on Qt runs with the user's numeric locale; the texts must not follow it.
    const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    const bool german = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
    struct Case {
        float value;
        const char16_t* format;
        std::optional<std::u16string_view> wrapper;
        const char16_t* text;
    };
    const Case cases[] = {
        {4.5F, u"%-3.1f mm", std::nullopt, u"4.5 mm"},
        {1.5F, u"PiezoRejectInterval = %3.1f", std::nullopt, u"PiezoRejectInterval = 1.5"},
        {9.75F, u"%.2f", u"[%s]", u"[9.75]"},
        {1.0F, u"%d", std::nullopt, u""},
        {1.0F, u"%f %f", std::nullopt, u""},
        {1.0F, u"%s", std::nullopt, u""},
        {1.0F, u"%*f", std::nullopt, u""},
        {1.0F, u"%.1f", u"%s %n", u""},
        {2.0F, u"100%% %g", std::nullopt, u"100% 2"},
        {std::numeric_limits<float>::infinity(), u"%-3.1f mm", std::nullopt, u"n/a"},
        {-std::numeric_limits<float>::quiet_NaN(), u"%.2f", u"[%s]", u"[n/a]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(narrow(c.format));
        std::u16string text;
        AppendFormattedFloat(text, c.value, c.format, c.wrapper);
        EXPECT_EQ(c.text, text);
    }
    std::u16string counts;
    AppendFormattedInt(counts, 0, true, u"%d");
    AppendFormattedInt(counts, 0, false, u" %3d");
    AppendFormattedInt(counts, 7, false, u" %s");
    EXPECT_EQ(u"n/a   0", counts);
    std::setlocale(LC_NUMERIC, saved.c_str());
    RecordProperty("numeric_locale", german ? "de_DE" : "C only");
}

TEST(TextFormatTest, LanguageFileNumberFormatsAreCappedAndKeepTheirShape)
{
    // A translated text used as a number format is kept only in the shape of the built-in one, with widths and
    // precisions of at most two digits; otherwise it counts as missing and the English text is used.
    const struct {
        const char* line;
        bool kept;
    } cases[] = {
        {"61284\tnoch %i Sekunden", true},
        {"61284\t%900000000i seconds left", false},
        {"61224\t%.900000000f mm", false},
        {"61224\t%99.99f mm", true},
        {"61224\t%100f mm", false},
        {"61224\t%-3.1f mm %%", true},
        {"61285\t%i Sekunden", false},
        {"61285\t%i Sekunden oder %i Sch\xC3\xBCsse", true},
        {"61284\t%s seconds left", false},
        {"61284\t%i seconds %n", false},
        {"61284\t%", false},
        {"128\tTalvo 100%", true}, // not a format: shown as it is
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const auto table = StringTable::parse(c.line);
        ASSERT_TRUE(table);
        EXPECT_EQ(c.kept, table->size() == 1);
    }
    std::u16string text;
    AppendFormattedInt(text, 5, false, u"%900000000i seconds left");
    AppendFormattedFloat(text, 5.0F, u"%.900000000f mm");
    AppendFormattedFloat(text, 5.0F, u"%12.3f", u"%900000000s");
    EXPECT_EQ(u"", text);
}

TEST(TextFormatTest, DatesFollowTheUserInterfaceLocale)
{
    const DATE afternoon = *platform::time::toDate({2024, 1, 2, 15, 4, 5, 0});
    const DATE midnight = *platform::time::toDate({2024, 1, 2, 0, 0, 0, 0});
    struct Case {
        DATE date;
        LCID lcid;
        const char16_t* text;
    };
    const Case cases[] = {
        {0.0, 0x409, u"n/a"},
        {afternoon, 0x407, u"02.01.24, 15:04:05"},
        {midnight, 0x407, u"02.01.24"},
        {1e10, 0x409, u"n/a"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.date);
        std::u16string text;
        FormatDate(text, c.date, c.lcid);
        EXPECT_EQ(c.text, text);
    }
    std::u16string english;
    FormatDate(english, afternoon, 0x409);
    EXPECT_NE(std::u16string::npos, english.find(u"3:04:05")) << narrow(english);
}

class EventNameTest : public ::testing::Test {
protected:
    static ComPtr<talvodata::CEventParams> event(const char* name, const char* shortName, float distance, float caliber)
    {
        auto event = talvodata::CEventParams::create();
        EXPECT_EQ(S_OK, event->put_Name(Bstr(name).get()));
        EXPECT_EQ(S_OK, event->put_ShortName(Bstr(shortName).get()));
        EXPECT_EQ(S_OK, event->put_Distance(distance));
        EXPECT_EQ(S_OK, event->put_Caliber(caliber));
        return event;
    }
    static std::u16string displayName(IEventParams& event, const CTalvoAppModule& module)
    {
        std::u16string text;
        EXPECT_TRUE(GetEventDisplayName(event, module, text));
        return text;
    }

    CTalvoAppModule m_english;
};

TEST_F(EventNameTest, DisplayNamesPreferTheLanguagesOwnName)
{
    auto rifle = event("Air Rifle", "AR10", 10, 4.5F);
    EXPECT_EQ(u"Air Rifle (4.5 mm)", displayName(*rifle, m_english));
    ASSERT_EQ(S_OK,
              rifle->put_Value(Bstr("_name_1031").get(), platform::com::Variant::fromString(Bstr("Luftgewehr")).get()));
    EXPECT_EQ(u"Air Rifle (4.5 mm)", displayName(*rifle, m_english));
    CTalvoAppModule german;
    german.m_lcid = 0x807;
    EXPECT_EQ(u"Air Rifle (4.5 mm)", displayName(*rifle, german));
    german.m_lcid = 0x407;
    EXPECT_EQ(u"Luftgewehr (4.5 mm)", displayName(*rifle, german));
    ASSERT_EQ(S_OK, rifle->put_Value(Bstr("_name_1031").get(), platform::com::Variant::fromString(Bstr("")).get()));
    EXPECT_EQ(u"Air Rifle (4.5 mm)", displayName(*rifle, german));

    auto unnamed = event("", "BTLN", 50, 5.6F);
    EXPECT_EQ(u"BTLN (5.6 mm)", displayName(*unnamed, m_english));
}

TEST_F(EventNameTest, EventsSortByDistanceThenByName)
{
    auto pistol25 = event("A pistol", "SP", 25, 5.6F);
    auto rifle10 = event("Z rifle", "AR10", 10, 4.5F);
    auto pistol10 = event("Air Pistol", "AP10", 10, 4.5F);
    EXPECT_EQ(-1, CompareEvents(*rifle10, *pistol25, m_english));
    EXPECT_EQ(1, CompareEvents(*pistol25, *rifle10, m_english));
    EXPECT_EQ(-1, CompareEvents(*pistol10, *rifle10, m_english));
    EXPECT_EQ(0, CompareEvents(*pistol10, *pistol10, m_english));
}

} // namespace
