#include "talvoboard/tests/support/Targets.h"

#include "talvoboard/Target.h"

#include "interfaces/talvoboard/DispIds.h"
#include "platform/com/MemoryStream.h"
#include "platform/com/PropertyBag.h"
#include "platform/testing/Matchers.h"
#include "talvodata/tests/support/Bytes.h"
#include "talvodata/tests/support/Events.h"

#include <QWidget>

#include <gtest/gtest.h>

#include <cmath>

namespace talvoboard {
namespace {

using platform::com::Bstr;
using platform::com::ComPtr;
using platform::com::MemoryStream;
using platform::com::PropertyBag;
using platform::com::Variant;
using talvodata::testsupport::Bytes;
using talvodata::testsupport::shippedEvent;
using talvodata::testsupport::streamOf;
using testsupport::makeTarget;
using testsupport::propertyOf;

constexpr std::uint16_t kBool = VT_BOOL;
constexpr std::uint16_t kInt = VT_I4;
constexpr std::uint16_t kFloat = VT_R4;
constexpr std::uint16_t kColor = VT_UI4;
constexpr std::uint16_t kText = VT_BSTR;

/// The stream form of a new control, written out field by field; `shortName` and `zoom` may be replaced.
Bytes defaultForm(std::u16string_view shortName = {}, float zoom = 0.0f, LONG replaySpeed = 100)
{
    Bytes bytes;
    bytes.u32(0x0800).i32(5080).i32(5080);
    if (shortName.empty()) {
        bytes.u16(kText).u32(0);
    } else {
        bytes.u16(kText).bstr(shortName);
    }
    bytes.u16(kBool).i16(-1);                // DisplayTrace
    bytes.u16(kBool).i16(0);                 // AutoZoom
    bytes.u16(kInt).i32(replaySpeed);        // ReplaySpeed
    bytes.u16(kBool).i16(0);                 // Dragable
    bytes.u16(kBool).i16(-1);                // Match
    bytes.u16(kColor).u32(0x00FFFF);         // ReplayMarkColor
    bytes.u16(kColor).u32(0x00FFFF);         // SightingMarkColor
    bytes.u16(kBool).i16(-1);                // DisplayBreach
    bytes.u16(kBool).i16(-1);                // DisplayReplayMark
    bytes.u16(kText).u32(0);                 // Label
    bytes.u16(kFloat).f32(zoom);             // Zoom
    bytes.u16(kFloat).f32(0.1f);             // TraceHeadingLength
    bytes.u16(kColor).u32(0x0000FF);         // TraceHeadingColor
    bytes.u16(kColor).u32(0x20C040);         // TraceColor
    bytes.u16(kColor).u32(0x0000FF);         // TraceAfterShotColor
    bytes.u16(kBool).i16(-1);                // Selectable
    bytes.u16(kBool).i16(-1);                // ShadeLabel
    bytes.u16(kColor).u32(0x00FFFF);         // LabelColor
    bytes.u16(kBool).i16(-1);                // DefaultBackground
    bytes.u16(kText).bstr(u"REPLAY");        // "ReplayPaused", which carries ReplayLabel
    bytes.u16(kText).bstr(u"REPLAY PAUSED"); // ReplayPausedLabel
    bytes.u16(kFloat).f32(-1.0f);            // TraceThickness
    bytes.u16(kColor).u32(0);                // BreachColor
    bytes.u16(kColor).u32(0);                // SelectedBreachColor
    bytes.u16(kInt).i32(1);                  // SubTarget
    bytes.u16(kColor).u32(0xFFFFFF);         // BackColor
    return bytes;
}

std::vector<std::uint8_t> saved(ITarget* target)
{
    auto stream = platform::com::makeComObject<MemoryStream>();
    EXPECT_HR(S_OK, ComPtr<ITarget>(target).queryInterface<IPersistStreamInit>()->Save(stream.get(), TRUE));
    return stream->bytes();
}

HRESULT load(ITarget* target, const std::vector<std::uint8_t>& bytes)
{
    return ComPtr<ITarget>(target).queryInterface<IPersistStreamInit>()->Load(streamOf(bytes).get());
}

/// Every property the map persists, read late-bound.
const DISPID kPersisted[] = {
    DISPID_TARGET_EVENTSHORTNAME,
    DISPID_TARGET_DISPLAYTRACE,
    DISPID_TARGET_AUTOZOOM,
    DISPID_TARGET_REPLAYSPEED,
    DISPID_TARGET_DRAGABLE,
    DISPID_TARGET_MATCH,
    DISPID_TARGET_REPLAYMARKCOLOR,
    DISPID_TARGET_SIGHTINGMARKCOLOR,
    DISPID_TARGET_DISPLAYBREACH,
    DISPID_TARGET_DISPLAYREPLAYMARK,
    DISPID_TARGET_LABEL,
    DISPID_TARGET_ZOOM,
    DISPID_TARGET_TRACEHEADINGLENGTH,
    DISPID_TARGET_TRACEHEADINGCOLOR,
    DISPID_TARGET_TRACECOLOR,
    DISPID_TARGET_TRACEAFTERSHOTCOLOR,
    DISPID_TARGET_SELECTABLE,
    DISPID_TARGET_SHADELABEL,
    DISPID_TARGET_LABELCOLOR,
    DISPID_TARGET_DEFAULTBACKGROUND,
    DISPID_TARGET_REPLAYLABEL,
    DISPID_TARGET_REPLAYPAUSEDLABEL,
    DISPID_TARGET_TRACETHICKNESS,
    DISPID_TARGET_BREACHCOLOR,
    DISPID_TARGET_SELECTEDBREACHCOLOR,
    DISPID_TARGET_SUBTARGET,
    DISPID_TARGET_BACKCOLOR,
};

void expectSameProperties(ITarget* expected, ITarget* actual)
{
    for (const DISPID dispId : kPersisted) {
        SCOPED_TRACE(dispId);
        EXPECT_TRUE(platform::com::variantsEqual(propertyOf(expected, dispId).get(), propertyOf(actual, dispId).get()));
    }
}

/// A control with every persisted property changed from its default.
ComPtr<ITarget> changedTarget()
{
    auto target = makeTarget();
    EXPECT_HR(S_OK, target->put_EventShortName(Bstr("AR10").get()));
    EXPECT_HR(S_OK, target->put_DisplayTrace(VARIANT_FALSE));
    EXPECT_HR(S_OK, target->put_ReplaySpeed(250));
    EXPECT_HR(S_OK, target->put_Dragable(VARIANT_TRUE));
    EXPECT_HR(S_OK, target->put_Match(VARIANT_FALSE));
    EXPECT_HR(S_OK, target->put_ReplayMarkColor(0x010203));
    EXPECT_HR(S_OK, target->put_SightingMarkColor(0x040506));
    EXPECT_HR(S_OK, target->put_DisplayBreach(VARIANT_FALSE));
    EXPECT_HR(S_OK, target->put_DisplayReplayMark(VARIANT_FALSE));
    EXPECT_HR(S_OK, target->put_Label(1, Bstr("Left label").get()));
    EXPECT_HR(S_OK, target->put_Zoom(5.0f));
    EXPECT_HR(S_OK, target->put_TraceHeadingLength(0.25f));
    EXPECT_HR(S_OK, target->put_TraceHeadingColor(0x070809));
    EXPECT_HR(S_OK, target->put_TraceColor(0x0A0B0C));
    EXPECT_HR(S_OK, target->put_TraceAfterShotColor(0x0D0E0F));
    EXPECT_HR(S_OK, target->put_Selectable(VARIANT_FALSE));
    EXPECT_HR(S_OK, target->put_ShadeLabel(VARIANT_FALSE));
    EXPECT_HR(S_OK, target->put_LabelColor(0x101112));
    EXPECT_HR(S_OK, target->put_DefaultBackground(VARIANT_FALSE));
    EXPECT_HR(S_OK, target->put_ReplayLabel(Bstr("Replay").get()));
    EXPECT_HR(S_OK, target->put_ReplayPausedLabel(Bstr("Paused").get()));
    EXPECT_HR(S_OK, target->put_TraceThickness(0.5f));
    EXPECT_HR(S_OK, target->put_BreachColor(0x131415));
    EXPECT_HR(S_OK, target->put_SelectedBreachColor(0x161718));
    EXPECT_HR(S_OK, target->put_SubTarget(2));
    EXPECT_HR(S_OK, target->put_BackColor(0x191A1B));
    EXPECT_HR(S_OK, target->put_AutoZoom(VARIANT_TRUE));
    return target;
}

TEST(PropertyMapTest, NewControlSavesTheDefaultForm)
{
    const auto target = makeTarget();
    const std::vector<std::uint8_t> expected = defaultForm().bytes();
    ASSERT_EQ(198u, expected.size());
    EXPECT_EQ(expected, saved(target.get()));
    ULONGLONG size = 0;
    ASSERT_HR(S_OK, target.queryInterface<IPersistStreamInit>()->GetSizeMax(&size));
    EXPECT_EQ(198u, size);
}

TEST(PropertyMapTest, LoadingTheSavedFormGivesTheSameProperties)
{
    const auto original = changedTarget();
    const std::vector<std::uint8_t> bytes = saved(original.get());
    const auto copy = makeTarget();
    ASSERT_HR(S_OK, load(copy.get(), bytes));
    expectSameProperties(original.get(), copy.get());
    EXPECT_EQ(bytes, saved(copy.get()));

    const auto fresh = makeTarget();
    ASSERT_HR(S_OK, load(copy.get(), defaultForm().bytes()));
    expectSameProperties(fresh.get(), copy.get());
}

TEST(PropertyMapTest, LoadingRunsTheSettersRules)
{
    const auto target = makeTarget();
    ASSERT_HR(S_OK, load(target.get(), defaultForm(u"AR10", 9.5f).bytes()));
    ComPtr<IEventParams> event;
    ASSERT_HR(S_OK, target->get_Event(event.put()));
    EXPECT_EQ(shippedEvent("AR10").get(), event.get());
    float zoom = 0.0f;
    ASSERT_HR(S_OK, target->get_Zoom(&zoom));
    EXPECT_EQ(9.0f, zoom);
    ComPtr<ITargetParams> face;
    ASSERT_HR(S_OK, event->get_Target(1, face.put()));
    float ring = 0.0f;
    ASSERT_HR(S_OK, face->get_Ring(9, &ring));
    ASSERT_GT(ring, 0.0f);
    float width = 0.0f;
    ASSERT_HR(S_OK, target->get_VisibleWidth(&width));
    EXPECT_FLOAT_EQ(std::round(ring * 100.0f) / 100.0f, width);
}

TEST(PropertyMapTest, LoadingAnUnknownEventKeepsItsName)
{
    const auto target = makeTarget();
    ASSERT_HR(S_OK, load(target.get(), defaultForm(u"NOSUCH").bytes()));
    Bstr name;
    ASSERT_HR(S_OK, target->get_EventShortName(name.put()));
    EXPECT_EQ(Bstr("NOSUCH"), name);
    ComPtr<IEventParams> event;
    EXPECT_HR(E_INVALIDARG, target->get_Event(event.put()));
}

TEST(PropertyMapTest, RefusesNewerShortAndUnacceptableForms)
{
    const std::vector<std::uint8_t> good = defaultForm().bytes();
    std::vector<std::uint8_t> newer = good;
    newer[1] = 0x09; // Version 0x0900.
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        HRESULT expected;
    };
    const std::vector<Case> cases{
        {"newer version", newer, E_FAIL},
        {"empty", {}, E_FAIL},
        {"version only", std::vector<std::uint8_t>(good.begin(), good.begin() + 4), E_FAIL},
        {"cut in the extent", std::vector<std::uint8_t>(good.begin(), good.begin() + 10), E_FAIL},
        {"cut in a text", std::vector<std::uint8_t>(good.begin(), good.begin() + 15), E_FAIL},
        {"last value cut", std::vector<std::uint8_t>(good.begin(), good.end() - 1), E_FAIL},
        {"replay speed out of range", defaultForm({}, 0.0f, 5).bytes(), E_INVALIDARG},
        {"zoom out of range", defaultForm({}, 11.0f).bytes(), E_INVALIDARG},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        const auto target = makeTarget();
        EXPECT_HR(test.expected, load(target.get(), test.bytes));
    }
}

TEST(PropertyMapTest, PropertyBagFormRoundTrips)
{
    const auto original = changedTarget();
    auto bag = platform::com::makeComObject<PropertyBag>();
    ASSERT_HR(S_OK, original.queryInterface<IPersistPropertyBag>()->Save(bag.get(), TRUE, TRUE));
    const std::vector<std::u16string> names = bag->names();
    ASSERT_EQ(29u, names.size());
    EXPECT_EQ(u"_cx", names[0]);
    EXPECT_EQ(u"_cy", names[1]);
    EXPECT_EQ(u"EventShortName", names[2]);
    EXPECT_EQ(u"ReplayPaused", names[22]);
    EXPECT_EQ(u"BackColor", names[28]);
    Variant replayPaused;
    ASSERT_HR(S_OK, bag->Read(u"ReplayPaused", replayPaused.put(), nullptr));
    EXPECT_TRUE(platform::com::variantsEqual(Variant::fromString(Bstr("Replay")).get(), replayPaused.get()));

    const auto copy = makeTarget();
    ASSERT_HR(S_OK, copy.queryInterface<IPersistPropertyBag>()->Load(bag.get(), nullptr));
    expectSameProperties(original.get(), copy.get());
}

TEST(PropertyMapTest, NamesMissingFromABagKeepTheirValues)
{
    auto bag = platform::com::makeComObject<PropertyBag>();
    Variant speed = Variant::fromString(Bstr("42"));
    VARIANT value = speed.get();
    ASSERT_HR(S_OK, bag->Write(u"ReplaySpeed", &value));
    const auto target = makeTarget();
    ASSERT_HR(S_OK, target->put_TraceColor(0x123456));
    ASSERT_HR(S_OK, target.queryInterface<IPersistPropertyBag>()->Load(bag.get(), nullptr));
    LONG stored = 0;
    ASSERT_HR(S_OK, target->get_ReplaySpeed(&stored));
    EXPECT_EQ(42, stored);
    OLE_COLOR color = 0;
    ASSERT_HR(S_OK, target->get_TraceColor(&color));
    EXPECT_EQ(0x123456u, color);
}

TEST(PropertyMapTest, ExtentIsPersistedInHimetricAndSizesTheWidget)
{
    const auto target = makeTarget();
    Bytes bytes = defaultForm();
    std::vector<std::uint8_t> form = bytes.bytes();
    const std::int32_t width = 10160; // Four inches: 384 pixels at 96 dots per inch.
    std::memcpy(form.data() + 4, &width, sizeof width);
    ASSERT_HR(S_OK, load(target.get(), form));
    QWidget* widget = nullptr;
    ASSERT_HR(S_OK, target.queryInterface<ITargetWindow>()->GetWidget(&widget));
    EXPECT_EQ(384, widget->width());
    EXPECT_EQ(192, widget->height());
    EXPECT_EQ(form, saved(target.get()));

    widget->resize(96, 48);
    const std::vector<std::uint8_t> resized = saved(target.get());
    std::int32_t extent[2] = {};
    std::memcpy(extent, resized.data() + 4, sizeof extent);
    EXPECT_EQ(2540, extent[0]);
    EXPECT_EQ(1270, extent[1]);
}

TEST(PropertyMapTest, IsDirtyWhenAPersistedPropertyChanged)
{
    const auto target = makeTarget();
    const auto persist = target.queryInterface<IPersistStreamInit>();
    ASSERT_HR(S_OK, persist->InitNew());
    EXPECT_HR(S_FALSE, persist->IsDirty());
    ASSERT_HR(S_OK, target->put_BackColor(0x000001));
    EXPECT_HR(S_OK, persist->IsDirty());
    (void)saved(target.get());
    EXPECT_HR(S_FALSE, persist->IsDirty());
    CLSID classId{};
    ASSERT_HR(S_OK, persist->GetClassID(&classId));
    EXPECT_EQ(CLSID_Target, classId);
}

} // namespace
} // namespace talvoboard
