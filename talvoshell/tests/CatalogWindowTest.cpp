#include "talvoshell/CatalogWindow.h"

#include "platform/testing/EventPump.h"
#include "talvoshell/CatalogItemModel.h"
#include "talvoshell/CatalogMonitor.h"
#include "talvoshell/TalvoView.h"
#include "talvoshell/tests/support/CatalogFixture.h"
#include "talvoshell/tests/support/RealWatcher.h"
#include "talvowatch/CatalogWorker.h"
#include "talvowatch/tests/support/PracticeFile.h"

#include <QApplication>
#include <QItemSelectionModel>
#include <QTreeView>

#include <gtest/gtest.h>

#include <chrono>

namespace talvoshell {
namespace {

using namespace platform::shell;
using platform::com::ComPtr;

class CatalogWindowTest : public testsupport::CatalogFixture {
protected:
    CatalogWindowTest()
    {
        publish({practice(u"/c/ann1", u"AR10", u"Ann"), practice(u"/c/bob1", u"AR10", u"Bob")});
        m_services->catalog->Refresh();
    }

    static TalvoViewWidget& shown(CatalogWindow& window)
    {
        HWND view = nullptr;
        EXPECT_EQ(S_OK, window.View()->GetWindow(&view));
        return *static_cast<TalvoViewWidget*>(view);
    }
    void deleteFromTheWindow(const char16_t* secondShooter, int rowsAfter);
    static std::vector<std::u16string> names(LPCITEMIDLIST list)
    {
        std::vector<std::u16string> all;
        for (LPCITEMIDLIST item = ILNext(ILNext(list)); item; item = ILNext(item)) {
            all.push_back(ILItemName(item));
        }
        return all;
    }
};

TEST_F(CatalogWindowTest, OpensFoldersInPlaceAndPracticesInTheMainProgram)
{
    CatalogWindow window;
    ASSERT_TRUE(window.Navigate(listOf({}).get()));
    EXPECT_EQ(3, shown(window).List()->model()->rowCount());

    ItemIdPtr event = item(u"AR10");
    EXPECT_EQ(S_OK, window.BrowseObject(event.get(), SBSP_RELATIVE));
    QApplication::processEvents();
    EXPECT_EQ(std::vector<std::u16string>{u"AR10"}, names(window.Current()));
    EXPECT_EQ("Talvo catalog - AR10", window.windowTitle());

    QTreeView& shooters = *shown(window).List();
    shooters.selectionModel()->select(shooters.model()->index(0, 0),
                                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    static_cast<CTalvoView*>(window.View())->Activate(); // A folder: browsed to.
    QApplication::processEvents();
    EXPECT_EQ((std::vector<std::u16string>{u"AR10", u"Ann"}), names(window.Current()));

    QTreeView& practices = *shown(window).List();
    practices.selectionModel()->select(practices.model()->index(0, 0),
                                       QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    static_cast<CTalvoView*>(window.View())->Activate();
    ASSERT_EQ(1u, m_launcher->started.size());
    EXPECT_EQ((std::vector<std::string>{ProgramPath("talvodesk").string(), "/c/ann1"}), m_launcher->started[0]);

    window.Up();
    EXPECT_EQ(std::vector<std::u16string>{u"AR10"}, names(window.Current()));
    window.Up();
    window.Up(); // Never above the root.
    EXPECT_TRUE(names(window.Current()).empty());
    EXPECT_TRUE(window.Current());
    EXPECT_FALSE(window.Navigate(item(u"Elsewhere").get())); // Not in the computer's namespace.
    EXPECT_TRUE(window.View());
}

/// Deletes Ann's first practice from a window that shows her folder, over a real catalog folder with the real
/// watcher (started by the catalog as the browser starts it), and waits for the window to show `rowsAfter` rows.
void CatalogWindowTest::deleteFromTheWindow(const char16_t* secondShooter, int rowsAfter)
{
    m_watcherLock.reset();
    page().setReady(false);
    const std::filesystem::path catalogFolder = m_folder / "catalog";
    std::filesystem::create_directories(catalogFolder);
    talvowatch::testsupport::PracticeSpec later;
    later.firstShot = 46001.5;
    later.shooter = secondShooter;
    ASSERT_TRUE(talvowatch::testsupport::writePractice(catalogFolder / "first.talvo", {}));
    ASSERT_TRUE(talvowatch::testsupport::writePractice(catalogFolder / "second.talvo", later));
    testsupport::RealWatcher watcher;
    m_services->catalog =
        watcher.catalog(location(), catalogFolder, [](const std::u16string&, const std::u16string&) {});
    CatalogMonitor monitor(m_services);
    CatalogWindow window;
    const auto ann = listOf({u"Air Rifle 10 Meters", u"Ann"});
    const auto rows = [&] { return shown(window).List()->model()->rowCount(); };
    ASSERT_TRUE(platform::testing::pumpUntil([&] { return window.Navigate(ann.get()) && rows() == rowsAfter + 1; }));

    QTreeView& practices = *shown(window).List();
    practices.selectionModel()->select(practices.model()->index(0, 0),
                                       QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    ComPtr<IContextMenu> menu = static_cast<CTalvoView*>(window.View())->ContextMenu();
    ASSERT_NE(nullptr, menu);
    std::vector<MenuItem> items;
    ASSERT_TRUE(SUCCEEDED(menu->QueryContextMenu(&items, 0, 0, 100, CMF_NORMAL)));
    const auto remove =
        std::find_if(items.begin(), items.end(), [](const MenuItem& item) { return item.text == u"Delete"; });
    ASSERT_NE(items.end(), remove);
    CMINVOKECOMMANDINFO command;
    command.lpVerb = MakeIntVerb(remove->id);
    ASSERT_EQ(S_OK, menu->InvokeCommand(&command));

    // The same view, never navigated again: the watcher's notice of its folder refills it.
    const QObject* list = shown(window).List();
    const auto settled = talvowatch::kSettlePeriod + std::chrono::seconds(3);
    EXPECT_TRUE(platform::testing::pumpUntil([&] { return rows() == rowsAfter; }, settled));
    EXPECT_EQ(list, shown(window).List());
    m_services->catalog.reset();
}

TEST_F(CatalogWindowTest, APracticeDeletedFromTheWindowLeavesItOnceTheWatcherHasSettled)
{
    deleteFromTheWindow(u"Ann", 1);
}

TEST_F(CatalogWindowTest, AFolderWhoseOnlyPracticeWasDeletedEmptiesInTheWindow)
{
    deleteFromTheWindow(u"Bob", 0);
}

} // namespace
} // namespace talvoshell
