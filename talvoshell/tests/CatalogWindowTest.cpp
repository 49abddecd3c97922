#include "talvoshell/CatalogWindow.h"

#include "talvoshell/CatalogItemModel.h"
#include "talvoshell/TalvoView.h"
#include "talvoshell/tests/support/CatalogFixture.h"

#include <QApplication>
#include <QItemSelectionModel>
#include <QTreeView>

#include <gtest/gtest.h>

namespace talvoshell {
namespace {

using namespace platform::shell;

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

} // namespace
} // namespace talvoshell
