#include "talvodesk/app/StartPracticeDlg.h"

#include "talvodesk/app/MessageBoxes.h"
#include "talvodesk/core/options/AppModule.h"
#include "talvodesk/core/options/Options.h"
#include "talvodesk/core/options/Settings.h"
#include "talvodesk/core/testing/FakeTalvoDevice.h"

#include "talvolink/qv/tests/support/FakeImageSensor.h"

#include "platform/com/Bstr.h"
#include "platform/registry/tests/support/RegistryFixture.h"
#include "platform/time/ManualClock.h"
#include "platform/usb/UsbTransportFake.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

namespace talvodesk {
namespace {

using platform::com::Bstr;
using platform::usb::InterfaceClass;
using testsupport::FakeTalvoDevice;

constexpr const char* kOpticalPath = "/dev/bus/usb/001/001";

class StartPracticeDlgTest : public platform::registry::testing::RegistryFixture {
protected:
    StartPracticeDlgTest()
    {
        SetMessageBoxAnswerer([this](const MessageBoxRequest& request) {
            messages.push_back(request.text.toStdString());
            if (closeOnMessage && open) {
                QMetaObject::invokeMethod(open, &QDialog::reject, Qt::QueuedConnection);
            }
            return IDOK;
        });
    }
    ~StartPracticeDlgTest() override { SetMessageBoxAnswerer({}); }

    void plugOpticalSensor()
    {
        bus.plug(kOpticalPath, platform::usb::idsOfClass(InterfaceClass::OpticalSensor).front());
    }
    CStartPracticeDlg::Setup setup(std::u16string eventName, std::u16string shooterName)
    {
        return {*device, std::move(eventName), std::move(shooterName), options, &root, module, bus, clock};
    }
    template <typename T> static T* control(const QDialog& dialog, const char* id)
    {
        return dialog.findChild<T*>(QString::fromLatin1(id));
    }
    static void clickStart(const QDialog& dialog) { control<QPushButton>(dialog, "1")->click(); }
    static std::string shortName(IEventParams* event)
    {
        Bstr name;
        return event && SUCCEEDED(event->get_ShortName(name.put())) ? platform::com::utf16ToUtf8(name.view()) : "";
    }

    platform::com::ComPtr<FakeTalvoDevice> device = platform::com::makeComObject<FakeTalvoDevice>();
    platform::usb::FakeUsbTransport bus;
    platform::time::ManualClock clock;
    COptions options;
    CTalvoAppModule module;
    platform::registry::Key root = *OpenSettingsRoot();
    std::vector<std::string> messages;
    /// A message closes this dialog, so a start that goes wrong cannot hang the test.
    QDialog* open = nullptr;
    bool closeOnMessage = true;
};

TEST_F(StartPracticeDlgTest, StartsBySelfAndConfiguresTheDeviceInOrder)
{
    plugOpticalSensor();
    CStartPracticeDlg dialog(setup(u"AR10", u"Ann"), nullptr);
    open = &dialog;
    ASSERT_EQ(dialog.DoModal(), 1);

    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(device->log(), (std::vector<std::string>{
                                 "EventShortName(1)=AP10", std::string("DevicePath=") + kOpticalPath, "Event(1)=AR10",
                                 "TargetType(1)=2", "SampleRate=200", "MaxTimeBeforeShot(1)=5", "MaxTimeAfterShot(1)=1",
                                 "PiezoSensitivity(1)=40", "FiringPoint=1", "Connected=1"}));
    EXPECT_EQ(shortName(dialog.chosenEvent().get()), "AR10");
    EXPECT_EQ(dialog.shooterName(), u"Ann");
    EXPECT_EQ(dialog.position(), -1);
    EXPECT_EQ(dialog.serialNumber(), u"FAKE-0001");
    EXPECT_EQ(*root.string(u"EventName"), u"AR10");
    EXPECT_EQ(*root.string(u"ShooterName"), u"Ann");
    EXPECT_TRUE(LoadWindowRect(root, u"WindowRectStartPractice"));
}

TEST_F(StartPracticeDlgTest, LeavesTheStartToTheUserWithoutBothNamesOrAListedEvent)
{
    plugOpticalSensor();
    ASSERT_TRUE(root.setString(u"EventName", u"AR10"));
    ASSERT_TRUE(root.setString(u"ShooterName", u"Ann"));
    for (const auto& [eventName, shooterName] :
         {std::pair<std::u16string, std::u16string>{u"", u""}, {u"AR10", u""}, {u"No such event", u"Ann"}}) {
        SCOPED_TRACE(platform::com::utf16ToUtf8(eventName));
        device->clearLog();
        CStartPracticeDlg dialog(setup(eventName, shooterName), nullptr);
        dialog.OnInitDialog();
        QCoreApplication::processEvents();
        EXPECT_EQ(device->log(), (std::vector<std::string>{"EventShortName(1)=AP10"}));
        EXPECT_TRUE(dialog.isVisible());
        // The remembered names are preselected all the same.
        EXPECT_EQ(control<QComboBox>(dialog, "1006")->currentText(), "Ann");
        const auto selected = control<QListWidget>(dialog, "1004")->selectedItems();
        EXPECT_EQ(selected.size(), eventName == u"No such event" ? 0 : 1);
    }
}

TEST_F(StartPracticeDlgTest, AnImageSensorFirstNarrowsTheEventsAndLeavesTheStartToTheUser)
{
    talvolink::testsupport::FakeImageSensor sensor(bus, "/dev/bus/usb/001/004");
    CStartPracticeDlg dialog(setup(u"AR10", u"Ann"), nullptr);
    open = &dialog;
    dialog.OnInitDialog();
    QCoreApplication::processEvents();

    EXPECT_EQ(control<QComboBox>(dialog, "1002")->currentText(), "Talvo QV #1");
    EXPECT_FALSE(control<QComboBox>(dialog, "1080")->isVisibleTo(&dialog));
    auto* events = control<QListWidget>(dialog, "1004");
    // Every listed event but the biathlon has an image-sensor target.
    EXPECT_TRUE(events->findItems("Biathlon", Qt::MatchStartsWith).isEmpty());
    EXPECT_EQ(events->selectedItems().size(), 1);
    EXPECT_EQ(device->log(), (std::vector<std::string>{"EventShortName(1)=AP10"}));
    EXPECT_NE(dialog.result(), QDialog::Accepted);
}

TEST_F(StartPracticeDlgTest, StartErrorsAreShownAndTheDialogStaysOpen)
{
    plugOpticalSensor();
    closeOnMessage = false;
    device->connectSucceeds = false;
    device->values[3] = platform::com::Variant::fromString(Bstr("Port busy"));
    CStartPracticeDlg dialog(setup(u"", u""), nullptr);
    dialog.OnInitDialog();
    auto* deviceOption = control<QComboBox>(dialog, "1080");
    EXPECT_TRUE(deviceOption->isVisible());
    ASSERT_EQ(deviceOption->count(), 3);
    EXPECT_EQ(deviceOption->itemText(1), "Target at 25 meters. (Set switch to 7)");
    EXPECT_EQ(deviceOption->itemText(2), "Target at 50 meters. (Set switch to 1)");

    // Turning every filter off leaves ISSF on, and all four values are written each time.
    for (const char* id : {"1091", "1092", "1093", "1097"}) {
        control<QCheckBox>(dialog, id)->click();
    }
    EXPECT_TRUE(control<QCheckBox>(dialog, "1091")->isChecked());
    for (const char16_t* name : {u"EventFilterNra", u"EventFilterMilitary", u"EventFilterOther"}) {
        EXPECT_EQ(*root.dword(name), 0U);
    }
    EXPECT_EQ(*root.dword(u"EventFilterIssf"), 1U);
    auto* events = control<QListWidget>(dialog, "1004");
    const auto rifles = events->findItems("Air Rifle 10 Meters", Qt::MatchStartsWith);
    ASSERT_EQ(rifles.size(), 1);
    EXPECT_TRUE(events->findItems("Biathlon", Qt::MatchStartsWith).isEmpty());

    clickStart(dialog);
    control<QComboBox>(dialog, "1006")->setEditText("Bob");
    clickStart(dialog);
    rifles.front()->setSelected(true);
    deviceOption->setCurrentIndex(2);
    clickStart(dialog);
    EXPECT_EQ(messages, (std::vector<std::string>{"Please enter shooter name", "Please select event", "Port busy"}));
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(*root.string(u"ShooterName"), u"Bob");
    EXPECT_EQ(device->log().back(), "Connected=1");
    EXPECT_EQ(std::count(device->log().begin(), device->log().end(), "TargetType(1)=5"), 1);

    device->values.clear();
    clickStart(dialog);
    EXPECT_EQ(messages.back(), "Unable to establish connection with TALVO device.");
    device->connectSucceeds = true;
    clickStart(dialog);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(shortName(dialog.chosenEvent().get()), "AR10");
    EXPECT_EQ(dialog.shooterName(), u"Bob");
}

TEST_F(StartPracticeDlgTest, NoDeviceIsReportedAndCancels)
{
    CStartPracticeDlg dialog(setup(u"AR10", u"Ann"), nullptr);
    open = &dialog;
    closeOnMessage = false;
    EXPECT_EQ(dialog.DoModal(), 2);
    EXPECT_EQ(messages, (std::vector<std::string>{"TALVO device was not found"}));
    EXPECT_EQ(device->log(), (std::vector<std::string>{"EventShortName(1)=AP10"}));
}

TEST_F(StartPracticeDlgTest, TheEventFiltersShowTheirWholeTexts)
{
    plugOpticalSensor();
    CStartPracticeDlg dialog(setup(u"", u""), nullptr);
    dialog.OnInitDialog();
    dialog.show();
    QCoreApplication::processEvents();
    for (const char* id : {"1091", "1092", "1093", "1097"}) {
        const auto* box = control<QCheckBox>(dialog, id);
        EXPECT_GE(box->width(), box->sizeHint().width()) << box->text().toStdString();
    }
    dialog.reject();
}

} // namespace
} // namespace talvodesk
