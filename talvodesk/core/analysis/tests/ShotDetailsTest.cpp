#include "talvodesk/core/analysis/ShotDetails.h"

#include "talvodesk/core/analysis/PageElements.h"

#include "talvodata/tests/support/AimingBuilder.h"

#include "interfaces/talvodata/IAimingAttr.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

using namespace talvodesk;
using platform::com::ComPtr;

namespace {

constexpr double kSecond = 1.0 / 86400.0;
constexpr DATE kStart = 46000.5;

/// A match shot at `seconds` after the start in an aiming entered at `enteredSeconds`; none of either is no time.
ComPtr<IShot> shotAt(std::optional<double> seconds, std::optional<double> enteredSeconds = std::nullopt)
{
    const auto aiming = talvodata::testsupport::AimingBuilder().samples(10).shot().conclude().build();
    ComPtr<IAimingAttr> attributes;
    EXPECT_EQ(S_OK, aiming->get_Attr(attributes.put()));
    EXPECT_EQ(S_OK, attributes->put_EnterTime(enteredSeconds ? kStart + *enteredSeconds * kSecond : 0.0));
    ComPtr<IShot> shot;
    EXPECT_EQ(S_OK, aiming->get_Shot(1, shot.put()));
    EXPECT_EQ(S_OK, shot->put_ShotTime(seconds ? kStart + *seconds * kSecond : 0.0));
    return shot;
}

TEST(ShotDetailsTest, TimesBetweenShotsAreNotAvailableWhereAShotOrTheStartHasNoTime)
{
    struct Case {
        const char* name;
        std::optional<double> entered;
        std::optional<double> previous;
        std::optional<double> shot;
        std::optional<double> next;
        std::u16string elapsed;
        std::u16string intervalPrevious;
        std::u16string intervalNext;
    };
    const Case cases[] = {
        {"all timed", 0, 30, 90, 3755, u"00:01:30", u"00:01:00", u"01:01:05"},
        {"no shot times", 0, std::nullopt, std::nullopt, std::nullopt, u"n/a", u"n/a", u"n/a"},
        {"no start time", std::nullopt, 30, 90, 150, u"n/a", u"00:01:00", u"00:01:00"},
        {"this shot untimed", 0, 30, std::nullopt, 150, u"n/a", u"n/a", u"n/a"},
        {"neighbours untimed", 0, std::nullopt, 90, std::nullopt, u"00:01:30", u"n/a", u"n/a"},
        {"shot before the start", 100, 30, 90, 150, u"-00:00:10", u"00:01:00", u"00:01:00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PageElements page;
        DeclareShotPage(page, [](std::uint32_t) { return std::u16string(); });
        ShotDetails details(nullptr);
        details.SetPage(&page);
        const ComPtr<IShot> first = shotAt(c.entered, c.entered);
        details.Fill(3, shotAt(c.shot).get(), shotAt(c.previous).get(), shotAt(c.next).get(), first.get());
        const auto text = [&](std::u16string_view id) {
            std::u16string value;
            EXPECT_TRUE(page.GetElementText(id, value));
            return value;
        };
        EXPECT_EQ(c.elapsed, text(u"idShotElapsed"));
        EXPECT_EQ(c.intervalPrevious, text(u"idShotIntervalPrev"));
        EXPECT_EQ(c.intervalNext, text(u"idShotIntervalNext"));
    }
}

} // namespace
