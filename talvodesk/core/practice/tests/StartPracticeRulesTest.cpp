#include "talvodesk/core/practice/StartPracticeRules.h"

#include "talvodesk/core/options/AppModule.h"
#include "talvodesk/core/options/Options.h"
#include "talvodesk/core/options/Settings.h"
#include "talvodesk/core/testing/FakeTalvoDevice.h"

#include "talvodata/EventManager.h"

#include "platform/com/Bstr.h"
#include "platform/com/Variant.h"
#include "platform/registry/tests/support/RegistryFixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

namespace talvodesk {
namespace {

using platform::com::Bstr;
using platform::com::ComPtr;
using platform::com::Variant;
using testsupport::FakeTalvoDevice;

Variant text(const char* value)
{
    return Variant::fromString(Bstr(value));
}

/// An event manager holding only the events a test adds.
class Events {
public:
    ComPtr<IEventParams> add(const char* shortName, const char* name = "", float distance = 10,
                             std::map<std::string, Variant> values = {})
    {
        ComPtr<IEventParams> event;
        EXPECT_EQ(S_OK, m_manager->Add(Bstr(shortName).get(), event.put()));
        EXPECT_EQ(S_OK, event->put_Name(Bstr(name).get()));
        EXPECT_EQ(S_OK, event->put_Distance(distance));
        EXPECT_EQ(S_OK, event->put_Caliber(4.5F));
        for (const auto& [key, value] : values) {
            EXPECT_EQ(S_OK, event->put_Value(Bstr(key).get(), value.get()));
        }
        return event;
    }
    std::vector<std::string> list(const EventFilters& filters, EventCondition condition,
                                  std::u16string_view remembered = {})
    {
        std::vector<std::string> rows;
        for (const ListedEvent& row : ListEvents(*m_manager, filters, condition, remembered, m_module)) {
            rows.push_back(platform::com::utf16ToUtf8(row.text) + (row.selected ? " *" : ""));
        }
        return rows;
    }

private:
    ComPtr<talvodata::CEventManager> m_manager = talvodata::CEventManager::createFromFolder("/nonexistent");
    CTalvoAppModule m_module;
};

EventFilters only(std::initializer_list<EventFilter> boxes)
{
    EventFilters filters{{false, false, false, false}};
    for (const EventFilter box : boxes) {
        filters.on[static_cast<std::size_t>(box)] = true;
    }
    return filters;
}

class StartPracticeRulesTest : public platform::registry::testing::RegistryFixture {
protected:
    platform::registry::Key root() { return *OpenSettingsRoot(); }
};

TEST_F(StartPracticeRulesTest, FiltersEventsByTagAndImageSensorTarget)
{
    using enum EventFilter;
    const struct {
        Variant tags;
        EventFilters filters;
        bool passes;
    } byTag[] = {
        {text("issf"), only({Issf}), true},
        {text("issf"), only({Other}), false},
        {text("nra"), only({Nra}), true},
        {text("military"), only({Military}), true},
        {text("ISSF"), only({Issf}), false},
        {text("issf,nra"), only({Other}), true},
        {{}, only({Other}), true},
        {{}, only({Issf, Nra, Military}), false},
        {Variant::fromInt32(1), only({Other}), true},
    };
    Events events;
    for (std::size_t index = 0; index < std::size(byTag); ++index) {
        SCOPED_TRACE(index);
        const auto event = events.add("E", "E", 10, {{"tags", byTag[index].tags}});
        EXPECT_EQ(PassesEventFilter(*event, byTag[index].filters, EventCondition::Any), byTag[index].passes);
    }

    const struct {
        Variant target;
        bool passes;
    } byTarget[] = {{{}, false},
                    {Variant::fromInt32(0), true},
                    {text("255"), true},
                    {text("front"), false},
                    {Variant::fromInt32(256), false},
                    {Variant::fromInt32(-1), false}};
    for (std::size_t index = 0; index < std::size(byTarget); ++index) {
        SCOPED_TRACE(index);
        const auto event = events.add("E", "E", 10, {{"_qv_target", byTarget[index].target}});
        EXPECT_EQ(PassesEventFilter(*event, EventFilters{}, EventCondition::ImageSensor), byTarget[index].passes);
        EXPECT_TRUE(PassesEventFilter(*event, EventFilters{}, EventCondition::Any));
    }
    // With an image sensor the tag still decides as well.
    const auto tagged = events.add("E", "E", 10, {{"_qv_target", Variant::fromInt32(3)}, {"tags", text("issf")}});
    EXPECT_FALSE(PassesEventFilter(*tagged, only({Other}), EventCondition::ImageSensor));
}

TEST_F(StartPracticeRulesTest, ListsByDistanceThenNameAndMarksTheRememberedEvent)
{
    Events events;
    events.add("SP25", "Sport Pistol", 25);
    events.add("AR10", "air rifle", 10, {{"tags", text("issf")}});
    events.add("AP10", "Air Pistol", 10, {{"tags", text("issf")}});
    events.add("R50", "", 50, {{"tags", text("military")}, {"_qv_target", Variant::fromInt32(4)}});
    events.add("AR10B", "Air rifle", 10, {{"_qv_target", Variant::fromInt32(1)}});

    const std::vector<std::string> all = {"Air Pistol (4.5 mm)", "air rifle (4.5 mm)", "Air rifle (4.5 mm)",
                                          "Sport Pistol (4.5 mm)", "R50 (4.5 mm)"};
    // Lower case sorts before upper case when the letters are otherwise equal.
    EXPECT_EQ(events.list(EventFilters{}, EventCondition::Any), all);
    EXPECT_EQ(events.list(only({EventFilter::Issf}), EventCondition::Any),
              (std::vector<std::string>{"Air Pistol (4.5 mm)", "air rifle (4.5 mm)"}));
    EXPECT_EQ(events.list(EventFilters{}, EventCondition::ImageSensor),
              (std::vector<std::string>{"Air rifle (4.5 mm)", "R50 (4.5 mm)"}));

    const struct {
        const char16_t* remembered;
        const char* selected;
    } cases[] = {
        {u"AP10", "Air Pistol (4.5 mm) *"},
        {u"Sport Pistol", "Sport Pistol (4.5 mm) *"},
        {u"R50 (4.5 mm)", "R50 (4.5 mm) *"},
        {u"ap10", nullptr},
        {u"", nullptr},
        {u"Sport", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(platform::com::utf16ToUtf8(c.remembered));
        const auto rows = events.list(EventFilters{}, EventCondition::Any, c.remembered);
        std::vector<std::string> selected;
        std::copy_if(rows.begin(), rows.end(), std::back_inserter(selected),
                     [](const std::string& row) { return row.ends_with(" *"); });
        EXPECT_EQ(selected, c.selected ? std::vector<std::string>{c.selected} : std::vector<std::string>{});
    }
}

TEST_F(StartPracticeRulesTest, DeviceOptionsFollowTheDeviceClassAndFiringPoint)
{
    const std::vector<std::u16string> positions = {u"Sensor on the bottom", u"Sensor on top", u"Sensor on the left",
                                                   u"Sensor on the right"};
    const auto distances = [](int near, int far) {
        return std::vector<std::u16string>{
            u"Target at 5-12 meters",
            u"Target at 25 meters. (Set switch to " + platform::com::utf8ToUtf16(std::to_string(near)) + u")",
            u"Target at 50 meters. (Set switch to " + platform::com::utf8ToUtf16(std::to_string(far)) + u")"};
    };
    const struct {
        const char* name;
        DeviceKind kind;
        std::vector<std::u16string> current;
        std::uint32_t firingPoint;
        bool shown;
        std::optional<std::vector<std::u16string>> entries;
    } cases[] = {
        {"serial port at start", DeviceKind::SerialPort, {}, 1, true, positions},
        {"serial port keeps its positions", DeviceKind::SerialPort, positions, 1, true, std::nullopt},
        {"serial port after an optical sensor", DeviceKind::SerialPort, distances(7, 1), 1, true, positions},
        {"optical sensor, firing point 1", DeviceKind::OpticalSensor, positions, 1, true, distances(7, 1)},
        {"optical sensor, firing point 2", DeviceKind::OpticalSensor, positions, 2, true, distances(6, 0)},
        {"optical sensor again, firing point 3", DeviceKind::OpticalSensor, distances(7, 1), 3, true, distances(7, 1)},
        {"wireless target", DeviceKind::WirelessTarget, positions, 2, false, std::nullopt},
        {"image sensor", DeviceKind::ImageSensor, distances(7, 1), 2, false, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ShowsDeviceOption(c.kind), c.shown);
        EXPECT_EQ(DeviceOptionEntries(c.kind, c.current, c.firingPoint, nullptr), c.entries);
    }
}

TEST_F(StartPracticeRulesTest, InitialPositionsForThreePositionEventsAndBiathlon)
{
    Events events;
    const struct {
        const char* shortName;
        std::map<std::string, Variant> values;
        std::vector<std::u16string> positions;
    } cases[] = {
        {"R50", {{"_three_positions", Variant::fromInt32(1)}}, {u"Prone", u"Standing", u"Kneeling"}},
        {"R50", {{"_three_positions", text("yes")}}, {u"Prone", u"Standing", u"Kneeling"}},
        {"R50", {{"_three_positions", text("")}}, {}},
        {"BTLN", {}, {u"Prone", u"Standing"}},
        {"BTLN", {{"_three_positions", Variant::fromInt32(1)}}, {u"Prone", u"Standing", u"Kneeling"}},
        {"btln", {}, {}},
        {"AR10", {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shortName);
        const auto event = events.add(c.shortName, "", 10, c.values);
        EXPECT_EQ(InitialPositions(event.get()), c.positions);
    }
    EXPECT_TRUE(InitialPositions(nullptr).empty());
    EXPECT_EQ(kStandingPosition, 1);
}

TEST_F(StartPracticeRulesTest, StartsBySelfOnlyWithBothNamesTheEventFoundAndADevice)
{
    const struct {
        AutoStart state;
        bool eventSelected;
        bool deviceListed;
        bool showsFirst;
        bool starts;
    } cases[] = {
        {{true, true, true}, true, true, false, true},      {{true, true, true}, false, true, false, false},
        {{true, true, true}, true, false, false, false},    {{false, true, true}, true, true, true, false},
        {{true, false, true}, true, true, true, false},     {{true, true, false}, true, true, true, false},
        {{false, false, false}, false, false, true, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.state.showsBeforeProbing(), c.showsFirst);
        EXPECT_EQ(c.state.startsBySelf(c.eventSelected, c.deviceListed), c.starts);
    }
}

TEST_F(StartPracticeRulesTest, StartChecksTheFormRemembersNamesAndConfiguresInOrder)
{
    const auto key = root();
    Events events;
    COptions options;
    options.saveSecBeforeShot = 8;
    options.saveSecAfterShot = 2;
    options.firingPoint = 3;
    const auto rifle = events.add("AR10", "Air Rifle");
    const struct {
        const char* name;
        StartForm form;
        std::function<void()> prepare;
        std::vector<std::string> log;
    } cases[] = {
        {"serial port, sensor on the left, the options' times",
         {7, "", DeviceKind::SerialPort, u"Ann", rifle, -1, 2},
         [] {},
         {"CommPort=7", "Event(1)=AR10", "TargetType(1)=2", "SampleRate=200", "MaxTimeBeforeShot(1)=8",
          "MaxTimeAfterShot(1)=2", "PiezoSensitivity(1)=40", "SensorPosition(1)=3", "FiringPoint=3"}},
        {"optical sensor at 50 m, piezo from the settings, biathlon times",
         {258, "/dev/bus/usb/001/002", DeviceKind::OpticalSensor, u"Ann", events.add("BTLN"), 0, 2},
         [&] { ASSERT_TRUE(key.setDword(u"PiezoSensitivity", 55)); },
         {"DevicePath=/dev/bus/usb/001/002", "Event(1)=BTLN", "TargetType(1)=5", "SampleRate=200",
          "MaxTimeBeforeShot(1)=5", "MaxTimeAfterShot(1)=5", "PiezoSensitivity(1)=55", "FiringPoint=3"}},
        {"optical sensor at 25 m, rapid-fire times",
         {257, "/p", DeviceKind::OpticalSensor, u"Ann", events.add("MRF-32-6"), -1, 1},
         [] {},
         {"DevicePath=/p", "Event(1)=MRF-32-6", "TargetType(1)=4", "SampleRate=200", "MaxTimeBeforeShot(1)=15",
          "MaxTimeAfterShot(1)=15", "PiezoSensitivity(1)=55", "FiringPoint=3"}},
        {"image sensor: 10 m whatever the option box holds, turning-target times",
         {4096, "/q", DeviceKind::ImageSensor, u"Ann", events.add("N4TL3"), -1, 2},
         [] {},
         {"DevicePath=/q", "Event(1)=N4TL3", "TargetType(1)=2", "SampleRate=200", "MaxTimeBeforeShot(1)=15",
          "MaxTimeAfterShot(1)=15", "PiezoSensitivity(1)=55", "FiringPoint=3"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.prepare();
        const auto read = ReadStartForm(c.form, options, &key);
        ASSERT_TRUE(std::holds_alternative<DeviceSettings>(read));
        auto device = platform::com::makeComObject<FakeTalvoDevice>();
        ConfigureDevice(*device, std::get<DeviceSettings>(read));
        EXPECT_EQ(device->log(), c.log);
        EXPECT_EQ(*key.string(u"ShooterName"), u"Ann");
        Bstr shortName;
        ASSERT_EQ(S_OK, c.form.event->get_ShortName(shortName.put()));
        EXPECT_EQ(*key.string(u"EventName"), shortName.view());
    }

    // The shooter is checked and remembered before the event.
    const auto noShooter = ReadStartForm({7, "", DeviceKind::SerialPort, u"", rifle, -1, 0}, options, &key);
    EXPECT_EQ(std::get<std::u16string_view>(noShooter), u"Please enter shooter name");
    const auto noEvent = ReadStartForm({7, "", DeviceKind::SerialPort, u"Bob", nullptr, -1, 0}, options, &key);
    EXPECT_EQ(std::get<std::u16string_view>(noEvent), u"Please select event");
    EXPECT_EQ(*key.string(u"ShooterName"), u"Bob");
    EXPECT_EQ(*key.string(u"EventName"), u"N4TL3");

    // The position counts only for events that offer one.
    const auto three = events.add("R3", "", 50, {{"_three_positions", Variant::fromInt32(1)}});
    const auto position = [&](ComPtr<IEventParams> event) {
        return std::get<DeviceSettings>(
                   ReadStartForm({7, "", DeviceKind::SerialPort, u"Ann", event, 2, 0}, options, &key))
            .position;
    };
    EXPECT_EQ(position(three), 2);
    EXPECT_EQ(position(rifle), -1);
}

TEST_F(StartPracticeRulesTest, RemembersNamesOfAtMost520Bytes)
{
    const auto key = root();
    EXPECT_EQ(LoadRememberedName(&key, u"ShooterName"), u"");
    EXPECT_EQ(LoadRememberedName(nullptr, u"ShooterName"), u"");
    const std::u16string longest(259, u'a');
    ASSERT_TRUE(key.setString(u"ShooterName", longest));
    EXPECT_EQ(LoadRememberedName(&key, u"ShooterName"), longest);
    ASSERT_TRUE(key.setString(u"EventName", longest + u"a"));
    EXPECT_EQ(LoadRememberedName(&key, u"EventName"), u"");
}

} // namespace
} // namespace talvodesk
