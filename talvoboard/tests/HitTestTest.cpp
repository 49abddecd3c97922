#include "talvoboard/internal/HitTest.h"

#include "talvodata/tests/support/AimingBuilder.h"

#include <gtest/gtest.h>

namespace talvoboard {
namespace {

using platform::com::ComPtr;
using platform::gfx::Point;
using talvodata::testsupport::AimingBuilder;

constexpr float kCalibre = 4.5f;

ComPtr<IShot> shotOf(IAiming* aiming, LONG number)
{
    ComPtr<IShot> shot;
    EXPECT_EQ(S_OK, aiming->get_Shot(number, shot.put()));
    return shot;
}

class HitTestTest : public testing::Test {
protected:
    // Breaches at (10, 2) and, added later, at (10.5, 2) mm; a missed shot of the second aiming lies at (30, 0).
    ComPtr<IAiming> m_first = AimingBuilder().at(1000, 200).samples(20).shot().build();
    ComPtr<IAiming> m_second =
        AimingBuilder().at(3000, 0).samples(20).shot(/*missed=*/true).at(1050, 200).samples(20).shot().build();
    std::vector<AimingEntry> m_aimings{{m_first}, {m_second}};
};

TEST_F(HitTestTest, FindsTheLastAddedBreachWithinHalfACalibre)
{
    const struct {
        const char* name;
        Point point;
        IAiming* aiming;
        LONG dx;
        LONG dy;
    } cases[] = {
        {"on both: the later aiming wins", {1000, 200}, m_second.get(), 50, 0},
        {"on the edge of the first", {1000, 425}, m_first.get(), 0, -225},
        {"just outside both", {1000, 426}, nullptr, 0, 0},
        {"on the missed shot", {3000, 0}, nullptr, 0, 0},
        {"left of the first only", {800, 200}, m_first.get(), 200, 0},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        const Hit hit = hitTest(test.point, m_aimings, /*selectable=*/true, kCalibre, nullptr);
        EXPECT_EQ(test.aiming, hit.aiming.get());
        EXPECT_EQ(test.aiming != nullptr, static_cast<bool>(hit.shot));
        EXPECT_EQ(test.dx, hit.dx);
        EXPECT_EQ(test.dy, hit.dy);
    }
}

TEST_F(HitTestTest, NothingIsHitWhileNotSelectable)
{
    const Hit hit = hitTest({1000, 200}, m_aimings, /*selectable=*/false, kCalibre, nullptr);
    EXPECT_FALSE(hit.aiming);
    EXPECT_FALSE(hit.shot);
}

TEST_F(HitTestTest, AHeldDragShotIsTheOnlyOneHitAtItsMovedPlace)
{
    const DraggedShot dragged{m_first, shotOf(m_first.get(), 1), {1000, 200}, {2000, 300}};
    Hit hit = hitTest({1000, 200}, m_aimings, true, kCalibre, &dragged);
    EXPECT_FALSE(hit.shot);
    hit = hitTest({2100, 300}, m_aimings, true, kCalibre, &dragged);
    EXPECT_EQ(m_first.get(), hit.aiming.get());
    EXPECT_EQ(-100, hit.dx);
    EXPECT_EQ(0, hit.dy);

    const DraggedShot missed{m_second, shotOf(m_second.get(), 1), {0, 0}, {0, 0}};
    hit = hitTest({3000, 0}, m_aimings, true, kCalibre, &missed);
    EXPECT_FALSE(hit.shot);
}

} // namespace
} // namespace talvoboard
