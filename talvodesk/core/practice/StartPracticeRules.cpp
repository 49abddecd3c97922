#include "talvodesk/core/practice/StartPracticeRules.h"

#include "talvodesk/core/document/EventCodes.h"
#include "talvodesk/core/document/TalvoData.h"
#include "talvodesk/core/options/Options.h"
#include "talvodesk/core/options/TextFormat.h"
#include "talvodesk/core/practice/TraceTimes.h"

#include "platform/com/Bstr.h"
#include "platform/com/Variant.h"
#include "platform/registry/Key.h"

#include <algorithm>

namespace talvodesk {

using platform::com::Bstr;
using platform::com::ComPtr;
using platform::com::Variant;

namespace {

constexpr std::array<std::u16string_view, 4> kFilterValues{u"EventFilterIssf", u"EventFilterNra",
                                                           u"EventFilterMilitary", u"EventFilterOther"};
constexpr std::uint32_t kLargestTargetNumber = 255;
constexpr std::size_t kLongestName = 520 / sizeof(char16_t) - 1;
constexpr DWORD kDefaultPiezoSensitivity = 40;
constexpr LONG kFirstSubDevice = 1;
constexpr LONG kSampleRate = 200;
constexpr LONG kErrorTextValue = 3;

Variant namedValue(IEventParams& event, const char* name)
{
    Variant value;
    if (FAILED(event.get_Value(Bstr(name).get(), value.put()))) {
        return {};
    }
    return value;
}

std::u16string shortName(IEventParams& event)
{
    Bstr name;
    (void)event.get_ShortName(name.put()); // An unreadable name matches nothing.
    return std::u16string(name.view());
}

bool hasTargetNumber(IEventParams& event)
{
    const Variant value = namedValue(event, "_qv_target");
    Variant number;
    if (value.type() == VT_EMPTY || FAILED(VariantChangeType(number.put(), &value.get(), 0, VT_I4))) {
        return false;
    }
    // Negative numbers wrap past the largest.
    return static_cast<std::uint32_t>(number.get().lVal) <= kLargestTargetNumber;
}

EventFilter boxOf(IEventParams& event)
{
    const Variant tags = namedValue(event, "tags");
    if (tags.type() != VT_BSTR) {
        return EventFilter::Other;
    }
    const std::u16string_view tag = platform::com::viewOf(tags.get().bstrVal);
    return tag == u"issf"       ? EventFilter::Issf
           : tag == u"nra"      ? EventFilter::Nra
           : tag == u"military" ? EventFilter::Military
                                : EventFilter::Other;
}

bool matchesName(IEventParams& event, std::u16string_view name, std::u16string_view displayName)
{
    if (name.empty()) {
        return false;
    }
    Bstr full;
    (void)event.get_Name(full.put()); // An unreadable name matches nothing.
    return name == shortName(event) || name == full.view() || name == displayName;
}

std::u16string switchText(const CTalvoAppModule* module, std::u16string_view distance, std::uint32_t switchNumber)
{
    constexpr std::uint32_t kSwitchText = 36115;
    return FormatResText(module, kSwitchText, {distance, platform::com::utf8ToUtf16(std::to_string(switchNumber))});
}

std::vector<std::u16string> sensorPositions()
{
    return {u"Sensor on the bottom", u"Sensor on top", u"Sensor on the left", u"Sensor on the right"};
}

bool isBiathlon(IEventParams& event)
{
    return shortName(event) == kBiathlonShortName;
}

DWORD piezoSensitivity(const platform::registry::Key* root)
{
    if (root) {
        if (const auto value = root->dword(u"PiezoSensitivity")) {
            return *value;
        }
    }
    return kDefaultPiezoSensitivity;
}

} // namespace

std::u16string LoadRememberedName(const platform::registry::Key* root, std::u16string_view valueName)
{
    if (root == nullptr) {
        return {};
    }
    auto value = root->string(valueName);
    return value && value->size() <= kLongestName ? std::move(*value) : std::u16string();
}

EventFilters LoadEventFilters(const platform::registry::Key* root)
{
    EventFilters filters;
    for (std::size_t box = 0; root && box < kFilterValues.size(); ++box) {
        if (const auto value = root->dword(kFilterValues[box])) {
            filters.on[box] = *value != 0;
        }
    }
    return filters;
}

EventFilters ClickEventFilter(EventFilters filters, EventFilter box, bool checked, const platform::registry::Key* root)
{
    filters.on[static_cast<std::size_t>(box)] = checked;
    if (std::none_of(filters.on.begin(), filters.on.end(), [](bool on) { return on; })) {
        filters.on[static_cast<std::size_t>(EventFilter::Issf)] = true;
    }
    for (std::size_t index = 0; root && index < kFilterValues.size(); ++index) {
        // A value that cannot be written only loses the filter for the next dialog.
        (void)root->setDword(kFilterValues[index], filters.on[index] ? 1 : 0);
    }
    return filters;
}

bool PassesEventFilter(IEventParams& event, const EventFilters& filters, EventCondition condition)
{
    if (condition == EventCondition::ImageSensor && !hasTargetNumber(event)) {
        return false;
    }
    return filters.isOn(boxOf(event));
}

std::vector<ListedEvent> ListEvents(IEventManager& manager, const EventFilters& filters, EventCondition condition,
                                    std::u16string_view remembered, const CTalvoAppModule& module)
{
    std::vector<ListedEvent> rows;
    LONG count = 0;
    (void)manager.get_Count(&count); // A manager that cannot count lists nothing.
    for (LONG index = 1; index <= count; ++index) {
        ComPtr<IEventParams> event;
        if (FAILED(manager.get_Item(index, event.put())) || !event || !PassesEventFilter(*event, filters, condition)) {
            continue;
        }
        ListedEvent row{event, {}, false};
        GetEventDisplayName(*event, module, row.text);
        row.selected = matchesName(*event, remembered, row.text);
        rows.push_back(std::move(row));
    }
    std::stable_sort(rows.begin(), rows.end(), [&](const ListedEvent& a, const ListedEvent& b) {
        return CompareEvents(*a.event, *b.event, module) < 0;
    });
    return rows;
}

bool ShowsDeviceOption(DeviceKind kind)
{
    return kind == DeviceKind::SerialPort || kind == DeviceKind::OpticalSensor;
}

std::optional<std::vector<std::u16string>> DeviceOptionEntries(DeviceKind kind,
                                                               const std::vector<std::u16string>& current,
                                                               std::uint32_t firingPoint, const CTalvoAppModule* module)
{
    switch (kind) {
    case DeviceKind::SerialPort:
        if (current == sensorPositions()) {
            return std::nullopt;
        }
        return sensorPositions();
    case DeviceKind::OpticalSensor:
        // The sensor's distance switch is numbered differently on odd and even firing points.
        return std::vector<std::u16string>{u"Target at 5-12 meters", switchText(module, u"25", firingPoint % 2 + 6),
                                           switchText(module, u"50", firingPoint % 2)};
    case DeviceKind::WirelessTarget:
    case DeviceKind::ImageSensor:
        return std::nullopt;
    }
    return std::nullopt;
}

std::vector<std::u16string> InitialPositions(IEventParams* event)
{
    if (EventHasThreePositions(event)) {
        return {u"Prone", u"Standing", u"Kneeling"};
    }
    if (event && isBiathlon(*event)) {
        return {u"Prone", u"Standing"};
    }
    return {};
}

std::variant<std::u16string_view, DeviceSettings> ReadStartForm(const StartForm& form, const COptions& options,
                                                                const platform::registry::Key* root)
{
    if (form.shooterName.empty()) {
        return kNoShooterText;
    }
    // A name that cannot be remembered is only missing from the next dialog.
    if (root) {
        (void)root->setString(u"ShooterName", form.shooterName);
    }
    if (!form.event) {
        return kNoEventText;
    }
    const std::u16string eventName = shortName(*form.event);
    if (root) {
        (void)root->setString(u"EventName", eventName);
    }

    DeviceSettings settings;
    const bool serial = form.deviceKind == DeviceKind::SerialPort;
    settings.commPort = serial ? form.deviceId : 0;
    settings.devicePath = serial ? std::string() : form.devicePath;
    settings.event = form.event;
    settings.shooterName = form.shooterName;
    settings.position = InitialPositions(form.event.get()).empty() ? -1 : form.positionSelection;
    if (serial) {
        settings.sensorPosition = static_cast<enumSensorPosition>(form.optionSelection + 1);
    } else if (form.deviceKind == DeviceKind::OpticalSensor) {
        constexpr enumTargetType kByDistance[] = {Target10m, Target25m, Target50m};
        if (form.optionSelection >= 0 && form.optionSelection < static_cast<int>(std::size(kByDistance))) {
            settings.targetType = kByDistance[form.optionSelection];
        }
    }
    settings.piezoSensitivity = static_cast<long>(piezoSensitivity(root));
    const TraceTimes times = DeviceTraceTimes(options, EventCodeOf(eventName));
    settings.secondsBeforeShot = static_cast<float>(times.beforeShot);
    settings.secondsAfterShot = static_cast<float>(times.afterShot);
    settings.firingPoint = static_cast<long>(options.firingPoint);
    return settings;
}

void ConfigureDevice(ITalvoDevice& device, const DeviceSettings& settings)
{
    // A property the device refuses shows when it connects.
    if (settings.commPort == 0) {
        (void)device.put_DevicePath(Bstr(settings.devicePath).get());
    } else {
        (void)device.put_CommPort(settings.commPort);
    }
    (void)device.put_Event(kFirstSubDevice, settings.event.get());
    (void)device.put_TargetType(kFirstSubDevice, settings.targetType);
    (void)device.put_SampleRate(kSampleRate);
    (void)device.put_MaxTimeBeforeShot(kFirstSubDevice, settings.secondsBeforeShot);
    (void)device.put_MaxTimeAfterShot(kFirstSubDevice, settings.secondsAfterShot);
    (void)device.put_PiezoSensitivity(kFirstSubDevice, settings.piezoSensitivity);
    if (settings.sensorPosition) {
        (void)device.put_SensorPosition(kFirstSubDevice, *settings.sensorPosition);
    }
    (void)device.put_FiringPoint(settings.firingPoint);
}

Connection ConnectDevice(ITalvoDevice& device)
{
    Connection connection;
    if (SUCCEEDED(device.put_Connected(VARIANT_TRUE))) {
        Bstr serial;
        (void)device.get_SerialNumber(serial.put()); // A device without one starts with an empty number.
        connection.connected = true;
        connection.serialNumber = serial.view();
        return connection;
    }
    Variant error;
    Variant text;
    if (SUCCEEDED(device.get_Value(kErrorTextValue, error.put())) &&
        SUCCEEDED(VariantChangeType(text.put(), &error.get(), 0, VT_BSTR))) {
        connection.failure = platform::com::viewOf(text.get().bstrVal);
    }
    if (connection.failure.empty()) {
        connection.failure = kNoConnectionText;
    }
    return connection;
}

} // namespace talvodesk
