#include "talvodesk/app/FrameDialogs.h"
#include "talvodesk/app/MainFrame.h"
#include "talvodesk/app/MessageBoxes.h"
#include "talvodesk/app/Program.h"
#include "talvodesk/core/options/Options.h"
#include "talvodesk/core/program/ServerLockMonitor.h"
#include "talvowatch/tests/support/PracticeFile.h"

#include "platform/registry/tests/support/RegistryFixture.h"
#include "platform/time/Clock.h"

#include <QApplication>
#include <QDialog>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QStatusBar>
#include <QToolBar>
#include <QUrl>

#include <vector>

using namespace talvodesk;
namespace fs = std::filesystem;

namespace {

/// One frame over a temporary settings folder, with its own language folder and recorded message boxes.
class FrameWindowTest : public platform::registry::testing::RegistryFixture {
protected:
    FrameWindowTest()
    {
        fs::create_directories(folder() / "lang");
        SetMessageBoxAnswerer([this](const MessageBoxRequest& box) {
            boxes.push_back(box);
            return IDOK;
        });
        (void)module.Init(environment);
        frame = std::make_unique<MainFrame>(
            MainFrame::Services{module, environment, options, monitor, clock, dialogs, {}, NewShotCollection});
    }
    ~FrameWindowTest() override
    {
        frame.reset();
        SetMessageBoxAnswerer({});
    }

    fs::path practice(const char* name, int matchShots)
    {
        talvowatch::testsupport::PracticeSpec spec;
        spec.matchShots = matchShots;
        const fs::path path = folder() / name;
        EXPECT_TRUE(talvowatch::testsupport::writePractice(path, spec));
        return path;
    }

    bool buttonShown(const char* toolBar, cmd::Id id)
    {
        auto* bar = frame->findChild<QToolBar*>(QString::fromLatin1(toolBar));
        for (QAction* button : bar ? bar->actions() : QList<QAction*>()) {
            if (button->data().toInt() == id) {
                return button->isVisible();
            }
        }
        ADD_FAILURE() << "no button " << id;
        return false;
    }

    platform::time::SystemClock clock;
    CTalvoAppModule module;
    CTalvoAppModule::Environment environment{nullptr, 0x409, folder() / "lang", folder() / "help"};
    COptions options;
    ServerLockMonitor monitor{clock, [] {}};
    FrameDialogs dialogs;
    std::unique_ptr<MainFrame> frame;
    std::vector<MessageBoxRequest> boxes;
};

/// The direction of a dialog opened over the frame now, a window of its own.
Qt::LayoutDirection dialogDirection(QWidget* owner)
{
    const QDialog later(owner);
    return later.layoutDirection();
}

TEST_F(FrameWindowTest, LanguageSwitchMirrorsForArabicAndKeepsTheLanguageWhenAFileFails)
{
    writeText(folder() / "lang" / "talvoara.lang", "128\tArabic title\n");
    frame->runCommand(0x806C);
    EXPECT_EQ(module.m_lcid, 1025U);
    EXPECT_EQ(frame->layoutDirection(), Qt::RightToLeft);
    EXPECT_EQ(dialogDirection(frame.get()), Qt::RightToLeft);
    EXPECT_TRUE(frame->action(0x806C)->isChecked());

    frame->runCommand(0x8070); // German: no file
    ASSERT_EQ(boxes.size(), 1U);
    EXPECT_EQ(boxes[0].text.toStdString(),
              "Unable to switch language. Please make sure all the files were installed properly.");
    EXPECT_EQ(boxes[0].type, MB_OK | MB_ICONERROR | MB_TASKMODAL | MB_RTLREADING);
    EXPECT_EQ(module.m_lcid, 1025U);
    EXPECT_EQ(frame->layoutDirection(), Qt::RightToLeft);

    frame->runCommand(0x8029);
    EXPECT_EQ(module.m_lcid, 1033U);
    EXPECT_EQ(frame->layoutDirection(), Qt::LeftToRight);
    EXPECT_EQ(dialogDirection(frame.get()), Qt::LeftToRight);
}

TEST_F(FrameWindowTest, AFrameMadeInTheLanguageInForceStartsInItsDirection)
{
    writeText(folder() / "lang" / "talvoara.lang", "128\tArabic title\n");
    const struct {
        LCID locale;
        Qt::LayoutDirection direction;
    } starts[] = {{1025, Qt::RightToLeft}, {1033, Qt::LeftToRight}}; // English after Arabic: back to left to right
    for (const auto& start : starts) {
        SCOPED_TRACE(start.locale);
        frame.reset();
        module.SetLanguage(start.locale, environment);
        frame = std::make_unique<MainFrame>(
            MainFrame::Services{module, environment, options, monitor, clock, dialogs, {}, NewShotCollection});
        EXPECT_EQ(frame->layoutDirection(), start.direction);
        EXPECT_EQ(frame->findChild<QStatusBar*>()->layoutDirection(), start.direction);
        EXPECT_EQ(dialogDirection(frame.get()), start.direction);
    }
}

TEST_F(FrameWindowTest, ExpertModeHidesButtonsWithoutDisablingThemAndF7DoesNothing)
{
    ASSERT_TRUE(frame->openFile(practice("practice.talvo", 10)));
    EXPECT_TRUE(buttonShown("ViewsToolBar", cmd::ViewCoordination));
    frame->runCommand(cmd::ExpertMode);
    EXPECT_FALSE(options.advancedMode);
    EXPECT_FALSE(buttonShown("ViewsToolBar", cmd::ViewCoordination));
    EXPECT_TRUE(frame->action(cmd::ViewCoordination)->isEnabled());
    EXPECT_TRUE(buttonShown("ViewsToolBar", cmd::ViewTrace));
    EXPECT_FALSE(frame->findChild<QToolBar*>(QStringLiteral("DisplayToolBar"))->isVisibleTo(frame.get()));
    frame->runCommand(cmd::ViewCoordination);
    EXPECT_EQ(frame->currentView(), cmd::ViewInfo);
}

TEST_F(FrameWindowTest, DroppingFilesOpensOnlyTheFirst)
{
    const fs::path first = practice("first.talvo", 3);
    const fs::path second = practice("second.talvo", 5);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(first.string())),
                  QUrl::fromLocalFile(QString::fromStdString(second.string()))});
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    // Straight to the window: the application routes drops only to the target of a running drag.
    static_cast<QObject*>(frame.get())->event(&drop);
    EXPECT_EQ(frame->matchShots(), 3U);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(FrameWindowTest, ProgressBarSitsInTheStatusBarUntilEnded)
{
    EXPECT_TRUE(frame->BeginProgress(0));
    ASSERT_NE(frame->progressBar(), nullptr);
    EXPECT_EQ(frame->progressBar()->width(), 150);
    frame->EndProgress();
    EXPECT_EQ(frame->progressBar(), nullptr);

    // What the status bar says when each progress bar of loading and saving appears.
    struct BarSpy final : QObject {
        bool eventFilter(QObject* watched, QEvent* event) override
        {
            if (event->type() == QEvent::ChildAdded) {
                std::string text = static_cast<QWidget*>(watched)->findChild<QLabel*>()->text().toStdString();
                if (texts.empty() || texts.back() != text) { // a bar comes with more than one child
                    texts.push_back(std::move(text));
                }
            }
            return false;
        }
        std::vector<std::string> texts;
    } spy;
    frame->statusBar()->installEventFilter(&spy);
    ASSERT_TRUE(frame->openFile(practice("practice.talvo", 2)));
    frame->document().SetModified();
    frame->runCommand(cmd::FileSave);
    frame->statusBar()->removeEventFilter(&spy);
    EXPECT_EQ(spy.texts, (std::vector<std::string>{"Opening document...", "Saving document..."}));
    EXPECT_EQ(frame->statusBar()->findChild<QLabel*>()->text().toStdString(), "Press F1 for help");
}

} // namespace
