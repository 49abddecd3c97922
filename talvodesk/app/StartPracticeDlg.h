#pragma once

#include "talvodesk/core/practice/StartPracticeRules.h"

#include "interfaces/talvodata/IEventManager.h"
#include "interfaces/talvolink/ITalvoDevice.h"
#include "platform/com/ComPtr.h"

#include <QComboBox>
#include <QDialog>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace platform::registry {
class Key;
}
namespace platform::time {
class Clock;
}
namespace platform::usb {
class UsbTransport;
}

namespace talvodesk {

class COptions;
class CTalvoAppModule;
struct SelectedDevice;

/// A drop-down that tells before it opens, as the shooter names are read only when first wanted.
class DropDownComboBox : public QComboBox {
public:
    using QComboBox::QComboBox;
    std::function<void()> aboutToDropDown;
    void showPopup() override;
};

/// The start-practice dialog: the device, its option, the shooter, the event and the initial position. Start
/// configures the device control and connects it; the dialog closes with OK only when the connection succeeded.
/// Given both an event and a shooter name it presses Start by itself when the event and a device are found. The
/// controls carry their identifiers as object names. Owner thread only.
class CStartPracticeDlg : public QDialog {
    Q_OBJECT
public:
    struct Setup {
        ITalvoDevice& device;
        /// Named on the command line; empty: the remembered one.
        std::u16string eventName;
        std::u16string shooterName;
        const COptions& options;
        const platform::registry::Key* settingsRoot = nullptr;
        const CTalvoAppModule& module;
        /// Where the USB devices are listed and probed.
        platform::usb::UsbTransport& bus;
        platform::time::Clock& clock;
    };

    CStartPracticeDlg(const Setup& setup, QWidget* parent);
    ~CStartPracticeDlg() override;

    /// 1 when the device is configured and connected, else 2.
    int DoModal();
    /// Fills the dialog and probes the devices; posts Cancel when nothing can be started, Start when it starts by
    /// itself.
    void OnInitDialog();

    // The results after OK.
    const platform::com::ComPtr<IEventParams>& chosenEvent() const { return m_chosen; }
    const std::u16string& shooterName() const { return m_shooter; }
    /// 0 prone, 1 standing, 2 kneeling; -1 none.
    long position() const { return m_position; }
    const std::u16string& serialNumber() const { return m_serialNumber; }

    void accept() override;
    void done(int result) override;

private:
    std::optional<SelectedDevice> selectedDevice() const;
    DeviceKind selectedKind() const;
    EventCondition eventCondition() const;
    /// Refills the event list; true when the remembered event was listed.
    bool fillEvents(EventCondition condition);
    IEventParams* selectedEvent() const;
    void refreshPositions();
    void refreshDeviceOption();
    void filterClicked(EventFilter box, bool checked);
    void readShooterNames();
    void postStart();

    platform::com::ComPtr<ITalvoDevice> m_device;
    std::u16string m_eventName;
    std::u16string m_rememberedShooter;
    bool m_autoStart;
    const COptions& m_options;
    const platform::registry::Key* m_settingsRoot;
    const CTalvoAppModule& m_module;
    platform::usb::UsbTransport& m_bus;
    platform::time::Clock& m_clock;
    EventFilters m_filters;
    platform::com::ComPtr<IEventManager> m_manager;
    /// The events of the list's rows, in row order.
    std::vector<ListedEvent> m_rows;
    std::map<long, std::string> m_paths;
    bool m_shooterListPending = true;

    platform::com::ComPtr<IEventParams> m_chosen;
    std::u16string m_shooter;
    long m_position = -1;
    std::u16string m_serialNumber;

    QComboBox* m_devices;
    QComboBox* m_deviceOption;
    DropDownComboBox* m_shooters;
    std::map<EventFilter, QCheckBox*> m_filterBoxes;
    QListWidget* m_events;
    QLabel* m_positionLabel;
    QComboBox* m_positions;
    QPushButton* m_start;
};

} // namespace talvodesk
