#include "talvoshell/TalvoView.h"

#include "platform/shell/Computer.h"
#include "platform/testing/EventPump.h"
#include "talvoshell/CatalogItemModel.h"
#include "talvoshell/CatalogMonitor.h"
#include "talvoshell/tests/support/CatalogFixture.h"
#include "talvoshell/tests/support/RealWatcher.h"
#include "talvowatch/tests/support/PracticeFile.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTreeView>

#include <gtest/gtest.h>

namespace talvoshell {
namespace {

using namespace platform::shell;
using platform::com::ComPtr;

/// A browser that records what the view asks of it.
class PlainBrowser : public platform::com::ComObject<IShellBrowser> {
public:
    HRESULT GetWindow(HWND* phwnd) override
    {
        *phwnd = nullptr;
        return S_OK;
    }
    HRESULT BrowseObject(LPCITEMIDLIST pidl, UINT wFlags) override
    {
        browsed.emplace_back(ILItemName(pidl), wFlags);
        return S_OK;
    }
    std::vector<std::pair<std::u16string, UINT>> browsed;
};

/// An open dialog's browser: takes the default command when `takesDefault` and hides "Other".
class DialogBrowser : public platform::com::ComObject<IShellBrowser, ICommDlgBrowser> {
public:
    HRESULT GetWindow(HWND* phwnd) override
    {
        *phwnd = nullptr;
        return S_OK;
    }
    HRESULT BrowseObject(LPCITEMIDLIST, UINT) override { return S_OK; }
    HRESULT OnDefaultCommand(IShellView*) override
    {
        ++defaults;
        return takesDefault ? S_OK : S_FALSE;
    }
    HRESULT OnStateChange(IShellView*, ULONG uChange) override
    {
        changes.push_back(uChange);
        return S_OK;
    }
    HRESULT IncludeObject(IShellView*, LPCITEMIDLIST pidl) override
    {
        return ILItemName(pidl) == u"Other" ? S_FALSE : S_OK;
    }
    bool takesDefault = true;
    int defaults = 0;
    std::vector<ULONG> changes;
};

class ViewTest : public testsupport::CatalogFixture {
protected:
    ViewTest()
    {
        catalogcache::CatalogRecord first = practice(u"/c/first", u"AR10", u"Ann", 46000.5);
        first.position = u"prone";
        first.matchShots = 40;
        first.integerTotal = 391;
        first.comments = u"windy";
        publish({first, practice(u"/c/second", u"AR10", u"Ann", 46001.5), practice(u"/c/x", u"", u"", 0, 0)});
        m_services->catalog->Refresh();
    }

    ComPtr<CTalvoView> open(const std::vector<std::u16string>& names, IShellBrowser& browser)
    {
        ComPtr<IShellFolder> folder;
        EXPECT_EQ(S_OK, BindToFolder(listOf(names).get(), folder.put()));
        ComPtr<IShellView> view;
        EXPECT_EQ(S_OK, folder->CreateViewObject(nullptr, IShellView::kIid, view.putVoid()));
        FOLDERSETTINGS settings{FVM_SMALLICON, 0xC1};
        HWND window = nullptr;
        EXPECT_EQ(S_OK, view->CreateViewWindow(nullptr, &settings, &browser, &m_parent, &window));
        EXPECT_EQ(&m_parent, window->parentWidget());
        return ComPtr<CTalvoView>(static_cast<CTalvoView*>(view.get()));
    }
    static QTreeView& listOfView(CTalvoView& view)
    {
        HWND window = nullptr;
        EXPECT_EQ(S_OK, view.GetWindow(&window));
        return *static_cast<TalvoViewWidget*>(window)->List();
    }
    static void select(CTalvoView& view, int row)
    {
        QTreeView& list = listOfView(view);
        list.selectionModel()->select(list.model()->index(row, 0),
                                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }

    QWidget m_parent;
};

TEST_F(ViewTest, ShowsPracticesInFiveColumnsAndFoldersByName)
{
    auto browser = platform::com::makeComObject<PlainBrowser>();
    ComPtr<CTalvoView> shooter = open({u"AR10", u"Ann"}, *browser);
    QTreeView& list = listOfView(*shooter);
    const QAbstractItemModel& model = *list.model();
    ASSERT_EQ(5, model.columnCount());
    const char* titles[] = {"Date & time", "Position", "Shot count", "Result", "Comments"};
    for (int column = 0; column < 5; ++column) {
        EXPECT_EQ(titles[column], model.headerData(column, Qt::Horizontal).toString());
        const int width = list.columnWidth(column);
        EXPECT_GE(width, CatalogItemModel::kColumnWidths[column]);
        EXPECT_GE(width, list.header()->sectionSizeHint(column)) << "the title fits";
        list.resizeColumnToContents(column);
        EXPECT_LE(list.columnWidth(column), width) << "the values fit";
        list.setColumnWidth(column, width);
        EXPECT_FALSE(list.isColumnHidden(column));
    }
    EXPECT_FALSE(list.isHeaderHidden());
    ASSERT_EQ(2, model.rowCount());
    EXPECT_TRUE(model.index(0, 0).data().toString().startsWith("12/10/25")); // Newer first.
    EXPECT_EQ((QStringList{"prone", "40", "391", "windy"}),
              (QStringList{model.index(1, 1).data().toString(), model.index(1, 2).data().toString(),
                           model.index(1, 3).data().toString(), model.index(1, 4).data().toString()}));
    EXPECT_EQ(Qt::AlignRight | Qt::AlignVCenter, model.index(1, 2).data(Qt::TextAlignmentRole).toInt());
    FOLDERSETTINGS settings;
    EXPECT_EQ(S_OK, shooter->GetCurrentInfo(&settings));
    EXPECT_EQ((FOLDERSETTINGS{FVM_SMALLICON, 0xC1}), settings);

    ComPtr<CTalvoView> root = open({}, *browser);
    QTreeView& folders = listOfView(*root);
    EXPECT_TRUE(folders.isHeaderHidden());
    EXPECT_TRUE(folders.isColumnHidden(1));
    QStringList names;
    for (int row = 0; row < folders.model()->rowCount(); ++row) {
        names << folders.model()->index(row, 0).data().toString();
        EXPECT_EQ("", folders.model()->index(row, 2).data().toString());
    }
    EXPECT_EQ((QStringList{"Air Pistol", "Air Rifle", "AR10", "Other"}), names);
    EXPECT_EQ(S_OK, root->DestroyViewWindow());
    HWND gone = nullptr;
    EXPECT_EQ(E_FAIL, root->GetWindow(&gone));
}

TEST_F(ViewTest, RefillsWhenTheWatcherIndexesANewPractice)
{
    auto browser = platform::com::makeComObject<PlainBrowser>();
    ComPtr<CTalvoView> shooter = open({u"AR10", u"Ann"}, *browser);
    CatalogMonitor monitor(m_services);
    monitor.Poll();
    ASSERT_EQ(2, listOfView(*shooter).model()->rowCount());
    publish({practice(u"/c/first", u"AR10", u"Ann", 46000.5), practice(u"/c/second", u"AR10", u"Ann", 46001.5),
             practice(u"/c/third", u"AR10", u"Ann", 46002.5)});
    monitor.Poll();
    ASSERT_EQ(3, listOfView(*shooter).model()->rowCount());
    EXPECT_TRUE(listOfView(*shooter).model()->index(0, 0).data().toString().startsWith("12/11/25"));
}

TEST_F(ViewTest, RefillsWhenTheRunningWatcherIndexesAPracticeSavedIntoTheCatalog)
{
    // The pretended watcher of the fixture quits; the catalog starts the real one.
    m_watcherLock.reset();
    page().setReady(false);
    const std::filesystem::path catalogFolder = m_folder / "catalog";
    ASSERT_TRUE(talvowatch::testsupport::writePractice(catalogFolder / "first.talvo", {}));
    testsupport::RealWatcher watcher;
    m_services->catalog =
        watcher.catalog(location(), catalogFolder, [this](const std::u16string& text, const std::u16string& caption) {
            m_failures.emplace_back(text, caption);
        });
    auto browser = platform::com::makeComObject<PlainBrowser>();
    CatalogMonitor monitor(m_services);
    const auto rows = [&] {
        monitor.Poll();
        // The watcher files a practice under its event's name.
        ComPtr<CTalvoView> shooter = open({u"Air Rifle 10 Meters", u"Ann"}, *browser);
        return listOfView(*shooter).model()->rowCount();
    };
    ASSERT_TRUE(platform::testing::pumpUntil([&] { return rows() == 1; }));
    EXPECT_NE(nullptr, watcher.server);

    talvowatch::testsupport::PracticeSpec later;
    later.firstShot = 46001.5;
    ASSERT_TRUE(talvowatch::testsupport::writePractice(catalogFolder / "second.talvo", later));
    // The watcher indexes once the folder has been quiet for its settle period.
    EXPECT_TRUE(platform::testing::pumpUntil([&] { return rows() == 2; }));
    EXPECT_TRUE(m_failures.empty());
    m_services->catalog.reset();
}

TEST_F(ViewTest, ActivationGoesToTheDialogOrBrowsesOrOpens)
{
    auto plain = platform::com::makeComObject<PlainBrowser>();
    ComPtr<CTalvoView> shooter = open({u"AR10", u"Ann"}, *plain);
    select(*shooter, 1);
    shooter->Activate();
    ASSERT_EQ(1u, m_launcher->started.size());
    EXPECT_EQ((std::vector<std::string>{ProgramPath("talvodesk").string(), "/c/first"}), m_launcher->started[0]);

    ComPtr<CTalvoView> event = open({u"AR10"}, *plain);
    select(*event, 0);
    event->Activate();
    EXPECT_EQ((std::vector<std::pair<std::u16string, UINT>>{{u"Ann", SBSP_RELATIVE}}), plain->browsed);
    ComPtr<IContextMenu> menu = event->ContextMenu();
    std::vector<MenuItem> items;
    EXPECT_EQ(makeHresult(4), menu->QueryContextMenu(&items, 0, 0, 100, CMF_NORMAL));
    CMINVOKECOMMANDINFO command;
    command.lpVerb = MakeIntVerb(items[1].id);
    EXPECT_EQ(S_OK, menu->InvokeCommand(&command));
    EXPECT_EQ((std::vector<std::string>{ProgramPath("talvodesk").string(), "/n", "AR10", "Ann"}),
              m_launcher->started.back());

    auto dialog = platform::com::makeComObject<DialogBrowser>();
    ComPtr<CTalvoView> root = open({}, *dialog);
    EXPECT_EQ(3, listOfView(*root).model()->rowCount()); // "Other" refused by the dialog.
    ComPtr<CTalvoView> inDialog = open({u"AR10", u"Ann"}, *dialog);
    select(*inDialog, 0);
    EXPECT_EQ(std::vector<ULONG>{CDBOSC_SELCHANGE}, dialog->changes);
    inDialog->Activate();
    EXPECT_EQ(1, dialog->defaults);
    EXPECT_EQ(2u, m_launcher->started.size()); // The dialog took it.

    ComPtr<IDataObject> data;
    ASSERT_EQ(S_OK, inDialog->GetItemObject(SVGIO_SELECTION, IDataObject::kIid, data.putVoid()));
    FORMATETC format;
    format.cfFormat = RegisterClipboardFormat(u"Shell IDList Array");
    STGMEDIUM medium;
    ASSERT_EQ(S_OK, data->GetData(&format, &medium));
    EXPECT_EQ(1, medium.hGlobal[0]);
    ASSERT_EQ(S_OK, inDialog->GetItemObject(SVGIO_ALLVIEW, IDataObject::kIid, data.putVoid()));
    ASSERT_EQ(S_OK, data->GetData(&format, &medium));
    EXPECT_EQ(2, medium.hGlobal[0]);
    EXPECT_EQ(E_NOINTERFACE, inDialog->GetItemObject(SVGIO_SELECTION, IShellView::kIid, data.putVoid()));
}

} // namespace
} // namespace talvoshell
