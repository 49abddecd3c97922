#include "talvodesk/core/options/ShotsParameters.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace talvodesk;

namespace {

const ShotsSpin& spinOf(int spin)
{
    return *std::ranges::find(kShotsSpins, spin, &ShotsSpin::spin);
}

ShotsParametersTexts validTexts()
{
    return {1, "20", "10", "-0.5", "1", "2"};
}

TEST(ShotsParametersTest, OkRefusesTheFirstFieldOutOfRangeInOrder)
{
    struct Case {
        const char* what;
        void (*edit)(ShotsParametersTexts&);
        int failing;
    };
    // clang-format off
    const std::vector<Case> cases = {
        {"F coefficient below", [](ShotsParametersTexts& t) { t.fCoefficient = "-1"; }, kIdFCoefficient},
        {"F coefficient above", [](ShotsParametersTexts& t) { t.fCoefficient = "501"; }, kIdFCoefficient},
        {"F coefficient decimal", [](ShotsParametersTexts& t) { t.fCoefficient = "2.5"; }, kIdFCoefficient},
        {"dispersion above", [](ShotsParametersTexts& t) { t.bulletDispersion = "50.1"; }, kIdBulletDispersion},
        {"dispersion below", [](ShotsParametersTexts& t) { t.bulletDispersion = "-0.1"; }, kIdBulletDispersion},
        {"dispersion a letter", [](ShotsParametersTexts& t) { t.bulletDispersion = "a"; }, kIdBulletDispersion},
        {"dispersion trailing letter", [](ShotsParametersTexts& t) { t.bulletDispersion = "1a"; }, kIdBulletDispersion},
        {"moment below", [](ShotsParametersTexts& t) { t.shotMoment = "-5.01"; }, kIdShotMoment},
        {"moment above", [](ShotsParametersTexts& t) { t.shotMoment = "0.51"; }, kIdShotMoment},
        {"moment empty", [](ShotsParametersTexts& t) { t.shotMoment = ""; }, kIdShotMoment},
        {"interval below", [](ShotsParametersTexts& t) { t.controlInterval = "0.09"; }, kIdControlInterval},
        {"interval as far as its spin", [](ShotsParametersTexts& t) { t.controlInterval = "10"; }, kIdControlInterval},
        {"interval nan", [](ShotsParametersTexts& t) { t.controlInterval = "nan"; }, kIdControlInterval},
        {"interval 2 below", [](ShotsParametersTexts& t) { t.controlInterval2 = "0"; }, kIdControlInterval2},
        {"interval 2 as far as its spin", [](ShotsParametersTexts& t) { t.controlInterval2 = "100"; },
         kIdControlInterval2},
        {"two wrong: the first counts", [](ShotsParametersTexts& t) { t.controlInterval2 = "9"; t.shotMoment = "1"; },
         kIdShotMoment},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ShotsParametersTexts texts = validTexts();
        c.edit(texts);
        const auto result = ValidateShotsParameters(texts);
        ASSERT_TRUE(std::holds_alternative<int>(result));
        EXPECT_EQ(c.failing, std::get<int>(result));
    }
}

TEST(ShotsParametersTest, OkTakesEveryBoundary)
{
    for (const ShotsParametersTexts& texts : {ShotsParametersTexts{0, "0", "0", "-5", "0.1", "1"},
                                              ShotsParametersTexts{2, "500", "50", "0.5", "5.0", "5"}}) {
        const auto result = ValidateShotsParameters(texts);
        ASSERT_TRUE(std::holds_alternative<ShotsParameters>(result));
    }
    EXPECT_EQ((ShotsParameters{1, 10.0F, -0.5F, 20, 1.0F, 2}),
              std::get<ShotsParameters>(ValidateShotsParameters(validTexts())));
}

TEST(ShotsParametersTest, ValuesAreShownWithSixSignificantDigits)
{
    const ShotsParametersTexts texts = ShotsParametersToTexts({3, 12.34F, -0.05F, 42, 1234567.0F, 4});
    EXPECT_EQ(0, texts.coincide);
    EXPECT_EQ("42", texts.fCoefficient);
    EXPECT_EQ("12.34", texts.bulletDispersion);
    EXPECT_EQ("-0.05", texts.shotMoment);
    EXPECT_EQ("1.23457e+06", texts.controlInterval);
    EXPECT_EQ("4", texts.controlInterval2);
    EXPECT_EQ(2, ShotsParametersToTexts({2, 0, 0, 0, 0, 0}).coincide);
}

TEST(ShotsParametersTest, DialogNumbersParseStrictly)
{
    EXPECT_EQ(12.5, ParseDialogReal(" \t12.5\t"));
    EXPECT_EQ(0.5, ParseDialogReal(".5"));
    EXPECT_EQ(-0.0, ParseDialogReal("-0"));
    EXPECT_EQ(100.0, ParseDialogReal("1e2"));
    for (const char* bad : {"", " ", "x", "1x", "inf", "-nan", ".", "--1", "1 2"}) {
        EXPECT_FALSE(ParseDialogReal(bad)) << bad;
    }
    EXPECT_EQ(-7, ParseDialogInteger(" -7 ", true));
    EXPECT_FALSE(ParseDialogInteger("-7", false));
    EXPECT_FALSE(ParseDialogInteger("2147483648", true));
    EXPECT_FALSE(ParseDialogInteger("", true));
}

TEST(ShotsParametersTest, SpinsFollowTheirEdits)
{
    struct Case {
        int spin;
        const char* text;
        std::optional<int> position;
    };
    for (const Case& c : {Case{1069, "12.34", 123}, Case{1069, "0.7", 7}, Case{1069, "999", 500},
                          Case{1070, "-0.05", -5}, Case{1070, "-9", -500}, Case{1072, "0.3", 3}, Case{1104, "3", 3},
                          Case{1104, "-3", std::nullopt}, Case{1069, "abc", std::nullopt}}) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(c.position, SpinPositionFromText(spinOf(c.spin), c.text));
    }
    EXPECT_EQ("12.3", TextFromSpinPosition(spinOf(1069), 123));
    EXPECT_EQ("-0.05", TextFromSpinPosition(spinOf(1070), -5));
    EXPECT_EQ("10", TextFromSpinPosition(spinOf(1072), 100));
    EXPECT_EQ("4464", TextFromSpinPosition(spinOf(1104), 70000));
}

} // namespace
