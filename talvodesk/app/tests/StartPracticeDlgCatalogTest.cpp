#include "talvodesk/app/StartPracticeDlg.h"

#include "talvodesk/app/MessageBoxes.h"
#include "talvodesk/core/options/AppModule.h"
#include "talvodesk/core/options/Options.h"
#include "talvodesk/core/testing/FakeTalvoDevice.h"
#include "talvoshell/tests/support/CatalogFixture.h"

#include "platform/time/ManualClock.h"
#include "platform/usb/UsbTransportFake.h"

#include <QComboBox>

#include <gtest/gtest.h>

namespace talvodesk {
namespace {

class StartPracticeDlgCatalogTest : public talvoshell::testsupport::CatalogFixture {
protected:
    QStringList shooters(QComboBox& box)
    {
        QStringList names;
        for (int row = 0; row < box.count(); ++row) {
            names << box.itemText(row);
        }
        return names;
    }

    platform::com::ComPtr<testsupport::FakeTalvoDevice> device =
        platform::com::makeComObject<testsupport::FakeTalvoDevice>();
    platform::usb::FakeUsbTransport bus;
    platform::time::ManualClock clock;
    COptions options;
    CTalvoAppModule module;
};

TEST_F(StartPracticeDlgCatalogTest, ShooterNamesAreTheCatalogsShooterFoldersReadOnce)
{
    publish({practice(u"/c/ann1", u"AR10", u"Ann"), practice(u"/c/bob1", u"AR10", u"Bob"),
             practice(u"/c/ann2", u"AP60", u"Ann"), practice(u"/c/cy1", u"AP60", u"cy")});
    CStartPracticeDlg dialog({*device, u"", u"", options, nullptr, module, bus, clock}, nullptr);
    auto* box = dialog.findChild<QComboBox*>(QStringLiteral("1006"));
    ASSERT_NE(box, nullptr);
    box->setEditText("Zed");
    box->showPopup();
    box->hidePopup();
    EXPECT_EQ(shooters(*box), (QStringList{"Ann", "Bob", "cy"}));
    EXPECT_EQ(box->currentText(), "Zed");

    // Read once per dialog: later catalog changes are not seen.
    publish({practice(u"/c/dee1", u"AR10", u"Dee")});
    box->showPopup();
    box->hidePopup();
    EXPECT_EQ(shooters(*box), (QStringList{"Ann", "Bob", "cy"}));
}

} // namespace
} // namespace talvodesk
