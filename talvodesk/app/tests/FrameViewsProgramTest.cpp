#include "talvodesk/app/FrameDialogs.h"
#include "talvodesk/app/MainFrame.h"
#include "talvodesk/app/MessageBoxes.h"
#include "talvodesk/app/tests/support/OptionsDialogDriver.h"
#include "talvodesk/app/tests/support/ProgramRun.h"
#include "talvodesk/core/frame/CommandIds.h"
#include "talvodesk/core/options/Options.h"
#include "talvodesk/views/SeriesView.h"
#include "talvodesk/views/TraceView.h"
#include "talvowatch/tests/support/PracticeFile.h"

#include "platform/registry/tests/support/RegistryFixture.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <functional>
#include <vector>

using namespace talvodesk;
namespace fs = std::filesystem;
using platform::com::ComPtr;

namespace {

/// A move of the pointer with no button held, delivered as the window system would.
void moveMouse(QWidget* widget, QPoint at)
{
    QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

/// The real dialogs, except that the options dialog may be driven by the test, or answered with a changed copy.
class DrivenDialogs final : public FrameDialogs {
public:
    std::optional<std::uint32_t> editOptions(QWidget* owner, COptions& live, const TextLookup& texts,
                                             const platform::registry::Key* root) override
    {
        if (change) {
            COptions copy = live;
            change(copy);
            flags = live.Assign(copy);
            return flags;
        }
        QTimer::singleShot(0, qApp, [this] {
            auto* dialog = qobject_cast<COptionsDlg*>(QApplication::activeModalWidget());
            ASSERT_NE(nullptr, dialog);
            drive(*dialog);
        });
        flags = FrameDialogs::editOptions(owner, live, texts, root);
        return flags;
    }

    std::function<void(COptionsDlg&)> drive;
    std::function<void(COptions&)> change;
    std::optional<std::uint32_t> flags;
};

class FrameViewsProgramTest : public platform::registry::testing::RegistryFixture {
protected:
    FrameViewsProgramTest()
    {
        setEnvironment("HOME", folder().c_str());
        setEnvironment("XDG_DATA_HOME", nullptr);
        SetMessageBoxAnswerer([](const MessageBoxRequest& box) {
            return box.text.startsWith(QStringLiteral("Document was changed")) ? IDNO : IDYES;
        });
        talvowatch::testsupport::PracticeSpec spec;
        spec.matchShots = 12;
        spec.sightingShots = 2;
        EXPECT_TRUE(talvowatch::testsupport::writePractice(file, spec));
    }
    ~FrameViewsProgramTest() override { SetMessageBoxAnswerer({}); }

    /// Runs the program on the practice with the frame active.
    void run(const std::function<void(MainFrame&)>& whileRunning)
    {
        bool ran = false;
        EXPECT_EQ(0, testsupport::RunProgramWith({file.string()}, dialogs, [&](MainFrame& frame) {
                      QApplication::setActiveWindow(&frame);
                      ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
                      whileRunning(frame);
                      ran = true;
                  }));
        EXPECT_TRUE(ran);
    }

    // The views have no meta-objects of their own: they are found by name.
    static CTraceView* traceView(MainFrame& frame)
    {
        return dynamic_cast<CTraceView*>(frame.findChild<QWidget*>(QStringLiteral("TraceView")));
    }
    static CSeriesView* seriesView(MainFrame& frame)
    {
        return dynamic_cast<CSeriesView*>(frame.findChild<QWidget*>(QStringLiteral("SeriesView")));
    }

    /// The targets of the series view's match blocks.
    static std::vector<ITarget*> matchTargets(MainFrame& frame)
    {
        std::vector<ITarget*> targets;
        for (const auto& serie : seriesView(frame)->logic().group(1).series) {
            targets.push_back(serie->window->target());
        }
        return targets;
    }

    /// Types a key where the keyboard focus is, as a user would.
    static void press(MainFrame& frame, Qt::Key key, Qt::KeyboardModifiers modifiers = {})
    {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus != nullptr ? focus : &frame, key, modifiers);
    }

    const fs::path file = folder() / "practice.talvo";
    DrivenDialogs dialogs;
};

TEST_F(FrameViewsProgramTest, DigitsZoomTheTraceTargetAndSpacePausesAndResumesTheReplay)
{
    run([&](MainFrame& frame) {
        frame.runCommand(cmd::ViewTrace);
        auto* trace = traceView(frame);
        ITarget* target = trace->target();
        ASSERT_NE(nullptr, target);
        press(frame, Qt::Key_4);
        EXPECT_EQ(4.0F, trace->logic().storedZoom());
        float zoom = 0;
        EXPECT_TRUE(QTest::qWaitFor([&] { return SUCCEEDED(target->get_Zoom(&zoom)) && zoom == 4.0F; }, 5000));
        press(frame, Qt::Key_0);
        EXPECT_EQ(10.0F, trace->logic().storedZoom());

        CTalvoData& document = frame.document();
        ASSERT_EQ(0, document.GetReplayState());
        VARIANT_BOOL paused = VARIANT_FALSE;
        struct Step {
            long state;
            VARIANT_BOOL paused;
        };
        // Start, pause, resume.
        for (const Step step : {Step{2, VARIANT_FALSE}, Step{1, VARIANT_TRUE}, Step{2, VARIANT_FALSE}}) {
            press(frame, Qt::Key_Space);
            EXPECT_EQ(step.state, document.GetReplayState());
            EXPECT_EQ(S_OK, target->get_ReplayPaused(&paused));
            EXPECT_EQ(step.paused, paused);
        }
        frame.runCommand(cmd::Replay);
        EXPECT_EQ(0, document.GetReplayState());
    });
}

TEST_F(FrameViewsProgramTest, CtrlDigitZoomsTheSeriesTargetsAndNewBreachColoursReachThemAtOnce)
{
    run([&](MainFrame& frame) {
        const std::vector<ITarget*> targets = matchTargets(frame);
        ASSERT_EQ(2U, targets.size());
        press(frame, Qt::Key_3, Qt::ControlModifier);
        for (ITarget* target : targets) {
            float zoom = 0;
            EXPECT_EQ(S_OK, target->get_Zoom(&zoom));
            EXPECT_EQ(3.0F, zoom);
        }

        dialogs.change = [](COptions& options) {
            options.breachColor = 0x00FF00;
            options.selectedBreachColor = 0x123456;
        };
        frame.runCommand(cmd::Options);
        EXPECT_EQ(kOptionsChangedColors, dialogs.flags);
        for (ITarget* target : targets) {
            OLE_COLOR breach = 0;
            OLE_COLOR selected = 0;
            EXPECT_EQ(S_OK, target->get_BreachColor(&breach));
            EXPECT_EQ(S_OK, target->get_SelectedBreachColor(&selected));
            EXPECT_EQ(0x00FF00U, breach);
            EXPECT_EQ(0x123456U, selected);
        }
    });
}

TEST_F(FrameViewsProgramTest, TheWindowHasItsIconAndTheSeriesPaneItsTitleFocusAndCloseButton)
{
    run([&](MainFrame& frame) {
        EXPECT_FALSE(frame.windowIcon().isNull());
        EXPECT_FALSE(frame.windowIcon().pixmap(32).isNull());
        const QDialog dialog(&frame); // the start and calibration dialogs among them
        EXPECT_EQ(frame.windowIcon().cacheKey(), dialog.windowIcon().cacheKey());

        auto* caption = frame.findChild<QLabel*>(QStringLiteral("PaneCaption"));
        ASSERT_NE(nullptr, caption);
        EXPECT_EQ(QStringLiteral("Shot list"), caption->text());
        frame.runCommand(cmd::Series);
        EXPECT_EQ(QStringLiteral("Series"), caption->text());
        frame.runCommand(cmd::ShotList);
        EXPECT_EQ(QStringLiteral("Shot list"), caption->text());

        frame.setFocus();
        ASSERT_TRUE(frame.openFile(file));
        EXPECT_EQ(seriesView(frame), QApplication::focusWidget());

        QWidget* pane = frame.findChild<QWidget*>(QStringLiteral("ContentsFrame"));
        ASSERT_TRUE(pane->isVisible());
        QTest::mouseClick(frame.findChild<QToolButton*>(QStringLiteral("ClosePane")), Qt::LeftButton);
        EXPECT_FALSE(pane->isVisible());
    });
}

TEST_F(FrameViewsProgramTest, EnterInAnOptionFieldCommitsTheEditAndOkTakesItWithItsFlag)
{
    Qt::CursorShape overValue = Qt::BlankCursor;
    Qt::CursorShape overText = Qt::BlankCursor;
    dialogs.drive = [&](COptionsDlg& dialog) {
        // The cursor over a value of an item that is not open, then over its text.
        const auto pause = testsupport::findOptionItem(dialog.model().tree(), u"Pause between shots");
        ASSERT_TRUE(pause);
        CTalvoOptionsTreeViewCtr* tree = dialog.tree();
        QWidget* row = tree->itemWidget(tree->itemOf(*pause), 0);
        const auto labels = row->findChildren<QLabel*>();
        const auto at = [tree](const QLabel* label) { return label->mapTo(tree->viewport(), label->rect().center()); };
        const auto value = std::find_if(labels.begin(), labels.end(),
                                        [](const QLabel* label) { return label->property("talvoField").isValid(); });
        ASSERT_NE(labels.end(), value);
        moveMouse(tree->viewport(), at(*value));
        overValue = tree->viewport()->cursor().shape();
        moveMouse(tree->viewport(), at(labels.front()));
        overText = tree->viewport()->cursor().shape();

        testsupport::selectOptionItem(dialog, u"Trace replay speed");
        testsupport::typeIntoOption(dialog, 0, "350");
        QWidget* editor = tree->editors().at(0);
        QTest::keyClick(editor, Qt::Key_Return);
        EXPECT_TRUE(dialog.isVisible());
        // Stored within its limits, and shown as stored.
        EXPECT_EQ(QStringLiteral("300"), editor->findChild<QLineEdit*>()->text());
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("1")), Qt::LeftButton);
    };
    run([&](MainFrame& frame) {
        frame.runCommand(cmd::Options);
        EXPECT_EQ(kOptionsChangedReplaySpeed, dialogs.flags);
        LONG speed = 0;
        EXPECT_EQ(S_OK, traceView(frame)->target()->get_ReplaySpeed(&speed));
        EXPECT_EQ(300, speed);
    });
    EXPECT_EQ(Qt::PointingHandCursor, overValue);
    EXPECT_EQ(Qt::ArrowCursor, overText);
}

TEST_F(FrameViewsProgramTest, SendToFolderStartsInTheHomeFolder)
{
    QString started;
    run([&](MainFrame& frame) {
        QTimer::singleShot(0, qApp, [&started] {
            auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(nullptr, chooser);
            started = chooser->directory().absolutePath();
            chooser->reject();
        });
        frame.runCommand(cmd::SendToFolder);
    });
    EXPECT_EQ(QDir(QString::fromStdString(folder().string())).absolutePath(), started);
}

} // namespace
