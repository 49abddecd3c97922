#include "talvodesk/app/FrameDialogs.h"
#include "talvodesk/app/MainFrame.h"
#include "talvodesk/app/MessageBoxes.h"
#include "talvodesk/app/tests/support/ProgramRun.h"
#include "talvodesk/core/frame/CommandIds.h"
#include "talvodesk/core/testing/SeriesPractice.h"
#include "talvodesk/views/SeriesView.h"

#include "interfaces/talvoboard/ITarget.h"
#include "platform/com/Bstr.h"
#include "platform/gfx/DrawContextQt.h"
#include "platform/registry/tests/support/RegistryFixture.h"

#include <QApplication>
#include <QImage>
#include <QMenu>
#include <QScrollBar>
#include <QTest>

#include <filesystem>
#include <set>

using namespace talvodesk;
namespace fs = std::filesystem;
using platform::com::Bstr;
using platform::com::ComPtr;
using platform::gfx::Rect;

namespace {

QImage grabbed(QWidget& widget)
{
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

/// The rows of `image` inside `area` that differ from its `background`, as [top, bottom).
std::pair<int, int> inkRows(const QImage& image, const Rect& area, QRgb background)
{
    int top = static_cast<int>(area.bottom);
    int bottom = static_cast<int>(area.top);
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            if (image.pixel(x, y) != background) {
                top = std::min(top, y);
                bottom = std::max(bottom, y + 1);
            }
        }
    }
    return {top, bottom};
}

class SeriesViewProgramTest : public platform::registry::testing::RegistryFixture {
protected:
    SeriesViewProgramTest()
    {
        setEnvironment("HOME", folder().c_str());
        setEnvironment("XDG_DATA_HOME", nullptr);
        // Yes to hiding a shot, no to saving the practice at the end.
        SetMessageBoxAnswerer([](const MessageBoxRequest& box) {
            return box.text.startsWith(QStringLiteral("Document was changed")) ? IDNO : IDYES;
        });
    }
    ~SeriesViewProgramTest() override { SetMessageBoxAnswerer({}); }

    FrameDialogs dialogs;
};

/// The row's number is drawn from the top of its cell's content, as the cell's font puts it, and its full
/// steadiness in the 10.0 circle in red.
void expectRowDrawnAsItsFontPutsIt(CSeriesView& view, const CStatisticsRow& row)
{
    SeriesViewLogic& logic = view.logic();
    const CTextCell& number = row.cells[ColumnIndex];
    const CTextCell& steady = row.cells[ColumnSteadiness10Centre];
    ASSERT_EQ(u"100%", steady.text);
    ASSERT_TRUE(steady.red);
    const QImage shown = grabbed(*view.viewport());
    const Rect cell = logic.ToClient(number.rect);
    ASSERT_GE(cell.top, 0);
    ASSERT_LE(cell.bottom, shown.height());
    QImage alone(static_cast<int>(number.rect.width()), static_cast<int>(number.rect.height()), QImage::Format_RGB32);
    alone.fill(qRgb(0xEE, 0xEE, 0xEE));
    {
        platform::gfx::DrawContextQt context(alone);
        context.setFont(logic.normalFont());
        context.setBackgroundMode(platform::gfx::BackgroundMode::Transparent);
        context.textOut({number.marginX, number.marginY}, number.text);
    }
    const auto expected = inkRows(alone, {0, 0, number.rect.width(), number.rect.height()}, qRgb(0xEE, 0xEE, 0xEE));
    ASSERT_LT(expected.first, expected.second);
    const auto drawn = inkRows(shown, cell, qRgb(0xEE, 0xEE, 0xEE));
    EXPECT_EQ(expected.first + cell.top, drawn.first);
    EXPECT_EQ(expected.second + cell.top, drawn.second);
    const Rect red = logic.ToClient(steady.rect);
    int redPixels = 0;
    for (int y = red.top; y < red.bottom; ++y) {
        for (int x = red.left; x < red.right; ++x) {
            redPixels += shown.pixel(x, y) == qRgb(0xFF, 0, 0) ? 1 : 0;
        }
    }
    EXPECT_GT(redPixels, 5);
}

/// The shot menu of a right click goes to the frame's commands: Hide shot hides the clicked row's shot.
void expectHideShotInTheShotMenuHidesTheClickedShot(CSeriesView& view)
{
    SeriesViewLogic& logic = view.logic();
    const ComPtr<IShot> clicked = logic.group(1).series.front()->rows[3].shot;
    const Rect fourth = logic.ToClient(logic.group(1).series.front()->rows[3].rect);
    QTest::mousePress(view.viewport(), Qt::RightButton, {},
                      QPoint(static_cast<int>(fourth.left + 2), static_cast<int>(fourth.top + 2)));
    QMenu* menu = view.shotMenu();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(3, menu->actions().size());
    EXPECT_EQ(QStringLiteral("Hide shot"), menu->actions()[1]->text());
    EXPECT_EQ(menu->actions()[0], menu->defaultAction());
    menu->actions()[1]->trigger();
    menu->close();
    VARIANT_BOOL hidden = VARIANT_FALSE;
    EXPECT_EQ(S_OK, clicked->get_Hidden(&hidden));
    EXPECT_EQ(VARIANT_TRUE, hidden);
    EXPECT_EQ(u"Match, 51 shot(s)", logic.group(1).title.text);
}

/// The series command leaves the shot list for the targets of the series.
void expectTheSeriesFillThePane(MainFrame& frame, CSeriesView& view, const fs::path& artifacts)
{
    SeriesViewLogic& logic = view.logic();
    frame.runCommand(cmd::Series);
    QTest::qWait(50);
    EXPECT_FALSE(logic.shotListMode());
    EXPECT_TRUE(grabbed(frame).save(QString::fromStdString((artifacts / "series-view-series.png").string())));
    // Seven targets (a sighting block and six match blocks) fill the pane without scrolling.
    EXPECT_FALSE(view.verticalScrollBar()->isVisible());
    const QRect pane = view.viewport()->rect();
    int targets = 0;
    for (const QWidget* child : view.viewport()->findChildren<QWidget*>(QStringLiteral("AtlAxWin80"))) {
        if (child->isVisible()) {
            ++targets;
            EXPECT_TRUE(pane.contains(child->geometry())) << child->geometry().x() << "," << child->geometry().y();
        }
    }
    EXPECT_EQ(7, targets);
}

TEST_F(SeriesViewProgramTest, ALoadedPracticeShowsItsShotListAndSeriesInTheMainWindow)
{
    const fs::path file = folder() / "sixty.talvo";
    (void)testsupport::saveSeriesPractice(testsupport::seriesPractice("AR10", testsupport::sixtyShots()), file);
    bool checked = false;
    const int code = testsupport::RunProgramWith({file.string()}, dialogs, [&](MainFrame& running) {
        MainFrame* const frame = &running;
        auto* view = frame->findChild<CSeriesView*>(QStringLiteral("SeriesView"));
        ASSERT_NE(view, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(frame));
        frame->runCommand(cmd::DisplaySightings);
        QTest::qWait(50);
        SeriesViewLogic& logic = view->logic();
        ASSERT_EQ(6U, logic.group(1).series.size());
        ASSERT_TRUE(logic.group(0).visible);

        const fs::path artifacts = fs::path(TALVO_TEST_ARTIFACTS);
        fs::create_directories(artifacts);
        EXPECT_TRUE(grabbed(*frame).save(QString::fromStdString((artifacts / "series-view-shot-list.png").string())));

        // The second match row (the first is selected).
        const CStatisticsRow& row = logic.group(1).series.front()->rows[1];
        ASSERT_FALSE(row.selected);
        ASSERT_NO_FATAL_FAILURE(expectRowDrawnAsItsFontPutsIt(*view, row));

        // A click selects the row's shot for the whole program; Down moves on once the keys rest.
        const Rect cell = logic.ToClient(row.cells[ColumnIndex].rect);
        const QPoint at(static_cast<int>(cell.left + 2), static_cast<int>(cell.top + 2));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
        ComPtr<IShot> current;
        ASSERT_TRUE(frame->document().GetCurrentShot(current));
        EXPECT_EQ(row.shot.get(), current.get());
        EXPECT_TRUE(row.selected);
        QTest::keyClick(view, Qt::Key_Down);
        const IShot* next = logic.group(1).series.front()->rows[2].shot.get();
        EXPECT_EQ(next, logic.currentShot());
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return frame->document().GetCurrentShot(current) && current.get() == next; }, 5000));

        ASSERT_NO_FATAL_FAILURE(expectHideShotInTheShotMenuHidesTheClickedShot(*view));

        frame->runCommand(cmd::DisplayAllTraces);
        EXPECT_TRUE(logic.displayTraces());
        EXPECT_TRUE(frame->action(cmd::DisplayAllTraces)->isChecked());

        expectTheSeriesFillThePane(*frame, *view, artifacts);

        // Leaving expert mode goes back to the shot list with the simple mode's three columns.
        frame->runCommand(cmd::ExpertMode);
        EXPECT_TRUE(logic.shotListMode());
        const CStatisticsRow& header = logic.group(1).series.front()->header;
        EXPECT_EQ(header.cells[ColumnTime].rect.right, header.rect.right);
        checked = true;
    });
    EXPECT_EQ(0, code);
    EXPECT_TRUE(checked);
}

TEST_F(SeriesViewProgramTest, ABlockScrolledIntoViewGetsItsTargetZoomedAsTheOthers)
{
    const fs::path file = folder() / "sixty.talvo";
    (void)testsupport::saveSeriesPractice(testsupport::seriesPractice("AR10", testsupport::sixtyShots()), file);
    bool checked = false;
    const int code = testsupport::RunProgramWith({file.string()}, dialogs, [&](MainFrame& frame) {
        auto* view = frame.findChild<CSeriesView*>(QStringLiteral("SeriesView"));
        ASSERT_NE(view, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
        QTest::qWait(50);
        const auto& series = view->logic().group(1).series;
        ASSERT_EQ(6U, series.size());
        // Only the blocks in view have their windows.
        const auto targets = [&] { return view->viewport()->findChildren<QWidget*>(QStringLiteral("AtlAxWin80")); };
        EXPECT_LT(targets().size(), 6);
        ASSERT_FALSE(series.back()->window);

        QTest::keyClick(QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : &frame, Qt::Key_4,
                        Qt::ControlModifier);
        view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum());
        ASSERT_TRUE(series.back()->window);
        ITarget* target = series.back()->window->target();
        ASSERT_NE(target, nullptr);
        LONG aimings = 0;
        float zoom = 0;
        Bstr label;
        std::set<IAiming*> rowAimings;
        for (const CStatisticsRow& row : series.back()->rows) {
            rowAimings.insert(row.aiming.get());
        }
        rowAimings.erase(nullptr);
        EXPECT_EQ(S_OK, target->get_Count(&aimings));
        EXPECT_EQ(static_cast<LONG>(rowAimings.size()), aimings);
        EXPECT_EQ(S_OK, target->get_Zoom(&zoom));
        EXPECT_EQ(4.0F, zoom);
        EXPECT_EQ(S_OK, target->get_Label(1, label.put()));
        EXPECT_TRUE(label.view().starts_with(u"#6 "));
        QWidget* shown = targets().back();
        EXPECT_TRUE(shown->isVisible());
        EXPECT_TRUE(view->viewport()->rect().intersects(shown->geometry()));
        checked = true;
    });
    EXPECT_EQ(0, code);
    EXPECT_TRUE(checked);
}

} // namespace
