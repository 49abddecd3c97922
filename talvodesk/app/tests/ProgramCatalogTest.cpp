#include "talvodesk/app/CatalogDlg.h"
#include "talvodesk/app/FrameDialogs.h"
#include "talvodesk/app/MainFrame.h"
#include "talvodesk/app/MessageBoxes.h"
#include "talvodesk/app/StartPracticeDlg.h"
#include "talvodesk/app/tests/support/ProgramRun.h"
#include "talvodesk/core/options/Options.h"
#include "talvodesk/core/options/Settings.h"
#include "talvowatch/CatalogServer.h"
#include "talvowatch/TrayModel.h"
#include "talvowatch/tests/support/PracticeFile.h"

#include "catalogcache/CatalogReader.h"
#include "platform/com/Bstr.h"
#include "platform/registry/tests/support/RegistryFixture.h"
#include "talvoshell/TalvoView.h"
#include "tools/sensorsim/SensorSimulator.h"

#include <QApplication>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>

#include <filesystem>
#include <memory>

using namespace talvodesk;
namespace fs = std::filesystem;

namespace {

constexpr int kPatienceMs = 60000;

QTreeWidgetItem* childNamed(QTreeWidget& tree, QTreeWidgetItem* parent, const QString& name)
{
    const int count = parent ? parent->childCount() : tree.topLevelItemCount();
    for (int i = 0; i < count; ++i) {
        QTreeWidgetItem* item = parent ? parent->child(i) : tree.topLevelItem(i);
        if (item->text(0) == name) {
            return item;
        }
    }
    return nullptr;
}

/// The practices list of the folder the dialog shows, once its posted browse has run.
QTreeView* shownList(CCatalogDlg& dialog)
{
    QApplication::processEvents();
    platform::shell::HWND window = nullptr;
    if (!dialog.View() || FAILED(dialog.View()->GetWindow(&window))) {
        return nullptr;
    }
    return static_cast<talvoshell::TalvoViewWidget*>(window)->List();
}

/// The program on a catalog of two shooters that a watcher (running in this process, at the user's usual
/// places) has indexed, with the simulated sensor on COM7.
class ProgramCatalogTest : public platform::registry::testing::RegistryFixture {
protected:
    ProgramCatalogTest()
    {
        setEnvironment("HOME", folder().c_str());
        setEnvironment("XDG_DATA_HOME", nullptr);
        setEnvironment("XDG_CACHE_HOME", (folder() / "cache").c_str());
        setEnvironment("XDG_RUNTIME_DIR", (folder() / "run").c_str());
        SetMessageBoxAnswerer([this](const MessageBoxRequest& box) {
            boxes.push_back(box.text.toStdString());
            return IDNO;
        });
        fs::create_directories(catalog);
        talvowatch::testsupport::PracticeSpec ann;
        talvowatch::testsupport::PracticeSpec bob;
        bob.shooter = u"Bob";
        bob.matchShots = 7;
        EXPECT_TRUE(talvowatch::testsupport::writePractice(catalog / "ann.talvo", ann).hasValue());
        EXPECT_TRUE(talvowatch::testsupport::writePractice(catalog / "bob.talvo", bob).hasValue());

        const auto location = catalogcache::defaultCatalogLocation();
        EXPECT_TRUE(location.hasValue());
        auto server = talvowatch::CatalogServer::start(location.value(), catalog, tray, {});
        EXPECT_TRUE(server.hasValue());
        watcher = std::move(server).value();
        const auto reader = catalogcache::CatalogReader::create(location.value()).value();
        EXPECT_TRUE(QTest::qWaitFor([&] { return reader->refresh() && reader->records().size() == 2; }, kPatienceMs));

        sensor = std::move(sensorsim::SensorSimulator::create(300)).value();
        setEnvironment("TALVO_SERIAL_PORTS", ("COM7=" + sensor->programPath()).c_str());
        COptions options;
        options.enableRS232 = 1;
        EXPECT_TRUE(options.Save(*OpenSettingsRoot()).hasValue());
    }
    ~ProgramCatalogTest() override
    {
        watcher.reset();
        SetMessageBoxAnswerer({});
    }

    /// Runs the program with no arguments; `whileRunning` gets the frame once its loop runs, and closes it.
    void run(const std::function<void(MainFrame&)>& whileRunning)
    {
        EXPECT_EQ(0, testsupport::RunProgramWith({}, dialogs, whileRunning));
    }

    /// Runs `drive` on the modal dialog of type T that the next command opens, once `ready` says it runs its own
    /// loop; a failed drive cancels it.
    template <typename T>
    static void onDialog(
        std::function<bool(T&)> drive, std::function<bool(T&)> ready = [](T&) { return true; })
    {
        auto* poll = new QTimer(qApp);
        poll->setInterval(20);
        QObject::connect(poll, &QTimer::timeout, qApp, [poll, drive, ready] {
            auto* dialog = dynamic_cast<T*>(QApplication::activeModalWidget());
            if (dialog == nullptr || !dialog->isVisible() || !ready(*dialog)) {
                return;
            }
            poll->stop();
            poll->deleteLater();
            if (!drive(*dialog)) {
                dialog->reject();
            }
        });
        poll->start();
    }

    const fs::path catalog = folder() / "Talvo catalog";
    talvowatch::TrayModel tray;
    std::unique_ptr<talvowatch::CatalogServer> watcher;
    std::unique_ptr<sensorsim::SensorSimulator> sensor;
    FrameDialogs dialogs;
    std::vector<std::string> boxes;
};

TEST_F(ProgramCatalogTest, TheStartDialogListsTheCatalogsShooters)
{
    QStringList shooters;
    run([&](MainFrame& frame) {
        onDialog<CStartPracticeDlg>(
            [&](CStartPracticeDlg& dialog) {
                auto* box = dialog.findChild<QComboBox*>(QStringLiteral("1006"));
                if (box == nullptr) {
                    return false;
                }
                box->showPopup();
                box->hidePopup();
                for (int row = 0; row < box->count(); ++row) {
                    shooters << box->itemText(row);
                }
                return false;
            },
            [](CStartPracticeDlg& dialog) {
                // Devices are listed while the dialog shows, before it runs its loop.
                auto* devices = dialog.findChild<QComboBox*>(QStringLiteral("1002"));
                return devices != nullptr && devices->count() > 0;
            });
        frame.runCommand(cmd::StartPractice);
        EXPECT_FALSE(frame.practiceRun().IsRunning());
    });
    EXPECT_EQ((QStringList{"Ann", "Bob"}), shooters);
    EXPECT_TRUE(boxes.empty()) << boxes.front();
}

TEST_F(ProgramCatalogTest, OpenShowsTheCatalogByEventNamesOpensTheChosenPracticeAndFollowsTheWatcher)
{
    const QString event = QStringLiteral("Air Rifle 10 Meters (4.5 mm)");
    bool sawNewShooter = false;
    run([&](MainFrame& frame) {
        onDialog<CCatalogDlg>([&](CCatalogDlg& dialog) {
            QTreeWidget& tree = *dialog.Tree();
            QTreeWidgetItem* eventItem = childNamed(tree, nullptr, event);
            if (eventItem == nullptr) {
                ADD_FAILURE() << "no event folder";
                return false;
            }
            eventItem->setExpanded(true);
            QTreeWidgetItem* bob = childNamed(tree, eventItem, QStringLiteral("Bob"));
            if (bob == nullptr) {
                return false;
            }
            tree.setCurrentItem(bob);
            QTreeView* list = shownList(dialog);
            if (list == nullptr || list->model()->rowCount() != 1) {
                return false;
            }
            list->selectionModel()->select(list->model()->index(0, 0),
                                           QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            QTest::mouseClick(dialog.OpenButton(), Qt::LeftButton);
            return true;
        });
        frame.runCommand(cmd::FileOpen);
        platform::com::Bstr shooter;
        EXPECT_TRUE(frame.document().GetShooterName(shooter));
        EXPECT_EQ(u"Bob", shooter.view());
        EXPECT_EQ(7U, frame.matchShots());

        // A practice that lands in the catalog while the dialog is open shows up in it.
        onDialog<CCatalogDlg>([&](CCatalogDlg& dialog) {
            talvowatch::testsupport::PracticeSpec cy;
            cy.shooter = u"Cy";
            EXPECT_TRUE(talvowatch::testsupport::writePractice(catalog / "cy.talvo", cy).hasValue());
            sawNewShooter = QTest::qWaitFor(
                [&] {
                    QTreeWidgetItem* eventItem = childNamed(*dialog.Tree(), nullptr, event);
                    if (eventItem != nullptr) {
                        eventItem->setExpanded(true);
                    }
                    return eventItem != nullptr && childNamed(*dialog.Tree(), eventItem, QStringLiteral("Cy"));
                },
                kPatienceMs);
            return false;
        });
        frame.runCommand(cmd::FileOpen);
    });
    EXPECT_TRUE(sawNewShooter);
    EXPECT_TRUE(boxes.empty()) << boxes.front();
}

} // namespace
