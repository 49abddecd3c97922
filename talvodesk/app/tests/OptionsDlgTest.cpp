#include "talvodesk/app/OptionsDlg.h"

#include "talvodesk/app/ChildColorPickerButton.h"
#include "talvodesk/app/ChildEdit.h"
#include "talvodesk/app/TalvoOptionsTreeViewCtr.h"
#include "talvodesk/app/tests/support/OptionsDialogDriver.h"
#include "talvodesk/core/options/Options.h"
#include "talvodesk/core/options/Settings.h"
#include "talvodesk/core/options/StringTable.h"

#include "platform/registry/Key.h"
#include "platform/registry/tests/support/RegistryFixture.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <functional>
#include <limits>

using namespace talvodesk;

namespace {

using testsupport::findOptionItem;
using testsupport::selectOptionItem;
using testsupport::typeIntoOption;

constexpr auto english = testsupport::englishText;

void click(QDialog& dialog, const char* button)
{
    QTest::mouseClick(dialog.findChild<QPushButton*>(QString::fromLatin1(button)), Qt::LeftButton);
}

class OptionsDlgTest : public platform::registry::testing::RegistryFixture {
protected:
    OptionsDlgTest() : root(*OpenSettingsRoot()) {}

    /// Runs the options command's dialog step, driven by `drive` once the dialog is up.
    std::optional<std::uint32_t> edit(COptions& live, const std::function<void(COptionsDlg&)>& drive)
    {
        QTimer::singleShot(0, qApp, [&] {
            auto* dialog = qobject_cast<COptionsDlg*>(QApplication::activeModalWidget());
            ASSERT_NE(nullptr, dialog);
            drive(*dialog);
        });
        return EditOptions(live, english, &root, nullptr);
    }

    platform::registry::Key root;
};

TEST_F(OptionsDlgTest, OpensWithTheCurrentOptions)
{
    COptions options;
    options.replaySpeed = 150;
    options.targetLen = 1;
    options.traceHeading = 0;
    COptionsDlg dialog(options, english, &root, nullptr);
    const auto swatchOf = [&dialog](std::u16string_view prefix) {
        const auto id = findOptionItem(dialog.model().tree(), prefix);
        for (const QLabel* label : dialog.tree()->itemWidget(dialog.tree()->itemOf(*id), 0)->findChildren<QLabel*>()) {
            if (!label->styleSheet().isEmpty()) {
                return label->styleSheet();
            }
        }
        return QString();
    };
    EXPECT_TRUE(swatchOf(u"Selected breach color").startsWith(QStringLiteral("background-color: #ff00ff")));
    // An unchecked heading greys its colour and keeps it.
    EXPECT_FALSE(swatchOf(u"Enable trace heading").contains(QStringLiteral("#ff0000")));
    EXPECT_EQ(0x0000FFU, options.headingColor);
    const auto speed = findOptionItem(dialog.model().tree(), u"Trace replay speed");
    QStringList texts;
    for (const QLabel* label : dialog.tree()->itemWidget(dialog.tree()->itemOf(*speed), 0)->findChildren<QLabel*>()) {
        texts << label->text();
    }
    EXPECT_EQ(QStringLiteral("Trace replay speed |150| %"), texts.join(QLatin1Char('|')));
    EXPECT_TRUE(dialog.model().tree().isChecked(*findOptionItem(dialog.model().tree(), u"Display trace length")));
    EXPECT_EQ(QStringLiteral("1087"), dialog.tree()->objectName());
}

TEST_F(OptionsDlgTest, AnEditTypedIntoAFieldAndOkGiveTheOptionsAndFlags)
{
    struct Case {
        std::u16string item;
        QString typed;
        std::uint32_t flags;
        std::function<bool(const COptions&)> check;
    };
    const std::vector<Case> cases = {
        {u"Firing Point", "7", kOptionsChangedFiringPoint, [](const COptions& o) { return o.firingPoint == 7; }},
        {u"Trace replay speed", "0", kOptionsChangedReplaySpeed, [](const COptions& o) { return o.replaySpeed == 10; }},
        {u"Ignore clicks", "2.5", 0, [](const COptions& o) { return o.piezoRejectInterval == 2.5F; }},
        {u"Store", "99", kOptionsChangedTraceTimes, [](const COptions& o) { return o.saveSecBeforeShot == 60; }},
        {u"Pause between", "3", 0, [](const COptions& o) { return o.replayAllPause == 3; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        COptions live;
        const auto flags = edit(live, [&](COptionsDlg& dialog) {
            selectOptionItem(dialog, c.item);
            typeIntoOption(dialog, 0, c.typed);
            click(dialog, "1");
        });
        EXPECT_EQ(c.flags, flags);
        EXPECT_TRUE(c.check(live));
    }
}

TEST_F(OptionsDlgTest, CancelChangesNothing)
{
    COptions live;
    live.firingPoint = 4;
    const COptions before = live;
    const auto flags = edit(live, [](COptionsDlg& dialog) {
        selectOptionItem(dialog, u"Firing Point");
        typeIntoOption(dialog, 0, "9");
        QTest::keyClick(dialog.tree(), Qt::Key_Space);
        click(dialog, "2");
    });
    EXPECT_FALSE(flags);
    EXPECT_EQ(before, live);
}

TEST_F(OptionsDlgTest, EscapeInAnEditorUndoesOnlyThatItemsEditAndKeepsTheDialogOpen)
{
    struct Case {
        std::u16string item;
        std::size_t editor;
        QString typed;
        std::function<bool(const COptions&)> unchanged;
        QString widest; // of the values the field takes
    };
    const std::vector<Case> cases = {
        {u"Trace replay speed", 0, "250", [](const COptions& o) { return o.replaySpeed == 100; }, "300"},
        {u"Enable trace heading", 1, "0.5", [](const COptions& o) { return o.traceHeadingLength == 0.1F; }, "0.000"},
        {u"Ignore clicks", 0, "7", [](const COptions& o) { return o.piezoRejectInterval == 1.0F; }, "10.000"},
        {u"Firing Point", 0, "1000", [](const COptions& o) { return o.firingPoint == 1; }, "1000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        COptions live;
        const auto flags = edit(live, [&](COptionsDlg& dialog) {
            selectOptionItem(dialog, u"Store");
            typeIntoOption(dialog, 0, "7"); // an earlier item's edit stays
            selectOptionItem(dialog, c.item);
            typeIntoOption(dialog, c.editor, c.typed);
            QWidget* editor = dialog.tree()->editors().at(c.editor);
            const auto* typed = editor->findChild<QLineEdit*>();
            ASSERT_NE(nullptr, typed);
            EXPECT_GE(typed->width(), typed->fontMetrics().horizontalAdvance(c.widest) + 4) << "not clipped";
            QTest::keyClick(editor, Qt::Key_Escape);
            EXPECT_TRUE(dialog.isVisible());
            EXPECT_EQ(dialog.tree(), dialog.focusWidget());
            click(dialog, "1");
        });
        EXPECT_EQ(kOptionsChangedTraceTimes, flags);
        EXPECT_EQ(7U, live.saveSecBeforeShot);
        EXPECT_TRUE(c.unchanged(live));
    }
}

TEST_F(OptionsDlgTest, KeysToggleMoveBetweenEditorsAndDeleteAnInterval)
{
    COptions options;
    std::vector<COLORREF> offered;
    const ColourChooser chooser = [&offered](QWidget*, COLORREF initial) -> std::optional<COLORREF> {
        offered.push_back(initial);
        return 0x123456;
    };
    COptionsDlg dialog(options, english, &root, nullptr, chooser);
    dialog.show();

    selectOptionItem(dialog, u"Display trace length");
    QTest::keyClick(dialog.tree(), Qt::Key_Space);
    EXPECT_EQ(1U, options.targetLen);

    selectOptionItem(dialog, u"Enable trace heading");
    const auto editors = dialog.tree()->editors();
    ASSERT_EQ(2U, editors.size());
    QTest::keyClick(dialog.tree(), Qt::Key_Right);
    EXPECT_EQ(editors[0], dialog.focusWidget());
    QTest::keyClick(editors[0], Qt::Key_Down);
    EXPECT_EQ(std::vector<COLORREF>{0x0000FF}, offered);
    EXPECT_EQ(0x123456U, options.headingColor);
    QTest::keyClick(editors[0], Qt::Key_Tab);
    EXPECT_EQ(editors[1], dialog.focusWidget());
    QTest::keyClick(editors[1], Qt::Key_Up);
    EXPECT_FLOAT_EQ(0.11F, options.traceHeadingLength);
    QTest::keyClick(editors[1], Qt::Key_Tab);
    EXPECT_EQ(dialog.tree(), dialog.focusWidget());

    selectOptionItem(dialog, u"Add...");
    ASSERT_EQ(2U, options.additionalIntervals.size());
    ASSERT_EQ(3U, dialog.tree()->editors().size());
    typeIntoOption(dialog, 2, "1.5");
    QTest::keyClick(dialog.tree(), Qt::Key_Delete);
    dialog.tree()->flush();
    EXPECT_EQ(1U, options.additionalIntervals.size());
    EXPECT_EQ(dialog.model().intervalsGroup(), dialog.model().selected());
    dialog.reject();
}

/// Sends a mouse event of `type` with the left button to the tree's viewport over the item.
void mouseOver(CTalvoOptionsTreeViewCtr& tree, QEvent::Type type, OptionsTree::ItemId id)
{
    tree.flush();
    const QPoint position = tree.visualItemRect(tree.itemOf(id)).center();
    QMouseEvent event(type, position, tree.viewport()->mapToGlobal(position), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(tree.viewport(), &event);
}

TEST_F(OptionsDlgTest, ADragMovesAnIntervalAndADoubleClickTogglesALeaf)
{
    COptions options;
    options.additionalIntervals = {{0x0000FF, -1.0F, 0.0F}, {0x00FF00, -2.0F, 0.0F}, {0xFF0000, -3.0F, 0.0F}};
    COptionsDlg dialog(options, english, &root, nullptr);
    dialog.show();
    CTalvoOptionsTreeViewCtr& tree = *dialog.tree();
    const std::vector<OptionsTree::ItemId> intervals = dialog.model().tree().children(*dialog.model().intervalsGroup());

    mouseOver(tree, QEvent::MouseButtonPress, intervals[2]);
    mouseOver(tree, QEvent::MouseMove, intervals[0]);
    mouseOver(tree, QEvent::MouseButtonRelease, intervals[0]);
    tree.flush();
    EXPECT_EQ(-3.0F, options.additionalIntervals[0].begin);
    EXPECT_EQ(-1.0F, options.additionalIntervals[1].begin);

    const auto length = findOptionItem(dialog.model().tree(), u"Display trace length");
    mouseOver(tree, QEvent::MouseButtonDblClick, *length);
    EXPECT_EQ(1U, options.targetLen);
    mouseOver(tree, QEvent::MouseButtonDblClick, *findOptionItem(dialog.model().tree(), u"Sound generator"));
    EXPECT_EQ(0U, options.blindGen);
}

TEST_F(OptionsDlgTest, FrequenciesOfAnUncheckedGeneratorOpenNoEditor)
{
    COptions options;
    COptionsDlg dialog(options, english, &root, nullptr);
    selectOptionItem(dialog, u"Frequency while in 3");
    EXPECT_TRUE(dialog.tree()->editors().empty());
    selectOptionItem(dialog, u"Sound generator");
    QTest::keyClick(dialog.tree(), Qt::Key_Space);
    selectOptionItem(dialog, u"Frequency while in 3");
    EXPECT_EQ(1U, dialog.tree()->editors().size());
}

TEST_F(OptionsDlgTest, TheRectangleIsSavedAndRestored)
{
    COptions options;
    {
        COptionsDlg dialog(options, english, &root, nullptr);
        dialog.setGeometry(100, 120, 520, 460);
        dialog.reject();
    }
    EXPECT_EQ((WindowRect{100, 120, 620, 580}), LoadWindowRect(root, u"WindowRectOptions"));
    COptionsDlg again(options, english, &root, nullptr);
    EXPECT_EQ(QRect(100, 120, 520, 460), again.geometry());

    const WindowRect vast{std::numeric_limits<std::int32_t>::min(), 0, std::numeric_limits<std::int32_t>::max(), 600};
    ASSERT_TRUE(SaveWindowRect(root, u"WindowRectOptions", vast));
    COptionsDlg hostile(options, english, &root, nullptr);
    EXPECT_GT(hostile.width(), 0);
}

TEST_F(OptionsDlgTest, HandEditedValuesNeverUpsetTheDialog)
{
    COptions live;
    live.replaySpeed = 5000;
    live.firingPoint = 0;
    live.piezoRejectInterval = std::numeric_limits<float>::quiet_NaN();
    live.traceHeadingLength = -std::numeric_limits<float>::infinity();
    live.blindGen = 3;
    live.blindGenFrequency[4] = 0xFFFFFFFF;
    live.additionalIntervals = {{0xFF000000, std::numeric_limits<float>::quiet_NaN(), 1e30F}};
    const auto flags = edit(live, [](COptionsDlg& dialog) {
        // Every item opened and left once.
        for (int pass = 0; pass < 80; ++pass) {
            QTest::keyClick(dialog.tree(), Qt::Key_Down);
            dialog.tree()->flush();
        }
        click(dialog, "1");
    });
    ASSERT_TRUE(flags);
    EXPECT_EQ(300U, live.replaySpeed);
    EXPECT_EQ(1U, live.firingPoint);
    EXPECT_EQ(0.0F, live.piezoRejectInterval);
    EXPECT_EQ(0.0F, live.traceHeadingLength);
    EXPECT_EQ(1U, live.blindGen);
    EXPECT_EQ(0U, live.blindGenFrequency[4]);
    EXPECT_EQ((std::vector<TraceInterval>{{0, -60.0F, 2.0F}}), live.additionalIntervals);
}

} // namespace
