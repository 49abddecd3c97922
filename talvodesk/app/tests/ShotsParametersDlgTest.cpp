#include "talvodesk/app/ShotsParametersDlg.h"

#include "talvodesk/app/internal/UpDownControl.h"
#include "talvodesk/core/options/AppModule.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace talvodesk;

namespace {

const CTalvoAppModule& kEnglish = ModuleOrEnglish(nullptr);

const ShotsParameters kValues{1, 10.0F, -0.5F, 20, 1.0F, 2};

class ShotsParametersDlgTest : public ::testing::Test {
protected:
    QLineEdit* edit(const CShotsParametersDlg& dialog, int id)
    {
        return dialog.findChild<QLineEdit*>(QString::number(id));
    }
    void clickOk(CShotsParametersDlg& dialog)
    {
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("1")), Qt::LeftButton);
    }

    int beeps = 0;
    CShotsParametersDlg::Beep beep = [this] { ++beeps; };
};

TEST_F(ShotsParametersDlgTest, RefusesEachOutOfRangeValueWithTheFocusThere)
{
    struct Case {
        int id;
        QString text;
    };
    for (const Case& c : {Case{kIdFCoefficient, "501"}, Case{kIdBulletDispersion, "a"}, Case{kIdBulletDispersion, "51"},
                          Case{kIdShotMoment, "-6"}, Case{kIdControlInterval, "10"}, Case{kIdControlInterval2, "6"}}) {
        SCOPED_TRACE(c.text.toStdString());
        beeps = 0;
        CShotsParametersDlg dialog(kEnglish, kValues, 0, nullptr, beep);
        dialog.show();
        edit(dialog, c.id)->setText(c.text);
        clickOk(dialog);
        EXPECT_EQ(1, beeps);
        EXPECT_NE(QDialog::Accepted, dialog.result());
        EXPECT_EQ(edit(dialog, c.id), dialog.focusWidget());
    }
}

TEST_F(ShotsParametersDlgTest, BiathlonDisablesTwoControlsWhoseValuesAreStillChecked)
{
    CShotsParametersDlg dialog(kEnglish, {2, 10.0F, 1.0F, 20, 1.0F, 2}, 2, nullptr, beep);
    EXPECT_FALSE(edit(dialog, kIdShotMoment)->isEnabled());
    EXPECT_FALSE(dialog.findChild<QCheckBox*>(QString::number(kIdCoincide))->isEnabled());
    clickOk(dialog);
    EXPECT_EQ(1, beeps);
    EXPECT_NE(QDialog::Accepted, dialog.result());

    CShotsParametersDlg valid(kEnglish, {2, 10.0F, -1.0F, 20, 1.0F, 2}, 2, nullptr, beep);
    valid.show();
    clickOk(valid);
    EXPECT_EQ(QDialog::Accepted, valid.result());
    EXPECT_EQ((ShotsParameters{2, 10.0F, -1.0F, 20, 1.0F, 2}), valid.values());
}

TEST_F(ShotsParametersDlgTest, SpinsAndEditsFollowEachOther)
{
    CShotsParametersDlg dialog(kEnglish, kValues, 0, nullptr, beep);
    auto* dispersion = dialog.findChild<UpDownControl*>(QStringLiteral("1069"));
    EXPECT_EQ(100, dispersion->position());
    edit(dialog, kIdBulletDispersion)->setText(QStringLiteral("12.34"));
    EXPECT_EQ(123, dispersion->position());
    dispersion->step(+1);
    EXPECT_EQ(QStringLiteral("12.4"), edit(dialog, kIdBulletDispersion)->text());
    EXPECT_EQ(124, dispersion->position());

    auto* interval2 = dialog.findChild<UpDownControl*>(QStringLiteral("1104"));
    interval2->setPosition(100);
    interval2->step(+1);
    EXPECT_EQ(QStringLiteral("2"), edit(dialog, kIdControlInterval2)->text());
    EXPECT_EQ(100, interval2->position());

    dialog.show();
    clickOk(dialog);
    EXPECT_EQ(QDialog::Accepted, dialog.result());
    EXPECT_EQ((ShotsParameters{1, 12.4F, -0.5F, 20, 1.0F, 2}), dialog.values());
    EXPECT_EQ(0, beeps);
}

} // namespace
