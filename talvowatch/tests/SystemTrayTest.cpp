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

TEST(SystemTrayTest, MenuAndTipSpeakTheLanguageOfTheTable)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int argc = 1;
    char name[] = "talvowatch";
    char* argv[] = {name, nullptr};
    QApplication application(argc, argv);
    TrayModel model(catalogcache::CatalogTexts(
        platform::lang::LanguageTable::parse("37100\tX-Open catalog\n37101\tX-Quit\n37104\tX-busy %i\n"
                                             "37105\tX-rescanning\n")
            .value()));
    SystemTray tray(model);
    QStringList texts;
    for (const QAction* action : tray.menu()->actions()) {
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    }
    EXPECT_EQ((QStringList{"X-Open catalog", "-", "X-Quit"}), texts);
    model.setCount(3);
    model.setIcon(TrayIcon::Busy);
    model.setPeriodicRescan(true);
    EXPECT_EQ("X-busy 3\nX-rescanning", model.tip());
    model.setIcon(TrayIcon::Idle); // No text of its own: English.
    EXPECT_EQ("Talvo catalog - 3 file(s)\nX-rescanning", model.tip());
}

} // namespace
} // namespace talvowatch
