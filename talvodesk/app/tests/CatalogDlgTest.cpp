#include "talvodesk/app/CatalogDlg.h"

#include "platform/registry/tests/support/RegistryFixture.h"
#include "platform/shell/ChangeNotify.h"
#include "talvodesk/core/options/Settings.h"
#include "talvoshell/CatalogMonitor.h"
#include "talvoshell/TalvoView.h"
#include "talvoshell/tests/support/CatalogFixture.h"

#include <QApplication>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace talvodesk {
namespace {

using namespace platform::shell;

QStringList texts(const std::vector<QTreeWidgetItem*>& items)
{
    QStringList names;
    for (QTreeWidgetItem* item : items) {
        names << item->text(0);
    }
    return names;
}

std::vector<QTreeWidgetItem*> topLevel(QTreeWidget& tree)
{
    std::vector<QTreeWidgetItem*> items;
    for (int i = 0; i < tree.topLevelItemCount(); ++i) {
        items.push_back(tree.topLevelItem(i));
    }
    return items;
}

std::vector<QTreeWidgetItem*> children(QTreeWidgetItem& item)
{
    std::vector<QTreeWidgetItem*> items;
    for (int i = 0; i < item.childCount(); ++i) {
        items.push_back(item.child(i));
    }
    return items;
}

class CatalogDlgTest : public talvoshell::testsupport::CatalogFixture {
protected:
    CatalogDlgTest()
    {
        publish({practice(u"/c/ann1", u"AR10", u"Ann", 46000.5), practice(u"/c/ann2", u"AR10", u"Ann", 46001.5),
                 practice(u"/c/bob1", u"AR10", u"Bob"), practice(u"/c/cy1", u"AP60", u"Cy")});
    }

    /// The shown view's list, after the posted browse has run.
    QTreeView* shownList(CCatalogDlg& dialog)
    {
        QApplication::processEvents();
        HWND window = nullptr;
        if (!dialog.View() || FAILED(dialog.View()->GetWindow(&window))) {
            return nullptr;
        }
        return static_cast<talvoshell::TalvoViewWidget*>(window)->List();
    }
    static void select(QTreeView& list, int row)
    {
        list.selectionModel()->select(list.model()->index(row, 0),
                                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
};

TEST_F(CatalogDlgTest, TheEventFilterListsOneEventExpandedAndThePracticesPathIsReturned)
{
    CCatalogDlg dialog;
    dialog.SetEventFilter(u"AR10");
    dialog.SetEventNamer([](const std::u16string& name) -> std::optional<std::u16string> {
        return name == u"AR10" ? std::optional<std::u16string>(u"10 m Air Rifle (4.5 mm)") : std::nullopt;
    });
    dialog.OnInitDialog();
    QTreeWidget& tree = *dialog.Tree();
    ASSERT_EQ(QStringList{"10 m Air Rifle (4.5 mm)"}, texts(topLevel(tree)));
    QTreeWidgetItem& event = *tree.topLevelItem(0);
    EXPECT_TRUE(event.isExpanded());
    EXPECT_EQ((QStringList{"Ann", "Bob"}), texts(children(event)));
    EXPECT_FALSE(dialog.OpenButton()->isEnabled());

    tree.setCurrentItem(event.child(0));
    EXPECT_EQ(nullptr, dialog.View()); // The browse is posted, not done at once.
    QTreeView* list = shownList(dialog);
    ASSERT_TRUE(list);
    ASSERT_EQ(2, list->model()->rowCount());
    select(*list, 1);
    EXPECT_EQ(u"/c/ann1", dialog.Path());
    EXPECT_TRUE(dialog.OpenButton()->isEnabled());

    int result = 0;
    QTimer::singleShot(0, [&] {
        select(*shownList(dialog), 0);
        EXPECT_EQ(S_OK, dialog.OnDefaultCommand(dialog.View()));
    });
    result = dialog.exec();
    EXPECT_EQ(1, result);
    EXPECT_EQ(u"/c/ann2", dialog.Path());
}

TEST_F(CatalogDlgTest, ListsLazilySelectsTheStartFolderAndLetsTheViewOpenFolders)
{
    {
        CCatalogDlg lazy;
        lazy.OnInitDialog();
        QTreeWidgetItem& event = *lazy.Tree()->topLevelItem(2);
        EXPECT_EQ("AP60", event.text(0));
        EXPECT_EQ(0, event.childCount()); // Not listed until expanded.
        EXPECT_EQ(QTreeWidgetItem::ShowIndicator, event.childIndicatorPolicy());
        event.setExpanded(true);
        EXPECT_EQ(QStringList{"Cy"}, texts(children(event)));
    }
    CCatalogDlg dialog;
    dialog.SetStartFolder(u"AR10", u"Bob");
    dialog.OnInitDialog();
    QTreeWidget& tree = *dialog.Tree();
    EXPECT_EQ((QStringList{"Air Pistol", "Air Rifle", "AP60", "AR10"}), texts(topLevel(tree)));
    EXPECT_EQ("Bob", tree.currentItem()->text(0));
    ASSERT_TRUE(shownList(dialog));
    EXPECT_EQ(u"Bob", ILItemName(ILFindLastID(dialog.CurrentFolder())));

    tree.setCurrentItem(tree.topLevelItem(3));
    QTreeView* shooters = shownList(dialog);
    ASSERT_TRUE(shooters);
    select(*shooters, 0);
    EXPECT_EQ(u"", dialog.Path());
    EXPECT_EQ(S_FALSE, dialog.OnDefaultCommand(dialog.View())); // A folder: the view opens it.
    ItemIdPtr ann(MakeCatalogItem(1, u"Ann"));
    EXPECT_EQ(S_OK, dialog.BrowseObject(ann.get(), SBSP_RELATIVE));
    ASSERT_TRUE(shownList(dialog));
    EXPECT_EQ(u"Ann", ILItemName(ILFindLastID(dialog.CurrentFolder())));
    EXPECT_EQ(E_INVALIDARG, dialog.BrowseObject(nullptr, 0));
}

TEST_F(CatalogDlgTest, ABurstOfChangesRefreshesOnceAndShowsTheFolderAgain)
{
    CCatalogDlg dialog;
    dialog.SetStartFolder(u"AR10", u"Ann");
    dialog.OnInitDialog();
    ASSERT_TRUE(shownList(dialog));
    talvoshell::CatalogMonitor monitor(m_services);
    monitor.Poll();
    EXPECT_TRUE(dialog.RefreshTimer().isActive());
    EXPECT_EQ(2000, dialog.RefreshTimer().interval());
    EXPECT_TRUE(dialog.RefreshTimer().isSingleShot()); // Each notification restarts it: one refresh at the end.

    publish({practice(u"/c/ann1", u"AR10", u"Ann", 46000.5), practice(u"/c/ann2", u"AR10", u"Ann", 46001.5),
             practice(u"/c/ann3", u"AR10", u"Ann", 46002.5), practice(u"/c/dan", u"AR10", u"Dan")});
    monitor.Poll();
    dialog.OnRefreshTimer();
    QTreeView* list = shownList(dialog);
    ASSERT_TRUE(list);
    EXPECT_EQ(3, list->model()->rowCount());
    EXPECT_EQ(u"Ann", ILItemName(ILFindLastID(dialog.CurrentFolder())));
    EXPECT_EQ("Ann", dialog.Tree()->currentItem()->text(0));
    EXPECT_EQ((QStringList{"Ann", "Dan"}), texts(children(*dialog.Tree()->currentItem()->parent())));
}

TEST(CatalogDlgWithoutCatalogTest, OpensEmptyAndCanOnlyBeCancelled)
{
    CCatalogDlg dialog;
    const QFontMetrics metrics = dialog.fontMetrics();
    EXPECT_GE(dialog.minimumWidth(), 351 * metrics.averageCharWidth() / 4) << "the template's size at least";
    EXPECT_GE(dialog.minimumHeight(), 188 * metrics.height() / 8);
    QTimer::singleShot(0, &dialog, [&] {
        EXPECT_EQ(0, dialog.Tree()->topLevelItemCount());
        EXPECT_FALSE(dialog.OpenButton()->isEnabled());
        EXPECT_EQ(nullptr, dialog.View());
        dialog.findChildren<QPushButton*>().back()->click();
    });
    EXPECT_EQ(2, dialog.DoModal());
    EXPECT_EQ(u"", dialog.Path());
}

class CatalogDlgRectangleTest : public platform::registry::testing::RegistryFixture {};

TEST_F(CatalogDlgRectangleTest, KeepsItsRectangleAsWindowRectOpen)
{
    auto root = OpenSettingsRoot();
    ASSERT_TRUE(root);
    ASSERT_TRUE(SaveWindowRect(*root, u"WindowRectOpen", {100, 120, 900, 780})); // above the least size
    CCatalogDlg dialog;
    dialog.SetSettingsRoot(&*root);
    QTimer::singleShot(0, &dialog, [&] {
        EXPECT_EQ(QRect(100, 120, 800, 660), dialog.geometry());
        dialog.setGeometry(50, 60, 850, 600);
        dialog.findChildren<QPushButton*>().back()->click();
    });
    EXPECT_EQ(2, dialog.DoModal());
    EXPECT_EQ((WindowRect{50, 60, 900, 660}), LoadWindowRect(*root, u"WindowRectOpen"));
}

} // namespace
} // namespace talvodesk
