#include "talvodesk/app/CalibrationDlg.h"

#include "talvodesk/app/FrameDialogs.h"
#include "talvodesk/app/SensingBar.h"
#include "talvodesk/core/document/TalvoData.h"
#include "talvodesk/core/options/Settings.h"
#include "talvodesk/core/testing/FakeDevice.h"
#include "talvodesk/core/testing/FakeTalvoDevice.h"

#include "talvodata/tests/support/Events.h"

#include "platform/com/Bstr.h"
#include "platform/registry/Key.h"
#include "platform/registry/tests/support/RegistryFixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>

#include <limits>

using namespace talvodesk;
using namespace talvodesk::testsupport;
using platform::com::ComPtr;
using platform::com::Variant;

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

class CalibrationDlgTest : public platform::registry::testing::RegistryFixture {
protected:
    CalibrationDlgTest() : root(*OpenSettingsRoot())
    {
        fake->event = talvodata::testsupport::shippedEvent("AR10");
        request.device = fake.get();
        request.data = &data;
        request.settingsRoot = &root;
        request.playSound = [this](std::u16string_view name) { sounds.emplace_back(name); };
        request.signalSeen = [this] { ++strongSignals; };
    }

    template <typename T> T* control(const QDialog& dialog, int id)
    {
        T* found = dialog.findChild<T*>(QString::number(id));
        EXPECT_NE(nullptr, found) << id;
        return found;
    }

    platform::registry::Key root;
    FakeDevice events;
    ComPtr<FakeTalvoDevice> fake = platform::com::makeComObject<FakeTalvoDevice>(events.connectionPoint());
    CTalvoData data;
    CalibrationRequest request;
    std::vector<std::u16string> sounds;
    int strongSignals = 0;
};

TEST_F(CalibrationDlgTest, DialogIsTheOnlySinkFromConstructionToDestruction)
{
    fake->piezoSensitivity = 200;
    fake->lampsAvailable = true;
    fake->lampsBrightness = 3;
    {
        CCalibrationDlg dialog(request, nullptr);
        EXPECT_EQ(QStringLiteral("Talvo calibration"), dialog.windowTitle());
        EXPECT_EQ(1U, fake->sinkCount());
        EXPECT_TRUE(fake->calibrationMode);
        EXPECT_EQ((std::vector<std::string>{"Reset(1)", "CalibrationMode(1)=1"}), fake->log());
        EXPECT_EQ(200, control<QSlider>(dialog, 1011)->value());
        EXPECT_FALSE(control<QSlider>(dialog, 1017)->isEnabled());
        EXPECT_TRUE(control<QSlider>(dialog, 1019)->isEnabled());
        EXPECT_EQ(QStringLiteral("Lamps brightness: 3"), control<QLabel>(dialog, 1018)->text());

        control<QSlider>(dialog, 1011)->setValue(1023);
        EXPECT_EQ(QStringLiteral("Piezo sensitivity: 100.0%"), control<QLabel>(dialog, 1015)->text());
        EXPECT_EQ(1023U, root.dword(u"PiezoSensitivity").value());
        control<QSlider>(dialog, 1019)->setValue(7);
        EXPECT_EQ(QStringLiteral("Lamps brightness: 7"), control<QLabel>(dialog, 1018)->text());
        dialog.setGeometry(40, 50, 400, 420);
        dialog.done(QDialog::Accepted);
        EXPECT_TRUE(LoadWindowRect(root, u"WindowRectCalibration"));
        fake->clearLog();
    }
    EXPECT_EQ(0U, fake->sinkCount());
    EXPECT_FALSE(fake->calibrationMode);
    EXPECT_EQ((std::vector<std::string>{"CalibrationMode(1)=0", "ConcludeCurrentAiming(1)"}), fake->log());
}

TEST_F(CalibrationDlgTest, AimPointStaysFrozenAfterAShotUntilTheNextAiming)
{
    fake->modelVersion = 300;
    fake->signalLevel = 150;
    CCalibrationDlg dialog(request, nullptr);
    ComPtr<IAiming> aiming = events.newAiming();
    events.startAiming(aiming.get());
    events.coordinates(aiming.get(), 5); // the last sample at (0.12, -0.08) mm
    EXPECT_TRUE(dialog.picture().aimVisible);
    EXPECT_FLOAT_EQ(0.12F, dialog.picture().aimX);
    EXPECT_EQ(326, dialog.picture().direction); // -33.7 degrees
    EXPECT_EQ(150, control<SensingBar>(dialog, 1012)->position());
    EXPECT_EQ(1, strongSignals);

    ComPtr<IShot> shot = events.shot(aiming.get());
    float breachX = 0;
    ASSERT_EQ(S_OK, shot->get_BreachX(&breachX));
    EXPECT_TRUE(dialog.picture().shotShown);
    EXPECT_FLOAT_EQ(breachX, dialog.picture().shotX);
    EXPECT_EQ(std::vector<std::u16string>{u"Shot"}, sounds);
    events.coordinates(aiming.get(), 5);
    EXPECT_FLOAT_EQ(0.12F, dialog.picture().aimX);
    events.conclude(aiming.get());
    events.finalConclude();
    EXPECT_FALSE(dialog.picture().aimVisible);

    ComPtr<IAiming> next = events.newAiming();
    events.startAiming(next.get());
    EXPECT_FALSE(dialog.picture().shotShown);
    events.coordinates(next.get(), 5);
    EXPECT_FLOAT_EQ(0.42F, dialog.picture().aimX);
    EXPECT_TRUE(dialog.picture().aimVisible);
}

TEST_F(CalibrationDlgTest, UsbSensorScalesItsLevelAndAveragesDistanceInsideTheCircle)
{
    fake->modelVersion = 500;
    fake->signalLevel = 4000;
    fake->data = {kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN};
    CCalibrationDlg dialog(request, nullptr);
    EXPECT_EQ(QStringLiteral("Make a shot as close to the center of the target as possible. Make sure it is displayed "
                             "within the inner circle (working area) on the screen."),
              control<QLabel>(dialog, 1014)->text());
    ComPtr<IAiming> aiming = events.newAiming();
    events.startAiming(aiming.get());
    events.coordinates(aiming.get(), 5);
    EXPECT_EQ(425, control<SensingBar>(dialog, 1012)->position());
    EXPECT_FLOAT_EQ(0.12F, dialog.picture().aimX); // no reading: the trace's point
    EXPECT_EQ("", dialog.picture().status);

    fake->data = {0, 2, 30, -40, 0, 0, 5, 80, 3.9F}; // 10 m, a working circle of 440 mm
    for (int i = 1; i <= 20; ++i) {
        events.coordinates(aiming.get(), 1);
        EXPECT_EQ(i == 20, dialog.picture().status.find("Distance") != std::string::npos) << i;
    }
    EXPECT_EQ("Battery: 80% (3.90V) Distance: 10.00 m", dialog.picture().status);
    EXPECT_FLOAT_EQ(30.0F, dialog.picture().aimX);
    EXPECT_FLOAT_EQ(440.0F, dialog.picture().workingDiameter);
    fake->data[2] = 300; // outside: the average starts again
    events.coordinates(aiming.get(), 1);
    EXPECT_EQ("Battery: 80% (3.90V)", dialog.picture().status);

    (void)events.shot(aiming.get());
    EXPECT_FLOAT_EQ(300.0F, dialog.picture().shotX); // the last aim point
}

TEST_F(CalibrationDlgTest, ImageSensorOffersItsOptionsAndClosesOnAShot)
{
    fake->modelVersion = 600;
    fake->values[7] = Variant::fromBool(true);
    fake->values[0] = Variant::fromBool(false);
    fake->values[9] = Variant::fromInt32(2);
    fake->values[8] = Variant::fromInt32(300);
    ASSERT_TRUE(data.NewPractice(talvodata::testsupport::shippedEvent("AR10").get(), platform::com::Bstr("Ann").get(),
                                 0, platform::com::Bstr("fake").get(), 12));
    ComPtr<IShot> missed;
    ASSERT_TRUE(data.AddMissedShot(true, missed));

    CCalibrationDlg dialog(request, nullptr);
    EXPECT_EQ(QStringLiteral("Make shot at the target to calibrate the sensor."),
              control<QLabel>(dialog, 1014)->text());
    EXPECT_TRUE(control<QCheckBox>(dialog, 1106)->isChecked());
    EXPECT_FALSE(control<QCheckBox>(dialog, 1096)->isChecked());
    EXPECT_FALSE(control<QCheckBox>(dialog, 1099)->isChecked());
    EXPECT_FALSE(control<QRadioButton>(dialog, 1108)->isChecked());
    EXPECT_TRUE(control<QRadioButton>(dialog, 1109)->isChecked());
    EXPECT_FALSE(control<QRadioButton>(dialog, 1108)->isEnabled());
    EXPECT_FALSE(control<QRadioButton>(dialog, 1109)->isEnabled());
    EXPECT_TRUE(control<QSlider>(dialog, 1017)->isHidden());

    fake->clearLog();
    control<QCheckBox>(dialog, 1106)->click();
    control<QCheckBox>(dialog, 1096)->click();
    EXPECT_EQ((std::vector<std::string>{"Value(7)", "Value(0)"}), fake->log());
    EXPECT_EQ(0U, root.dword(u"QV_UltraSensitiveTriggerMode").value());
    EXPECT_EQ(1U, root.dword(u"QV_FilterForeignShots").value());

    // A visible point, then a shot: the poll sees it and the dialog ends itself.
    fake->data = {1, 0, 1, 10, -5, 0, 0, 0, 0};
    QTimer::singleShot(5000, &dialog, &QDialog::reject); // only if the poll never closes it
    EXPECT_EQ(QDialog::Accepted, dialog.exec());
    EXPECT_TRUE(dialog.picture().shotShown);
    EXPECT_FLOAT_EQ(10.0F, dialog.picture().shotX);
    EXPECT_FLOAT_EQ(-5.0F, dialog.picture().shotY);
    EXPECT_EQ(300, control<QProgressBar>(dialog, 1107)->value());
}

TEST_F(CalibrationDlgTest, FrequencyButtonsStayEnabledWithoutAimings)
{
    fake->modelVersion = 600;
    fake->values[9] = Variant::fromInt32(1);
    CCalibrationDlg dialog(request, nullptr);
    EXPECT_TRUE(control<QRadioButton>(dialog, 1108)->isChecked());
    EXPECT_TRUE(control<QRadioButton>(dialog, 1108)->isEnabled());
    fake->clearLog();
    control<QRadioButton>(dialog, 1109)->click();
    EXPECT_EQ((std::vector<std::string>{"Value(9)"}), fake->log());
    EXPECT_EQ(2, fake->values[9].get().lVal);
}

} // namespace
