#include "talvodesk/app/FrameDialogs.h"
#include "talvodesk/app/MainFrame.h"
#include "talvodesk/app/MessageBoxes.h"
#include "talvodesk/app/ResText.h"
#include "talvodesk/app/tests/support/ProgramRun.h"
#include "talvodesk/core/frame/LanguageCommands.h"
#include "talvodesk/core/options/AppModule.h"
#include "talvodesk/core/options/Options.h"
#include "talvodesk/core/options/Settings.h"
#include "talvodesk/core/options/StringTable.h"
#include "talvodesk/core/testing/FakeTalvoDevice.h"
#include "talvodesk/views/DistanceView.h"
#include "talvodesk/views/InfoView.h"
#include "talvodesk/views/SeriesView.h"
#include "talvowatch/CatalogServer.h"
#include "talvowatch/TrayModel.h"
#include "talvowatch/tests/support/PracticeFile.h"

#include "talvodata/tests/support/Events.h"

#include "catalogcache/CatalogLocation.h"
#include "interfaces/talvolink/Guids.h"
#include "platform/com/ClassTable.h"
#include "platform/fs/ProgramFolder.h"
#include "platform/registry/tests/support/RegistryFixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QGlyphRun>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <QTextDocumentFragment>
#include <QTextLayout>
#include <QTimer>
#include <QToolBar>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

using namespace talvodesk;
namespace fs = std::filesystem;

namespace {

constexpr LCID kEnglish = 1033;
constexpr LCID kArabic = 1025;
constexpr LCID kGerman = 1031;

cmd::Id languageCommand(LCID locale)
{
    for (const LanguageCommand& language : LanguageMenu()) {
        if (language.locale == locale) {
            return language.id;
        }
    }
    ADD_FAILURE() << "no Language menu item for " << locale;
    return 0;
}

/// The table the program loads for the locale, from the shipped files; nothing when none ships.
std::optional<StringTable> shippedTable(LCID locale)
{
    if (locale == kEnglish) {
        return StringTable::english();
    }
    const fs::path file = platform::fs::dataFolder("lang") / (std::string(LanguageFilesOf(locale)->library) + ".lang");
    if (!fs::exists(file)) {
        return std::nullopt;
    }
    auto table = StringTable::load(file);
    EXPECT_TRUE(table) << table.error().detail;
    return table ? std::optional(std::move(*table)) : std::nullopt;
}

/// One line of a table's text; a command's entry is "<status hint>\n<tool tip>".
QString tableText(const StringTable& table, std::uint32_t number, int line)
{
    const std::u16string* text = table.find(number);
    return text ? QString::fromStdU16String(*text).section(QLatin1Char('\n'), line, line) : QString();
}

QString fileMenuItem(MainFrame& frame, int index)
{
    int at = 0;
    for (const QAction* item : frame.menuBar()->actions().front()->menu()->actions()) {
        if (!item->isSeparator() && at++ == index) {
            return item->text();
        }
    }
    return QStringLiteral("(no item %1)").arg(index);
}

QString toolTipOf(MainFrame& frame, cmd::Id id)
{
    for (const QAction* button : frame.findChild<QToolBar*>(QStringLiteral("MainToolBar"))->actions()) {
        if (button->data().toInt() == id) {
            return button->toolTip();
        }
    }
    return QStringLiteral("(no button)");
}

/// Runs `open`, which should show one window modally; `look` sees it once it is up, and then it is closed. False when
/// no window came.
bool whileModal(const std::function<void()>& open, const std::function<void(QWidget&)>& look)
{
    bool seen = false;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible()) {
            return;
        }
        if (!seen) {
            seen = true;
            look(*modal);
        }
        // Until `open` returns: a window shown again by its exec() after an early close is closed again.
        if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->reject();
        } else {
            modal->close();
        }
    });
    poll.start();
    open();
    return seen;
}

/// A text the user reads in the running program and the table number it comes from.
struct Shown {
    std::string what;
    std::uint32_t number;
    int line;
    std::function<QString(MainFrame&)> read;
};

std::vector<Shown> shownTexts()
{
    std::vector<Shown> shown{
        {"File menu", 35100, 0, [](MainFrame& frame) { return frame.menuBar()->actions().front()->text(); }},
        {"Open button's tip", cmd::FileOpen, 1, [](MainFrame& frame) { return toolTipOf(frame, cmd::FileOpen); }},
        {"info page title", 34305, 0,
         [](MainFrame& frame) {
             auto* view = dynamic_cast<CInfoView*>(frame.findChild<QWidget*>(QStringLiteral("InfoView")));
             auto* title = qobject_cast<QLabel*>(view->element(QStringLiteral("idAdditionalInfoTitle")));
             return title ? title->text() : QStringLiteral("(no title)");
         }},
        {"series header", 62101, 0,
         [](MainFrame& frame) {
             auto* view = dynamic_cast<CSeriesView*>(frame.findChild<QWidget*>(QStringLiteral("SeriesView")));
             return QString::fromStdU16String(view->logic().group(1).series.front()->header.cells[ColumnResult].text);
         }},
        {"catalog dialog's Cancel button", kCancelText, 0,
         [](MainFrame& frame) {
             QString cancel = QStringLiteral("(no dialog)");
             whileModal([&] { frame.runCommand(cmd::FileOpen); },
                        [&](QWidget& dialog) {
                            for (const QPushButton* button : dialog.findChildren<QPushButton*>()) {
                                if (!button->isDefault()) {
                                    cancel = button->text();
                                }
                            }
                        });
             return cancel;
         }},
        {"distance chart's title", 61500, 0,
         [](MainFrame& frame) {
             auto* view = dynamic_cast<CDistanceView*>(frame.findChild<QWidget*>(QStringLiteral("DistanceView")));
             return QString::fromStdU16String(view->graph().distance().m_xTitle);
         }},
    };
    const std::uint32_t fileItems[] = {35000, 35001, 35002, 35003, 35004, 35005, 35006, 35007, 35106, 35013};
    for (int i = 0; i < static_cast<int>(std::size(fileItems)); ++i) {
        shown.push_back({"File menu item " + std::to_string(i + 1), fileItems[i], 0,
                         [i](MainFrame& frame) { return fileMenuItem(frame, i); }});
    }
    return shown;
}

/// The program's own dialogs; the start-practice dialog is skipped, its device connected, while `connect` is set.
class RealDialogs final : public FrameDialogs {
public:
    std::optional<StartPracticeChoice> startPractice(QWidget* owner, const StartPracticeRequest& request) override
    {
        if (!connect) {
            return FrameDialogs::startPractice(owner, request);
        }
        if (FAILED(request.device->put_Connected(VARIANT_TRUE))) {
            return std::nullopt;
        }
        return StartPracticeChoice{talvodata::testsupport::shippedEvent("AR10"), u"Ann", -1, u"FAKE-0001"};
    }

    bool connect = false;
};

class LanguageProgramTest : public platform::registry::testing::RegistryFixture {
protected:
    LanguageProgramTest()
    {
        setEnvironment("HOME", folder().c_str());
        setEnvironment("XDG_DATA_HOME", nullptr);
        setEnvironment("XDG_CACHE_HOME", (folder() / "cache").c_str());
        setEnvironment("XDG_RUNTIME_DIR", (folder() / "run").c_str());
        fs::create_directories(folder() / "Talvo catalog");
        SetMessageBoxAnswerer([](const MessageBoxRequest&) { return IDNO; });
        // The catalog dialog starts the installed watcher when none runs; one in this process is stopped with it.
        const auto location = catalogcache::defaultCatalogLocation();
        EXPECT_TRUE(location.hasValue());
        auto server = talvowatch::CatalogServer::start(location.value(), folder() / "Talvo catalog", tray, {});
        EXPECT_TRUE(server.hasValue());
        watcher = std::move(server).value();
    }
    ~LanguageProgramTest() override
    {
        watcher.reset();
        SetMessageBoxAnswerer({});
    }

    fs::path practice()
    {
        const fs::path path = folder() / "Talvo catalog" / "practice.talvo";
        EXPECT_TRUE(talvowatch::testsupport::writePractice(path, {}));
        return path;
    }

    RealDialogs dialogs;
    talvowatch::TrayModel tray;
    std::unique_ptr<talvowatch::CatalogServer> watcher;
};

TEST_F(LanguageProgramTest, GermanFromTheLanguageMenuReadsFromTheGermanTableAndEnglishComesBack)
{
    const std::optional<StringTable> german = shippedTable(kGerman);
    ASSERT_TRUE(german) << "the German table ships";
    const std::vector<Shown> shown = shownTexts();
    std::vector<QString> inGerman;
    const int code = testsupport::RunProgramWith({practice().string()}, dialogs, [&](MainFrame& frame) {
        frame.runCommand(languageCommand(kGerman));
        for (const Shown& text : shown) {
            SCOPED_TRACE("German " + text.what);
            const QString expected = tableText(*german, text.number, text.line);
            EXPECT_FALSE(expected.isEmpty());
            inGerman.push_back(text.read(frame));
            EXPECT_EQ(inGerman.back().toStdString(), expected.toStdString());
        }
        frame.runCommand(languageCommand(kEnglish));
        for (std::size_t i = 0; i < shown.size(); ++i) {
            SCOPED_TRACE("English " + shown[i].what);
            const QString english = shown[i].read(frame);
            EXPECT_EQ(english.toStdString(),
                      tableText(StringTable::english(), shown[i].number, shown[i].line).toStdString());
            EXPECT_NE(english, inGerman[i]);
        }
    });
    EXPECT_EQ(code, 0);
}

TEST_F(LanguageProgramTest, ArabicMirrorsTheProgramAndItsLaterDialogsAndEnglishRestoresThem)
{
    const std::optional<StringTable> arabic = shippedTable(kArabic);
    if (!arabic) {
        GTEST_SKIP() << "no Arabic table ships";
    }
    const auto directions = [](MainFrame& frame) {
        const QDialog later(&frame);
        return std::vector{frame.layoutDirection(), frame.menuBar()->layoutDirection(), later.layoutDirection()};
    };
    const int code = testsupport::RunProgramWith({}, dialogs, [&](MainFrame& frame) {
        frame.runCommand(languageCommand(kArabic));
        EXPECT_EQ(frame.menuBar()->actions().front()->text(), tableText(*arabic, 35100, 0));
        EXPECT_EQ(directions(frame), std::vector(3, Qt::RightToLeft));
        frame.runCommand(languageCommand(kEnglish));
        EXPECT_EQ(directions(frame), std::vector(3, Qt::LeftToRight));
    });
    EXPECT_EQ(code, 0);
}

TEST(ScriptFontsTest, EveryScriptOfTheShippedLanguagesIsDrawnWithGlyphsOfAnInstalledFont)
{
    const struct {
        const char* script;
        const char16_t* sample;
    } samples[] = {
        {"Arabic", u"بدء التدريب"},
        {"Chinese (simplified)", u"开始练习"},
        {"Chinese (traditional)", u"開始練習"},
        {"Japanese", u"練習を開始します"},
        {"Korean", u"연습 시작"},
        {"Thai", u"เริ่มการฝึกซ้อม"},
        {"Cyrillic", u"Начать тренировку"},
        {"Vietnamese", u"Bắt đầu luyện tập"},
    };
    for (const auto& sample : samples) {
        SCOPED_TRACE(sample.script);
        QTextLayout layout(QString::fromStdU16String(sample.sample), QApplication::font());
        layout.beginLayout();
        (void)layout.createLine();
        layout.endLayout();
        const QList<QGlyphRun> runs = layout.glyphRuns();
        ASSERT_FALSE(runs.isEmpty());
        for (const QGlyphRun& run : runs) {
            // Glyph 0 is a font's box for a character it lacks.
            EXPECT_FALSE(run.glyphIndexes().contains(0U)) << run.rawFont().familyName().toStdString();
        }
    }
}

/// The folder the screenshots of the program's windows go to: TALVO_SCREENSHOT_DIR, else the build's.
fs::path screenshotFolder()
{
    const char* chosen = std::getenv("TALVO_SCREENSHOT_DIR");
    return chosen != nullptr && *chosen != '\0' ? fs::path(chosen) : fs::path(TALVO_SCREENSHOTS);
}

/// "QLabel "text": needs 120 x 16, has 100 x 16" when the text does not fit its room.
void noteClipped(std::vector<std::string>& clipped, const QWidget& widget, const QString& text, QSize needed,
                 QSize room)
{
    if (needed.width() > room.width() || needed.height() > room.height()) {
        clipped.push_back(QStringLiteral("%1 \"%2\": needs %3 x %4, has %5 x %6")
                              .arg(QString::fromLatin1(widget.metaObject()->className()), text)
                              .arg(needed.width())
                              .arg(needed.height())
                              .arg(room.width())
                              .arg(room.height())
                              .toStdString());
    }
}

/// A single-line label by its width, a word-wrapped one by its height at its width.
void checkLabel(std::vector<std::string>& clipped, const QLabel& label)
{
    const int margin = label.margin();
    const QRect room = label.contentsRect().adjusted(margin, margin, -margin, -margin);
    const bool rich =
        label.textFormat() == Qt::RichText || (label.textFormat() == Qt::AutoText && Qt::mightBeRichText(label.text()));
    const QString text = rich ? QTextDocumentFragment::fromHtml(label.text()).toPlainText() : label.text();
    // A label shows its mnemonic only for a buddy; else the "&" is drawn.
    const int mnemonic = label.buddy() != nullptr ? Qt::TextShowMnemonic : 0;
    if (label.wordWrap()) {
        const QRect needed =
            label.fontMetrics().boundingRect(QRect(0, 0, room.width(), 1 << 20), Qt::TextWordWrap | mnemonic, text);
        noteClipped(clipped, label, text, {0, needed.height()}, room.size());
    } else {
        const QRect needed = label.fontMetrics().boundingRect(QRect(0, 0, 1 << 20, 1 << 20), mnemonic, text);
        noteClipped(clipped, label, text, {needed.width(), 0}, room.size());
    }
}

/// A push button, check box or radio button by the width of the part its style draws the text in.
void checkButton(std::vector<std::string>& clipped, const QAbstractButton& button)
{
    QStyle::SubElement contents = QStyle::SE_PushButtonContents;
    if (qobject_cast<const QCheckBox*>(&button) != nullptr) {
        contents = QStyle::SE_CheckBoxContents;
    } else if (qobject_cast<const QRadioButton*>(&button) != nullptr) {
        contents = QStyle::SE_RadioButtonContents;
    } else if (qobject_cast<const QPushButton*>(&button) == nullptr) {
        return; // tool buttons show icons and tips
    }
    QStyleOptionButton option;
    option.initFrom(&button);
    option.text = button.text();
    option.icon = button.icon();
    option.iconSize = button.iconSize();
    const QRect room = button.style()->subElementRect(contents, &option, &button);
    int needed =
        button.fontMetrics().boundingRect(QRect(0, 0, 1 << 20, 1 << 20), Qt::TextShowMnemonic, button.text()).width();
    if (!button.icon().isNull()) {
        needed += button.iconSize().width() + 4;
    }
    noteClipped(clipped, button, button.text(), {needed, 0}, room.size());
}

/// The texts of the window's labels, buttons and check boxes in view that do not fit where they are drawn.
std::vector<std::string> clippedTexts(const QWidget& window)
{
    std::vector<std::string> clipped;
    for (const QLabel* label : window.findChildren<QLabel*>()) {
        if (label->isVisibleTo(&window) && !label->text().isEmpty()) {
            checkLabel(clipped, *label);
        }
    }
    for (const QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
        if (button->isVisibleTo(&window) && !button->text().isEmpty()) {
            checkButton(clipped, *button);
        }
    }
    return clipped;
}

/// Checks that every text of the window fits, and keeps its picture as `<language>/<name>.png`.
void lookAt(QWidget& window, const std::string& language, const std::string& name)
{
    SCOPED_TRACE(language + " " + name);
    for (const std::string& clipped : clippedTexts(window)) {
        ADD_FAILURE() << clipped;
    }
    const fs::path folder = screenshotFolder() / language;
    fs::create_directories(folder);
    EXPECT_TRUE(window.grab().save(QString::fromStdString((folder / (name + ".png")).string())));
}

struct Language {
    const char* name;
    LCID locale;
};

TEST_F(LanguageProgramTest, EveryDialogsTextsFitInEveryShippedLanguageOfTheLongestScripts)
{
    const fs::path file = practice();
    // The start-practice dialog lists the device's serial ports, so that it stays open.
    COptions options;
    options.enableRS232 = 1;
    ASSERT_TRUE(options.Save(*OpenSettingsRoot()).hasValue());
    struct Dialog {
        const char* name;
        cmd::Id command;
    };
    const Dialog modal[] = {
        {"about", cmd::About},
        {"options", cmd::Options},
        {"shots-parameters", cmd::ShotsParameters},
        {"catalog-open", cmd::FileOpen},
        {"page-setup", cmd::PrintSetup},
        {"print-target", cmd::PrintTarget},
        {"start-practice", cmd::StartPractice},
    };
    const Language languages[] = {{"English", kEnglish}, {"German", kGerman}, {"Russian", 1049},
                                  {"Arabic", kArabic},   {"Japanese", 1041},  {"Thai", 1054}};
    std::cout << "screenshots: " << screenshotFolder().string() << '\n';
    const int code = testsupport::RunProgramWith({file.string()}, dialogs, [&](MainFrame& frame) {
        // Over the program's own device class, which needs a sensor.
        platform::com::ClassTable::instance().registerClass(
            {talvolink::CLSID_TalvoDevice, "Test.TalvoDevice.1", "Test.TalvoDevice", [](REFIID riid, void** object) {
                 auto device = platform::com::makeComObject<testsupport::FakeTalvoDevice>();
                 device->lookupFinds = true;
                 return device->QueryInterface(riid, object);
             }});
        for (const Language& language : languages) {
            if (!shippedTable(language.locale)) {
                std::cout << "no " << language.name << " table ships: its dialogs are not looked at\n";
                continue;
            }
            frame.runCommand(languageCommand(language.locale));
            ASSERT_TRUE(frame.action(languageCommand(language.locale))->isChecked()) << language.name;
            const auto look = [&](const char* name) {
                return [&language, name](QWidget& window) { lookAt(window, language.name, name); };
            };
            for (const Dialog& dialog : modal) {
                EXPECT_TRUE(whileModal([&] { frame.runCommand(dialog.command); }, look(dialog.name)))
                    << language.name << " " << dialog.name << " did not open";
            }
            frame.runCommand(cmd::PrintPreview);
            QTest::qWait(100); // the pane is laid out and its first page drawn
            lookAt(frame, language.name, "print-preview");
            frame.runCommand(cmd::PreviewClose);

            SetMessageBoxAnswerer({}); // the box itself, not its answer
            EXPECT_TRUE(whileModal([&] { frame.runCommand(cmd::DeleteAllShots); }, look("message-box")));
            SetMessageBoxAnswerer([](const MessageBoxRequest&) { return IDNO; });

            dialogs.connect = true;
            frame.runCommand(cmd::StartPractice);
            dialogs.connect = false;
            EXPECT_TRUE(frame.devicePresent());
            EXPECT_TRUE(whileModal([&] { frame.runCommand(cmd::AdjustSensor); }, look("calibration")));
            frame.runCommand(cmd::StopPractice);
            EXPECT_TRUE(frame.openFile(file));
        }
        frame.runCommand(languageCommand(kEnglish));
    });
    EXPECT_EQ(code, 0);
}

} // namespace
