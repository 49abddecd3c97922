#include "talvowatch/TrayModel.h"

#include <gtest/gtest.h>

namespace talvowatch {
namespace {

TEST(TrayModelTest, TipNamesTheStateAndTheCount)
{
    struct Case {
        TrayIcon icon;
        int count;
        bool periodic;
        const char* tip;
    };
    const Case cases[] = {
        {TrayIcon::Idle, 0, false, "Talvo catalog - 0 file(s)"},
        {TrayIcon::Busy, 12, false, "Talvo catalog busy - 12 file(s)"},
        {TrayIcon::ChangeSeen, 1, false, "Talvo catalog busy - 1 file(s)"},
        {TrayIcon::Idle, 3, true,
         "Talvo catalog - 3 file(s)\nFolder changes cannot be watched: rescanning every minute"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tip);
        TrayModel model;
        int changes = 0;
        model.setObserver([&] { ++changes; });
        model.setIcon(c.icon);
        model.setCount(c.count);
        model.setPeriodicRescan(c.periodic);
        EXPECT_EQ(c.tip, model.tip());
        EXPECT_EQ(3, changes);
    }
}

} // namespace
} // namespace talvowatch
