#include "talvodesk/views/TargetWindow.h"

#include "talvodesk/core/options/Options.h"

#include "interfaces/talvoboard/Guids.h"
#include "platform/com/ClassTable.h"
#include "platform/com/ComObject.h"
#include "platform/testing/Matchers.h"
#include "talvoboard/Register.h"
#include "talvoboard/TargetWindow.h"
#include "talvodata/tests/support/AimingBuilder.h"

#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

namespace talvodesk {
namespace {

using platform::com::ComObject;
using platform::com::ComPtr;

/// Counts the live sinks and records the events they get.
class RecordingSink final : public ComObject<IDispatch> {
public:
    explicit RecordingSink(int& alive) : m_alive(alive) { ++m_alive; }

    HRESULT Invoke(DISPID dispId, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        events.push_back(dispId);
        return S_OK;
    }

    std::vector<DISPID> events;

private:
    ~RecordingSink() override { --m_alive; }
    int& m_alive;
};

TEST(TargetWindowTest, MakesAChildWindowThatTheControlFills)
{
    struct Case {
        const char* name;
        std::uint32_t style;
        bool visible;
    };
    const Case cases[] = {{"default style", kTargetWindowStyle, true}, {"printing", kTargetWindowHiddenStyle, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QWidget parent;
        parent.show();
        CTargetWindow host;
        ASSERT_TRUE(host.Create(&parent, QRect(10, 20, 200, 150), c.style));
        ASSERT_TRUE(host.target());
        EXPECT_EQ(&parent, host.window()->parentWidget());
        EXPECT_EQ(QRect(10, 20, 200, 150), host.window()->geometry());
        EXPECT_EQ(c.visible, host.window()->isVisible());
        QWidget* control = nullptr;
        ASSERT_HR(S_OK, host.target().queryInterface<ITargetWindow>()->GetWidget(&control));
        EXPECT_EQ(std::make_pair(200, 150), std::make_pair(control->width(), control->height()));
        // A second window for the same host is refused.
        EXPECT_FALSE(host.Create(&parent, QRect(0, 0, 10, 10)));
    }
}

TEST(TargetWindowTest, TheTraceWindowSetsTraceSpeedAndMark)
{
    // A speed the control refuses leaves its default, and the window is still made.
    const std::pair<std::uint32_t, LONG> speeds[] = {{250, 250}, {5, 100}};
    for (const auto& [option, expected] : speeds) {
        SCOPED_TRACE(option);
        COptions options;
        options.replaySpeed = option;
        QWidget parent;
        CTraceWindow host(options);
        ASSERT_TRUE(host.Create(&parent, QRect(0, 0, 100, 100)));
        VARIANT_BOOL trace = VARIANT_FALSE;
        VARIANT_BOOL mark = VARIANT_TRUE;
        LONG speed = 0;
        EXPECT_HR(S_OK, host.target()->get_DisplayTrace(&trace));
        EXPECT_HR(S_OK, host.target()->get_DisplayReplayMark(&mark));
        EXPECT_HR(S_OK, host.target()->get_ReplaySpeed(&speed));
        EXPECT_EQ(VARIANT_TRUE, trace);
        EXPECT_EQ(VARIANT_FALSE, mark);
        EXPECT_EQ(expected, speed);
    }
}

TEST(TargetWindowTest, FailsWithoutAControl)
{
    platform::com::ClassTable& table = platform::com::ClassTable::instance();
    table.registerClass({talvoboard::CLSID_Target, "", "", [](REFIID, void** object) {
                             *object = nullptr;
                             return E_OUTOFMEMORY;
                         }});
    QWidget parent;
    CTargetWindow host;
    EXPECT_FALSE(host.Create(&parent, QRect(0, 0, 100, 100)));
    EXPECT_EQ(nullptr, host.window());
    EXPECT_FALSE(host.target());
    EXPECT_TRUE(parent.children().isEmpty());
    talvoboard::registerClasses(table);
}

TEST(TargetWindowTest, TheSinkHearsTheControlAndTheControlOutlivesItsWindow)
{
    int alive = 0;
    auto sink = platform::com::makeComObject<RecordingSink>(alive);
    {
        auto parent = std::make_unique<QWidget>();
        CTargetWindow host;
        ASSERT_TRUE(host.Create(parent.get(), QRect(0, 0, 100, 100), kTargetWindowHiddenStyle, sink.get()));
        const ComPtr<IAiming> aiming = talvodata::testsupport::AimingBuilder().samples(400).shot().samples(40).build();
        ASSERT_HR(S_OK, host.target()->put_ReplayAiming(aiming.get()));
        ASSERT_HR(S_OK, host.target()->put_ReplayPaused(VARIANT_FALSE));
        EXPECT_FALSE(sink->events.empty());

        // The parent takes the window; the control, replaying when its window went, still answers.
        parent.reset();
        EXPECT_EQ(nullptr, host.window());
        float zoom = 0;
        EXPECT_HR(S_OK, host.target()->put_Zoom(3.0F));
        EXPECT_HR(S_OK, host.target()->get_Zoom(&zoom));
        EXPECT_FLOAT_EQ(3.0F, zoom);
    }
    EXPECT_EQ(1, alive); // The host let the sink go; only the test holds it.
    sink.reset();
    EXPECT_EQ(0, alive);
}

} // namespace
} // namespace talvodesk
