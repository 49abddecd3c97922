#pragma once

#include "interfaces/talvodata/IEventManager.h"
#include "interfaces/talvodata/IEventParams.h"
#include "interfaces/talvolink/Enums.h"
#include "interfaces/talvolink/ITalvoDevice.h"
#include "platform/com/ComPtr.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace platform::registry {
class Key;
}

namespace talvodesk {

/// What the user reads when the device does not connect and says nothing of its own.
inline constexpr std::u16string_view kNoConnectionText = u"Unable to establish connection with TALVO device.";

class COptions;
class CTalvoAppModule;

// The start-practice dialog's rules, without a window. Owner thread only (the user-interface thread).

inline constexpr std::u16string_view kNoDeviceText = u"TALVO device was not found";
inline constexpr std::u16string_view kNoShooterText = u"Please enter shooter name";
inline constexpr std::u16string_view kNoEventText = u"Please select event";
inline constexpr std::u16string_view kNoCatalogText = u"Unable to start catalog service";

/// "EventName" or "ShooterName" under the settings root; empty when missing, not text, or longer than the 520
/// bytes (with its terminating zero) the value may take.
std::u16string LoadRememberedName(const platform::registry::Key* root, std::u16string_view valueName);

/// The event list's filter boxes, in the order their flags are kept.
enum class EventFilter { Issf, Nra, Military, Other };

struct EventFilters {
    std::array<bool, 4> on{true, true, true, true};
    bool isOn(EventFilter box) const { return on[static_cast<std::size_t>(box)]; }
    friend bool operator==(const EventFilters&, const EventFilters&) = default;
};

/// "EventFilterIssf", "EventFilterNra", "EventFilterMilitary", "EventFilterOther": a missing or unreadable value
/// leaves its box on.
EventFilters LoadEventFilters(const platform::registry::Key* root);
/// A box was clicked to `checked`. When all four are then off, ISSF is turned on again. All four values are
/// written (1 or 0) every time.
EventFilters ClickEventFilter(EventFilters filters, EventFilter box, bool checked, const platform::registry::Key* root);

/// Whether the list is for an image sensor, which shows only the events with a target number "_qv_target" in 0..255.
enum class EventCondition { Any, ImageSensor };

/// The event's "tags" string decides its box ("issf", "nra", "military", anything else is Other); an event without
/// one counts as Other.
bool PassesEventFilter(IEventParams& event, const EventFilters& filters, EventCondition condition);

/// One row of the event list.
struct ListedEvent {
    platform::com::ComPtr<IEventParams> event;
    std::u16string text; ///< The display name.
    bool selected = false;
};

/// Every event of the manager that passes the filter, by distance and then by display name in the user's order.
/// A row is selected when `remembered` is not empty and equals the event's short name, name or display name
/// exactly.
std::vector<ListedEvent> ListEvents(IEventManager& manager, const EventFilters& filters, EventCondition condition,
                                    std::u16string_view remembered, const CTalvoAppModule& module);

/// What the chosen entry of the device list is, told by its id and path.
enum class DeviceKind { SerialPort, OpticalSensor, WirelessTarget, ImageSensor };

/// The device-option box is hidden for wireless targets and image sensors.
bool ShowsDeviceOption(DeviceKind kind);
/// The entries the device-option box takes for a newly chosen device, the first of them to be selected; nothing
/// when its entries stay as they are (a serial port whose box already holds the sensor positions, a wireless
/// target, an image sensor). A USB optical sensor's switch numbers follow the firing point; its distance entries
/// are in the module's language (English without one).
std::optional<std::vector<std::u16string>> DeviceOptionEntries(DeviceKind kind,
                                                               const std::vector<std::u16string>& current,
                                                               std::uint32_t firingPoint,
                                                               const CTalvoAppModule* module);

/// The initial positions an event offers ("Prone", "Standing", "Kneeling" or, for "BTLN", the first two); none
/// for other events and without an event. "Standing" is preselected.
std::vector<std::u16string> InitialPositions(IEventParams* event);
inline constexpr int kStandingPosition = 1;

/// Whether the dialog starts by itself: asked for (both names given), the remembered event listed and a shooter
/// named. Otherwise it is shown before the devices are probed, which takes a while. It starts only with an event
/// selected and a device listed.
struct AutoStart {
    bool asked = false;
    bool eventFound = false;
    bool shooterNamed = false;

    bool showsBeforeProbing() const { return !(asked && eventFound && shooterNamed); }
    bool startsBySelf(bool eventSelected, bool deviceListed) const
    {
        return !showsBeforeProbing() && eventSelected && deviceListed;
    }
};

/// The dialog's state when Start is pressed.
struct StartForm {
    long deviceId = 0;
    std::string devicePath; ///< From the device-path map, for ids above 256.
    DeviceKind deviceKind = DeviceKind::SerialPort;
    std::u16string shooterName;
    platform::com::ComPtr<IEventParams> event; ///< None when no event is selected.
    int positionSelection = -1;
    int optionSelection = -1;
};

/// How the device control is configured for the practice.
struct DeviceSettings {
    long commPort = 0; ///< 0: the device path is used.
    std::string devicePath;
    platform::com::ComPtr<IEventParams> event;
    enumTargetType targetType = Target10m;
    float secondsBeforeShot = 0;
    float secondsAfterShot = 0;
    long piezoSensitivity = 0;
    std::optional<enumSensorPosition> sensorPosition; ///< Serial ports only.
    long firingPoint = 0;
    std::u16string shooterName;
    long position = -1; ///< 0 prone, 1 standing, 2 kneeling; -1 none.
};

/// Checks the form and remembers its names under the settings root ("ShooterName" once one is given, then
/// "EventName" = the event's short name): the message to show when the shooter or the event is missing, else how
/// the device is to be configured.
std::variant<std::u16string_view, DeviceSettings> ReadStartForm(const StartForm& form, const COptions& options,
                                                                const platform::registry::Key* root);

/// Sets the device control's properties for the practice, in the order the device expects them.
void ConfigureDevice(ITalvoDevice& device, const DeviceSettings& settings);

/// Connects the device: its serial number on success, else the text to show (the device's own error text,
/// `Value`(3), or the text of a connection that could not be made).
struct Connection {
    bool connected = false;
    std::u16string serialNumber;
    std::u16string failure;
};
Connection ConnectDevice(ITalvoDevice& device);

} // namespace talvodesk
