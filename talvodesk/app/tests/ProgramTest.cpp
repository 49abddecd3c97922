#include "talvodesk/app/Program.h"
#include "talvodesk/app/FrameDialogs.h"
#include "talvodesk/app/MainFrame.h"
#include "talvodesk/app/MessageBoxes.h"
#include "talvodesk/app/tests/support/ProgramRun.h"
#include "talvodesk/core/frame/CommandTable.h"
#include "talvodesk/core/frame/FramePlacement.h"
#include "talvodesk/core/livedata/LiveDataMessage.h"
#include "talvodesk/core/options/Options.h"
#include "talvodesk/core/options/Settings.h"
#include "talvodesk/core/testing/FakeTalvoDevice.h"
#include "talvowatch/tests/support/PracticeFile.h"

#include "talvodata/tests/support/Events.h"

#include "interfaces/talvolink/Guids.h"
#include "platform/com/ClassTable.h"
#include "platform/fs/tests/support/ChildProcess.h"
#include "platform/ipc/DatagramSocket.h"
#include "platform/registry/tests/support/RegistryFixture.h"

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <set>
#include <span>
#include <string>
#include <vector>

using namespace talvodesk;
namespace fs = std::filesystem;

namespace {

/// Dialogs that answer at once: no file to open, the given folder to copy into.
class AnsweringDialogs final : public FrameDialogs {
public:
    std::optional<fs::path> openPractice(QWidget*, const QString&, const QString&) override { return std::nullopt; }
    std::optional<fs::path> openFromCatalog(QWidget*, const CatalogChoice& choice) override
    {
        choices.push_back(choice);
        return chosen;
    }
    std::optional<fs::path> chooseFolder(QWidget*, const QString&) override { return folder; }
    void about(QWidget*, const CTalvoAppModule&) override { ++abouts; }
    void showHelpPage(const fs::path& page) override { helpPages.push_back(page.filename().string()); }
    std::optional<std::uint32_t> editOptions(QWidget*, COptions& live, const TextLookup&,
                                             const platform::registry::Key*) override
    {
        if (!options) {
            return std::nullopt;
        }
        return live.Assign(*options);
    }
    std::optional<ShotsParameters> editShotsParameters(QWidget*, const ShotsParameters& values, std::int32_t,
                                                       const CTalvoAppModule&) override
    {
        shownShots = values;
        return shots;
    }
    /// Connects the device and starts a practice of `practiceEvent`; cancelled without one.
    std::optional<StartPracticeChoice> startPractice(QWidget*, const StartPracticeRequest& request) override
    {
        if (!practiceEvent || FAILED(request.device->put_Connected(VARIANT_TRUE))) {
            return std::nullopt;
        }
        return StartPracticeChoice{practiceEvent, u"Ann", -1, u"FAKE-0001"};
    }

    std::optional<fs::path> folder;
    int abouts = 0;
    std::vector<std::string> helpPages;
    std::vector<CatalogChoice> choices;
    std::optional<fs::path> chosen;
    /// The options OK gives; Cancel without.
    std::optional<COptions> options;
    std::optional<ShotsParameters> shots;
    ShotsParameters shownShots;
    platform::com::ComPtr<IEventParams> practiceEvent;
};

/// Runs the program with its user folders in a temporary folder and every message box answered and recorded.
class ProgramTest : public platform::registry::testing::RegistryFixture {
protected:
    ProgramTest()
    {
        setEnvironment("HOME", folder().c_str());
        setEnvironment("XDG_DATA_HOME", nullptr);
        SetMessageBoxAnswerer([this](const MessageBoxRequest& box) {
            boxes.push_back(box);
            return box.text.startsWith(QStringLiteral("Document was changed")) ? IDNO : IDYES;
        });
    }
    ~ProgramTest() override { SetMessageBoxAnswerer({}); }

    /// Runs the program; `whileRunning` gets the frame once its loop runs.
    int run(std::vector<std::string> arguments, std::function<void(MainFrame&)> whileRunning = {})
    {
        if (whileRunning) {
            return testsupport::RunProgramWith(arguments, dialogs, whileRunning);
        }
        const std::vector<std::string_view> views(arguments.begin(), arguments.end());
        return RunProgram(views, dialogs);
    }

    fs::path practice(int matchShots, int sightingShots)
    {
        const fs::path path = folder() / "practice.talvo";
        talvowatch::testsupport::PracticeSpec spec;
        spec.matchShots = matchShots;
        spec.sightingShots = sightingShots;
        EXPECT_TRUE(talvowatch::testsupport::writePractice(path, spec));
        return path;
    }

    AnsweringDialogs dialogs;
    std::vector<MessageBoxRequest> boxes;
};

TEST_F(ProgramTest, OpensThePracticeSwitchesEveryViewRunsTheCommandsAndSavesThePlacement)
{
    const fs::path file = practice(60, 2);
    const fs::path copies = folder() / "copies";
    fs::create_directories(copies);
    dialogs.folder = copies;
    std::vector<cmd::Id> ran;
    const int code = run({file.string()}, [&](MainFrame& frame) {
        QObject::connect(&frame, &MainFrame::commandRan, &frame,
                         [&](int id) { ran.push_back(static_cast<cmd::Id>(id)); });
        EXPECT_TRUE(frame.isVisible());
        EXPECT_TRUE(frame.document().IsValid());
        EXPECT_EQ(frame.matchShots(), 60U);
        EXPECT_EQ(frame.sightingShots(), 2U);
        EXPECT_EQ(frame.windowTitle().toStdString().find("Ann - AR10 - "), 0U) << frame.windowTitle().toStdString();
        for (const cmd::Id view : cmd::kViews) {
            frame.runCommand(view);
            EXPECT_EQ(frame.currentView(), view);
            EXPECT_TRUE(frame.action(view)->isChecked());
        }
        // Without expert mode the expert views are refused and the current one falls back to the info view.
        frame.runCommand(cmd::ExpertMode);
        EXPECT_EQ(frame.currentView(), cmd::ViewInfo);
        frame.runCommand(cmd::ViewProbability);
        EXPECT_EQ(frame.currentView(), cmd::ViewInfo);
        frame.runCommand(cmd::ExpertMode);

        for (const cmd::Id id : {cmd::FileSave,
                                 cmd::ViewToolbar,
                                 cmd::ViewToolbar,
                                 cmd::ViewStatusBar,
                                 cmd::ViewStatusBar,
                                 cmd::Series,
                                 cmd::ShotList,
                                 cmd::ShotList,
                                 cmd::DisplaySightings,
                                 cmd::DisplaySightings,
                                 cmd::FullScreen,
                                 cmd::FullScreen,
                                 cmd::Sound,
                                 cmd::Sound,
                                 cmd::About,
                                 cmd::Help,
                                 cmd::WebPage,
                                 cmd::FileOpen,
                                 cmd::SendToFolder,
                                 cmd::ClosePane,
                                 static_cast<cmd::Id>(0x8029)}) {
            frame.runCommand(id);
        }
        EXPECT_EQ(dialogs.abouts, 1);
        EXPECT_EQ(dialogs.helpPages, (std::vector<std::string>{"index.html", "index.html"}));
        EXPECT_FALSE(frame.isFullScreenMode());
        EXPECT_EQ(std::distance(fs::directory_iterator(copies), fs::directory_iterator()), 1);
        platform::com::Bstr name;
        EXPECT_TRUE(frame.document().GetFileName(name));
        EXPECT_EQ(platform::com::utf16ToUtf8(name.view()), file.string());

        frame.runCommand(cmd::DeleteSightingShots);
        EXPECT_EQ(frame.sightingShots(), 0U);
        EXPECT_TRUE(frame.document().IsModified());
        frame.runCommand(cmd::Exit);
    });
    EXPECT_EQ(code, 0);
    EXPECT_GE(ran.size(), 30U);
    ASSERT_EQ(boxes.size(), 2U);
    EXPECT_EQ(boxes[0].text.toStdString(), "Do you want to delete all sighting shots?");
    EXPECT_EQ(boxes[1].text.toStdString(), "Document was changed. Save changes to this file?");

    const auto root = OpenSettingsRoot();
    ASSERT_TRUE(root);
    EXPECT_TRUE(LoadFrameSettings(*root).windowRect);
    EXPECT_TRUE(root->dword(u"Zoomed"));
    EXPECT_TRUE(OpenSettingsSubkey(u"ReBar")->dword(u"60161"));
}

TEST_F(ProgramTest, AFileThatCannotBeReadShowsTheReadErrorAndEnds)
{
    const fs::path broken = folder() / "broken.talvo";
    std::ofstream(broken) << "not a practice";
    const std::vector<std::pair<fs::path, std::string>> cases = {
        {broken, "the file is not a practice"},
        {folder() / "missing.talvo", "No such file or directory"},
    };
    for (const auto& [file, reason] : cases) {
        boxes.clear();
        EXPECT_EQ(run({file.string()}), 0);
        ASSERT_EQ(boxes.size(), 1U);
        const QStringList lines = boxes[0].text.split(QLatin1Char('\n'));
        ASSERT_EQ(lines.size(), 2) << boxes[0].text.toStdString();
        EXPECT_EQ(lines[0].toStdString(), "Unable to load file.");
        EXPECT_NE(lines[1].toStdString().find(reason), std::string::npos) << lines[1].toStdString();
        EXPECT_EQ(boxes[0].caption.toStdString(), file.string());
        EXPECT_EQ(boxes[0].type & MB_ICONERROR, MB_ICONERROR);
        EXPECT_FALSE(LoadFrameSettings(*OpenSettingsRoot()).windowRect); // never shown as running
    }
}

TEST_F(ProgramTest, OptionsAndShotsParametersTakeWhatTheirDialogsAnswer)
{
    const fs::path file = practice(10, 0);
    run({file.string()}, [&](MainFrame& frame) {
        auto* status = frame.statusBar()->findChild<QLabel*>();
        ASSERT_NE(status, nullptr);
        frame.runCommand(cmd::Options); // cancelled
        EXPECT_EQ(status->text().toStdString(), "Press F1 for help");

        COptions edited;
        edited.piezoRejectInterval = 2.5F;
        dialogs.options = edited;
        frame.runCommand(cmd::Options);
        EXPECT_EQ(status->text().toStdString(), "PiezoRejectInterval = 2.5");
        COptions stored;
        (void)stored.Load(*OpenSettingsRoot());
        EXPECT_FLOAT_EQ(stored.piezoRejectInterval, 2.5F);

        CTalvoData& data = frame.document();
        const ShotsParameters before{data.CentreGroup() ? 1 : 0, data.DispersionValue(),
                                     data.RealBreachTime(),      static_cast<std::int32_t>(data.FCoefficient()),
                                     data.ControlInterval(),     static_cast<std::int32_t>(data.ControlInterval2())};
        frame.runCommand(cmd::ShotsParameters); // cancelled
        EXPECT_EQ(dialogs.shownShots, before);
        dialogs.shots = ShotsParameters{1, 12.5F, -0.25F, 40, 0.5F, 3};
        frame.runCommand(cmd::ShotsParameters);
        EXPECT_EQ(data.FCoefficient(), 40);
        EXPECT_FLOAT_EQ(data.ControlInterval(), 0.5F);
        EXPECT_EQ(data.ControlInterval2(), 3);
        EXPECT_FLOAT_EQ(data.RealBreachTime(), -0.25F);
        EXPECT_FLOAT_EQ(data.DispersionValue(), 12.5F);
        EXPECT_TRUE(data.CentreGroup());
        frame.close();
    });
}

TEST_F(ProgramTest, OpenAndOpenModelAskTheCatalogForTheDocumentsEventAndOpenItsAnswer)
{
    const fs::path file = practice(10, 0);
    const fs::path model = folder() / "model.talvo";
    talvowatch::testsupport::PracticeSpec spec;
    spec.shooter = u"Bob";
    ASSERT_TRUE(talvowatch::testsupport::writePractice(model, spec));
    run({file.string()}, [&](MainFrame& frame) {
        dialogs.chosen = model;
        frame.runCommand(cmd::OpenModel);
        EXPECT_TRUE(frame.document().IsModelValid());
        frame.runCommand(cmd::OpenModel);
        frame.runCommand(cmd::FileOpen);
        platform::com::Bstr name;
        EXPECT_TRUE(frame.document().GetFileName(name));
        EXPECT_EQ(platform::com::utf16ToUtf8(name.view()), model.string());
        frame.close();
    });
    ASSERT_EQ(dialogs.choices.size(), 3U);
    const auto fields = [](const CatalogChoice& choice) {
        return std::vector<std::string>{choice.caption.toStdString(), platform::com::utf16ToUtf8(choice.eventFilter),
                                        platform::com::utf16ToUtf8(choice.event),
                                        platform::com::utf16ToUtf8(choice.shooter)};
    };
    // The model's shooter is selected once a model is open; Open lists every event.
    EXPECT_EQ(fields(dialogs.choices[0]),
              (std::vector<std::string>{"Open model", "Air Rifle 10 Meters", "Air Rifle 10 Meters", ""}));
    EXPECT_EQ(fields(dialogs.choices[1]),
              (std::vector<std::string>{"Open model", "Air Rifle 10 Meters", "Air Rifle 10 Meters", "Bob"}));
    EXPECT_EQ(fields(dialogs.choices[2]), (std::vector<std::string>{"Open", "", "Air Rifle 10 Meters", "Ann"}));
}

TEST_F(ProgramTest, ToolBarButtonsTakeTheirIconsFromTheIconThemeOrShowTheirTexts)
{
    // A theme of two icons stands in for the desktop's.
    const fs::path themes = folder() / "icons";
    fs::create_directories(themes / "desktop" / "16x16" / "actions");
    std::ofstream(themes / "desktop" / "index.theme")
        << "[Icon Theme]\nName=desktop\nDirectories=16x16/actions\n[16x16/actions]\nSize=16\nType=Fixed\n";
    QImage picture(16, 16, QImage::Format_ARGB32);
    picture.fill(Qt::darkGreen);
    for (const char* name : {"document-open", "media-playback-start"}) {
        ASSERT_TRUE(picture.save(QString::fromStdString((themes / "desktop" / "16x16" / "actions").string()) +
                                 QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png")));
    }
    const QStringList searchPaths = QIcon::themeSearchPaths();
    const QString theme = QIcon::themeName();
    const QString fallback = QIcon::fallbackThemeName();
    QIcon::setThemeSearchPaths({QString::fromStdString(themes.string())});
    QIcon::setThemeName(QStringLiteral("desktop"));
    QIcon::setFallbackThemeName(QStringLiteral("desktop"));
    run({}, [&](MainFrame& frame) {
        auto* bar = frame.findChild<QToolBar*>(QStringLiteral("MainToolBar"));
        ASSERT_NE(bar, nullptr);
        struct Case {
            cmd::Id id;
            const char* text;
            bool icon;
        };
        for (const Case& c : {Case{cmd::FileOpen, "&Open...", true},
                              Case{cmd::StartPractice, "&Start Practice...", true}, Case{cmd::Match, "Match", false}}) {
            SCOPED_TRACE(c.text);
            const auto actions = bar->actions();
            const auto found = std::find_if(actions.begin(), actions.end(),
                                            [&](const QAction* a) { return a->data().toInt() == c.id; });
            ASSERT_NE(found, actions.end());
            EXPECT_EQ(c.icon, !(*found)->icon().isNull());
            EXPECT_EQ(c.text, (*found)->text().toStdString()); // shown when there is no icon, else the tip
        }
        frame.runCommand(cmd::Exit);
    });
    QIcon::setThemeSearchPaths(searchPaths);
    QIcon::setThemeName(theme);
    QIcon::setFallbackThemeName(fallback);
}

TEST_F(ProgramTest, ARegisteredLiveDataClientHearsThePracticeStop)
{
    setEnvironment("XDG_RUNTIME_DIR", folder().c_str());
    dialogs.practiceEvent = talvodata::testsupport::shippedEvent("AR10");
    auto client = platform::ipc::DatagramSocket::bindAnonymous();
    ASSERT_TRUE(client);
    std::vector<LiveDataPacket> heard;
    run({}, [&](MainFrame& frame) {
        // Over the program's own device class, which needs a sensor.
        platform::com::ClassTable::instance().registerClass(
            {talvolink::CLSID_TalvoDevice, "Test.TalvoDevice.1", "Test.TalvoDevice", [](REFIID riid, void** object) {
                 return platform::com::makeComObject<testsupport::FakeTalvoDevice>()->QueryInterface(riid, object);
             }});
        const LiveDataDatagram registration(LiveDataMessage::Register, 1, 0);
        (void)(*client)->sendTo((folder() / "talvo" / kLiveDataSocketName).string(), registration.bytes());
        QTest::qWait(50); // the frame's socket notifier takes the registration
        frame.runCommand(cmd::StopPractice);
        EXPECT_FALSE((*client)->receive()) << "no practice ran";
        frame.runCommand(cmd::StartPractice);
        ASSERT_TRUE(frame.devicePresent());
        frame.runCommand(cmd::StopPractice);
        EXPECT_FALSE(frame.devicePresent());
        while (const auto datagram = (*client)->receive()) {
            if (const auto packet = decodeLiveData(datagram->bytes)) {
                heard.push_back(*packet);
            }
        }
        frame.close();
    });
    ASSERT_EQ(heard.size(), 1U);
    EXPECT_EQ(heard[0].message, LiveDataMessage::State);
    EXPECT_EQ(heard[0].wParam, 5U);
}

std::set<std::string> tree(const fs::path& folder)
{
    std::set<std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        entries.insert(fs::relative(entry.path(), folder).string());
    }
    return entries;
}

TEST_F(ProgramTest, RegisterThenUnregisterCreateNoWindowAndLeaveTheDataFolderAsBefore)
{
    const fs::path data = folder() / "data";
    fs::create_directories(data / "applications");
    setEnvironment("XDG_DATA_HOME", data.c_str());
    const auto before = tree(data);
    EXPECT_EQ(run({"/Register"}), 0);
    EXPECT_TRUE(fs::exists(data / "applications" / "talvodesk.desktop"));
    EXPECT_TRUE(fs::exists(data / "mime" / "packages" / "talvo-practice.xml"));
    EXPECT_EQ(run({"-Unregserver"}), 0);
    EXPECT_EQ(tree(data), before);
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
}

TEST_F(ProgramTest, StartClearsWhatKilledSavesLeftInTheFoldersItWrites)
{
    const pid_t ended = platform::fs::testing::endedProcess();
    ASSERT_GT(ended, 0);
    char writer[16];
    std::snprintf(writer, sizeof writer, "%x", static_cast<unsigned>(ended));
    const std::string partial = std::string(".") + writer + ".0.1a2b3c.0";
    const fs::path catalog = folder() / "Talvo catalog";
    const fs::path removed[] = {
        catalog / (".ann.talvo" + partial),
        catalog / "Ann" / "AR10" / (".bob.talvo" + partial),
        userHive().parent_path() / (".user.reg" + partial),
    };
    const fs::path kept[] = {
        catalog / "ann.talvo",
        catalog / ".ann.talvo",                      // hidden, but no partial file
        catalog / "Ann" / ("notes.talvo" + partial), // not hidden
    };
    for (const auto& list : {std::span<const fs::path>(removed), std::span<const fs::path>(kept)}) {
        for (const fs::path& path : list) {
            fs::create_directories(path.parent_path());
            writeText(path, "partial");
        }
    }
    EXPECT_EQ(0, run({}, [&](MainFrame&) {
                  for (const fs::path& path : removed) {
                      EXPECT_FALSE(fs::exists(path)) << path;
                  }
                  for (const fs::path& path : kept) {
                      EXPECT_TRUE(fs::exists(path)) << path;
                  }
              }));
}

TEST_F(ProgramTest, PlainKeysStayWithTextEntryAndEscapeNeverEntersFullScreen)
{
    std::vector<int> ran;
    run({}, [&](MainFrame& frame) {
        QObject::connect(&frame, &MainFrame::commandRan, &frame, [&](int id) { ran.push_back(id); });
        QApplication::setActiveWindow(&frame);
        auto* entry = new QLineEdit(&frame);
        entry->show();
        entry->setFocus();
        frame.action(cmd::Replay)->setEnabled(true);
        QTest::keyClick(entry, Qt::Key_Space);
        EXPECT_EQ(entry->text().toStdString(), " ");
        entry->clearFocus();
        frame.setFocus();
        QTest::keyClick(&frame, Qt::Key_Space);
        EXPECT_EQ(ran, std::vector<int>{cmd::Replay});

        QTest::keyClick(&frame, Qt::Key_Escape);
        QCoreApplication::processEvents(); // the key rules post their commands
        EXPECT_FALSE(frame.isFullScreenMode());
        frame.runCommand(cmd::FullScreen);
        EXPECT_TRUE(frame.isFullScreenMode());
        QTest::keyClick(&frame, Qt::Key_Escape);
        QCoreApplication::processEvents();
        EXPECT_FALSE(frame.isFullScreenMode());
        frame.close();
    });
}

TEST_F(ProgramTest, EscapeClosesThePrintPreviewBeforeItLeavesFullScreen)
{
    run({practice(10, 0).string()}, [&](MainFrame& frame) {
        QApplication::setActiveWindow(&frame);
        auto* preview = frame.findChild<QToolBar*>(QStringLiteral("PreviewToolBar"));
        ASSERT_NE(preview, nullptr);
        // Keys typed in a focused child of the frame meet the rules too.
        auto* button = new QPushButton(&frame);
        button->show();
        button->setFocus();
        frame.runCommand(cmd::FullScreen);
        frame.runCommand(cmd::PrintPreview);
        EXPECT_TRUE(preview->isVisible());
        QTest::keyClick(button, Qt::Key_Escape);
        QCoreApplication::processEvents();
        EXPECT_FALSE(preview->isVisible());
        EXPECT_TRUE(frame.isFullScreenMode());
        QTest::keyClick(button, Qt::Key_Escape);
        QCoreApplication::processEvents();
        EXPECT_FALSE(frame.isFullScreenMode());
        frame.close();
    });
}

TEST_F(ProgramTest, HideShotAsksFirstAndItsItemOffersToRestoreAHiddenShot)
{
    const fs::path file = practice(3, 0);
    run({file.string()}, [&](MainFrame& frame) {
        QAction* item = frame.action(cmd::HideShot);
        EXPECT_EQ(item->text().toStdString(), "Hide shot");
        // With hidden shots displayed, the shot hidden stays current.
        frame.runCommand(cmd::DisplayHiddenShots);
        frame.runCommand(cmd::HideShot);
        EXPECT_EQ(item->text().toStdString(), "Restore shot");
        frame.runCommand(cmd::DisplayHiddenShots);
        EXPECT_EQ(frame.matchShots(), 2U);
        frame.runCommand(cmd::DisplayHiddenShots);
        frame.runCommand(cmd::HideShot);
        EXPECT_EQ(item->text().toStdString(), "Hide shot");
        EXPECT_EQ(frame.matchShots(), 3U);
        frame.runCommand(cmd::DisplayAllTraces);
        EXPECT_TRUE(frame.action(cmd::DisplayAllTraces)->isChecked());
        frame.close();
    });
    ASSERT_GE(boxes.size(), 2U);
    EXPECT_EQ(boxes[0].text.toStdString(), "Do you want to hide this shot?");
    EXPECT_EQ(boxes[1].text.toStdString(), "Do you want to restore this hidden shot?");
    EXPECT_EQ(boxes[0].type & (MB_YESNO | MB_ICONERROR | MB_ICONQUESTION), MB_YESNO | MB_ICONQUESTION);
}

} // namespace

namespace {

/// The texts of a popup's items, separators left out.
std::vector<std::string> itemTexts(const QMenu* menu)
{
    std::vector<std::string> texts;
    for (const QAction* item : menu->actions()) {
        if (!item->isSeparator()) {
            texts.push_back(item->text().toStdString());
        }
    }
    return texts;
}

std::string toolTipOf(MainFrame& frame, cmd::Id id)
{
    for (const QAction* button : frame.findChild<QToolBar*>(QStringLiteral("MainToolBar"))->actions()) {
        if (button->data().toInt() == id) {
            return button->toolTip().toStdString();
        }
    }
    return {};
}

} // namespace

TEST_F(ProgramTest, SwitchingToGermanAndBackReloadsTheMenusTipsAndHints)
{
    run({}, [&](MainFrame& frame) {
        const auto fileMenu = [&frame] { return frame.menuBar()->actions().front(); };
        frame.runCommand(0x8070);
        ASSERT_TRUE(boxes.empty()) << boxes.front().text.toStdString();
        EXPECT_EQ(fileMenu()->text().toStdString(), "&Datei");
        EXPECT_EQ(itemTexts(fileMenu()->menu()),
                  (std::vector<std::string>{"Training &starten...", "Ö&ffnen...", "&Speichern", "&Vergleich öffnen...",
                                            "Vergleich schl&ießen", "&Drucken...", "Seiten&ansicht",
                                            "Drucker&einrichtung...", "Senden &an", "&Beenden"}));
        EXPECT_EQ(toolTipOf(frame, cmd::FileOpen), "Öffnen");
        EXPECT_EQ(frame.action(cmd::StartPractice)->statusTip().toStdString(),
                  "Ein neues Training mit dem Sensor beginnen");
        EXPECT_EQ(frame.action(0x8029)->text().toStdString(), "Englisch");
        EXPECT_TRUE(frame.action(0x8070)->isChecked());
        EXPECT_EQ(frame.statusBar()->findChild<QLabel*>()->text().toStdString(), "F1 drücken für Hilfe");

        frame.runCommand(0x8029);
        EXPECT_EQ(fileMenu()->text().toStdString(), "&File");
        EXPECT_EQ(itemTexts(fileMenu()->menu()),
                  (std::vector<std::string>{"&Start Practice...", "&Open...", "&Save", "Open &model...", "Cl&ose model",
                                            "&Print...", "Print Pre&view", "P&rint Setup...", "Sen&d to", "E&xit"}));
        EXPECT_EQ(toolTipOf(frame, cmd::FileOpen), "Open");
        EXPECT_EQ(frame.action(cmd::StartPractice)->statusTip().toStdString(), "Start a new practice with the sensor");
        EXPECT_EQ(frame.statusBar()->findChild<QLabel*>()->text().toStdString(), "Press F1 for help");
    });
}
