#include "talvowatch/app/SystemTray.h"

#include "talvowatch/TrayModel.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>

namespace talvowatch {
namespace {

TEST(SystemTrayTest, ItsMenuOpensTheCatalogAndQuitsTheWatcher)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int argc = 1;
    char name[] = "talvowatch";
    char* argv[] = {name, nullptr};
    QApplication application(argc, argv);
    TrayModel model;
    SystemTray tray(model);
    ASSERT_NE(nullptr, tray.menu());
    QStringList texts;
    for (const QAction* action : tray.menu()->actions()) {
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    }
    EXPECT_EQ((QStringList{"Open catalog", "-", "Quit"}), texts);

    QTimer::singleShot(0, &application, [&tray] { tray.menu()->actions().back()->trigger(); });
    QTimer::singleShot(10000, &application, [] { QCoreApplication::exit(1); }); // Quit did nothing.
    EXPECT_EQ(0, QApplication::exec());
}

} // namespace
} // namespace talvowatch
