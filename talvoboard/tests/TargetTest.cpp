#include "talvoboard/tests/support/Targets.h"

#include "talvoboard/TargetWindow.h"

#include "interfaces/talvoboard/DispIds.h"
#include "interfaces/talvoboard/_ITargetEvents.h"
#include "platform/com/ConnectionPoint.h"
#include "platform/testing/Matchers.h"
#include "talvodata/tests/support/AimingBuilder.h"
#include "talvodata/tests/support/Events.h"

#include <QPointer>
#include <QWidget>

#include <gtest/gtest.h>

namespace talvoboard {
namespace {

using platform::com::Bstr;
using platform::com::ComObject;
using platform::com::ComPtr;
using platform::com::Variant;
using talvodata::testsupport::AimingBuilder;
using talvodata::testsupport::shippedEvent;
using testsupport::makeTarget;
using testsupport::propertyOf;

Variant color(OLE_COLOR value)
{
    Variant result;
    VARIANT* slot = result.put();
    slot->vt = VT_UI4;
    slot->ulVal = value;
    return result;
}

TEST(TargetTest, IsRegisteredByBothProgIds)
{
    for (const char16_t* progId : {u"TalvoBoard.Target.1", u"TalvoBoard.Target"}) {
        CLSID classId{};
        EXPECT_HR(S_OK, CLSIDFromProgID(progId, &classId));
        EXPECT_EQ(CLSID_Target, classId);
    }
}

TEST(TargetTest, NewControlHasTheDocumentedDefaults)
{
    const auto target = makeTarget();
    const struct {
        DISPID dispId;
        Variant expected;
    } defaults[] = {
        {DISPID_TARGET_COUNT, Variant::fromInt32(0)},
        {DISPID_TARGET_LABEL, Variant::fromString(Bstr())},
        {DISPID_TARGET_MATCH, Variant::fromBool(true)},
        {DISPID_TARGET_TRACEHEADINGLENGTH, Variant::fromFloat(0.1f)},
        {DISPID_TARGET_DISPLAYBREACH, Variant::fromBool(true)},
        {DISPID_TARGET_DISPLAYTRACE, Variant::fromBool(true)},
        {DISPID_TARGET_DISPLAYREPLAYMARK, Variant::fromBool(true)},
        {DISPID_TARGET_SELECTABLE, Variant::fromBool(true)},
        {DISPID_TARGET_DRAGABLE, Variant::fromBool(false)},
        {DISPID_TARGET_ZOOM, Variant::fromFloat(0.0f)},
        {DISPID_TARGET_AUTOZOOM, Variant::fromBool(false)},
        {DISPID_TARGET_REPLAYMARKCOLOR, color(0x00FFFF)},
        {DISPID_TARGET_SIGHTINGMARKCOLOR, color(0x00FFFF)},
        {DISPID_TARGET_TRACEAFTERSHOTCOLOR, color(0x0000FF)},
        {DISPID_TARGET_TRACECOLOR, color(0x20C040)},
        {DISPID_TARGET_TRACEHEADINGCOLOR, color(0x0000FF)},
        {DISPID_TARGET_ENABLEUPDATE, Variant::fromBool(true)},
        {DISPID_TARGET_REPLAYSPEED, Variant::fromInt32(100)},
        {DISPID_TARGET_REPLAYPOSITION, Variant::fromFloat(0.0f)},
        {DISPID_TARGET_REPLAYPAUSED, Variant::fromBool(false)},
        {DISPID_TARGET_EVENTSHORTNAME, Variant::fromString(Bstr())},
        {DISPID_TARGET_SHADELABEL, Variant::fromBool(true)},
        {DISPID_TARGET_LABELCOLOR, color(0x00FFFF)},
        {DISPID_TARGET_DEFAULTBACKGROUND, Variant::fromBool(true)},
        {DISPID_TARGET_REPLAYLABEL, Variant::fromString(Bstr("REPLAY"))},
        {DISPID_TARGET_REPLAYPAUSEDLABEL, Variant::fromString(Bstr("REPLAY PAUSED"))},
        {DISPID_TARGET_TRACETHICKNESS, Variant::fromFloat(-1.0f)},
        {DISPID_TARGET_BREACHCOLOR, color(0)},
        {DISPID_TARGET_SELECTEDBREACHCOLOR, color(0)},
        {DISPID_TARGET_SUBTARGET, Variant::fromInt32(1)},
        {DISPID_TARGET_ELEMENTCOUNT, Variant::fromInt32(0)},
        {DISPID_TARGET_BACKCOLOR, color(0xFFFFFF)},
        {DISPID_TARGET_DISPLAYSCORERINGS, Variant::fromBool(true)},
    };
    for (const auto& property : defaults) {
        SCOPED_TRACE(property.dispId);
        EXPECT_TRUE(
            platform::com::variantsEqual(property.expected.get(), propertyOf(target.get(), property.dispId).get()));
    }
    ComPtr<IEventParams> event;
    EXPECT_HR(E_INVALIDARG, target->get_Event(event.put()));
    ComPtr<IAiming> aiming;
    EXPECT_HR(S_OK, target->get_SelectedAiming(aiming.put()));
    EXPECT_FALSE(aiming);
}

TEST(TargetTest, FlagsAreTrueOnlyForMinusOne)
{
    const auto target = makeTarget();
    for (const VARIANT_BOOL value : {VARIANT_BOOL{1}, VARIANT_BOOL{0}, VARIANT_BOOL{-2}}) {
        SCOPED_TRACE(value);
        ASSERT_HR(S_OK, target->put_Match(value));
        VARIANT_BOOL stored = VARIANT_TRUE;
        ASSERT_HR(S_OK, target->get_Match(&stored));
        EXPECT_EQ(VARIANT_FALSE, stored);
    }
    ASSERT_HR(S_OK, target->put_Match(VARIANT_TRUE));
    VARIANT_BOOL stored = VARIANT_FALSE;
    ASSERT_HR(S_OK, target->get_Match(&stored));
    EXPECT_EQ(VARIANT_TRUE, stored);
}

TEST(TargetTest, RefusesArgumentsOutsideTheirRanges)
{
    const auto target = makeTarget();
    const struct {
        const char* name;
        HRESULT expected;
        HRESULT (*call)(ITarget&);
    } cases[] = {
        {"label 0", E_INVALIDARG, [](ITarget& t) { return t.put_Label(0, Bstr("a").get()); }},
        {"label 3", E_INVALIDARG, [](ITarget& t) { return t.put_Label(3, Bstr("a").get()); }},
        {"label 2", S_OK, [](ITarget& t) { return t.put_Label(2, Bstr("a").get()); }},
        {"speed 9", E_INVALIDARG, [](ITarget& t) { return t.put_ReplaySpeed(9); }},
        {"speed 301", E_INVALIDARG, [](ITarget& t) { return t.put_ReplaySpeed(301); }},
        {"speed 10", S_OK, [](ITarget& t) { return t.put_ReplaySpeed(10); }},
        {"speed 300", S_OK, [](ITarget& t) { return t.put_ReplaySpeed(300); }},
        {"heading below 0", E_INVALIDARG, [](ITarget& t) { return t.put_TraceHeadingLength(-0.01f); }},
        {"heading 0", S_OK, [](ITarget& t) { return t.put_TraceHeadingLength(0.0f); }},
        {"zoom below 0", E_INVALIDARG, [](ITarget& t) { return t.put_Zoom(-0.1f); }},
        {"zoom above 10", E_INVALIDARG, [](ITarget& t) { return t.put_Zoom(10.1f); }},
        {"no event", E_INVALIDARG, [](ITarget& t) { return t.put_Event(nullptr); }},
        {"no aiming", E_INVALIDARG, [](ITarget& t) { return t.Add(nullptr); }},
        {"no such aiming", E_INVALIDARG,
         [](ITarget& t) {
             ComPtr<IAiming> aiming;
             return t.get_Item(1, aiming.put());
         }},
        {"no such element", E_INVALIDARG,
         [](ITarget& t) {
             ComPtr<ITargetElement> element;
             return t.get_Elements(1, element.put());
         }},
        {"null selected aiming slot", E_INVALIDARG, [](ITarget& t) { return t.get_SelectedAiming(nullptr); }},
        {"null element slot", E_POINTER,
         [](ITarget& t) { return t.AddElement(elementEllipse, 0.0f, 0.0f, 1.0f, 1.0f, nullptr); }},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        EXPECT_HR(test.expected, test.call(*target));
    }
    LONG speed = 0;
    ASSERT_HR(S_OK, target->get_ReplaySpeed(&speed));
    EXPECT_EQ(300, speed);
}

TEST(TargetTest, EventByShortNameKeepsTheNameAlsoWhenNoEventHasIt)
{
    const auto target = makeTarget();
    ASSERT_HR(S_OK, target->put_EventShortName(Bstr("AR10").get()));
    ComPtr<IEventParams> event;
    ASSERT_HR(S_OK, target->get_Event(event.put()));
    EXPECT_EQ(shippedEvent("AR10").get(), event.get());

    ASSERT_HR(S_OK, target->put_EventShortName(Bstr("NO SUCH EVENT").get()));
    Bstr name;
    ASSERT_HR(S_OK, target->get_EventShortName(name.put()));
    EXPECT_EQ(Bstr("NO SUCH EVENT"), name);
    ComPtr<IEventParams> kept;
    ASSERT_HR(S_OK, target->get_Event(kept.put()));
    EXPECT_EQ(event.get(), kept.get());

    EXPECT_HR(E_INVALIDARG, target->put_Event(nullptr));
    ASSERT_HR(S_OK, target->get_Event(kept.put()));
    EXPECT_EQ(event.get(), kept.get());
}

TEST(TargetTest, EventNameIsTheNameGivenNotTheEventsName)
{
    const auto target = makeTarget();
    ASSERT_HR(S_OK, target->put_Event(shippedEvent("AP10").get()));
    Bstr name;
    ASSERT_HR(S_OK, target->get_EventShortName(name.put()));
    EXPECT_TRUE(name.isNull());
}

TEST(TargetTest, AddsEachAimingOnceAndClearEmptiesTheControl)
{
    const auto target = makeTarget();
    const auto first = AimingBuilder().samples(10).shot().build();
    const auto second = AimingBuilder().samples(10).shot().build();
    ASSERT_HR(S_OK, target->Add(first.get()));
    ASSERT_HR(S_OK, target->Add(second.get()));
    ASSERT_HR(S_OK, target->Add(first.get()));
    LONG count = 0;
    ASSERT_HR(S_OK, target->get_Count(&count));
    EXPECT_EQ(2, count);
    ComPtr<IAiming> item;
    ASSERT_HR(S_OK, target->get_Item(2, item.put()));
    EXPECT_EQ(static_cast<IAiming*>(second.get()), item.get());

    ComPtr<ITargetElement> element;
    ASSERT_HR(S_OK, target->AddElement(elementRectangle, -1.0f, -1.0f, 2.0f, 2.0f, element.put()));
    ASSERT_HR(S_OK, target->put_Label(1, Bstr("left").get()));
    ASSERT_HR(S_OK, target->Clear());
    ASSERT_HR(S_OK, target->get_Count(&count));
    EXPECT_EQ(0, count);
    ASSERT_HR(S_OK, target->get_ElementCount(&count));
    EXPECT_EQ(0, count);
    Bstr label;
    ASSERT_HR(S_OK, target->get_Label(1, label.put()));
    EXPECT_TRUE(label.isNull());
}

TEST(TargetTest, AddedElementCarriesItsPlace)
{
    const auto target = makeTarget();
    ComPtr<ITargetElement> element;
    ASSERT_HR(S_OK, target->AddElement(elementEllipse, -2.0f, -3.0f, 4.0f, 6.0f, element.put()));
    ComPtr<ITargetElement> first;
    ASSERT_HR(S_OK, target->get_Elements(1, first.put()));
    EXPECT_EQ(element.get(), first.get());
    float value = 0.0f;
    ASSERT_HR(S_OK, element->get_Height(&value));
    EXPECT_EQ(6.0f, value);
    enumTargetElementType type = elementText;
    ASSERT_HR(S_OK, element->get_Type(&type));
    EXPECT_EQ(elementEllipse, type);
    ASSERT_HR(S_OK, target->ClearElements());
    LONG count = 1;
    ASSERT_HR(S_OK, target->get_ElementCount(&count));
    EXPECT_EQ(0, count);
}

TEST(TargetTest, SelectsOnlyShotsOfAddedAimings)
{
    const auto target = makeTarget();
    const auto aiming = AimingBuilder().samples(10).shot().build();
    const auto stranger = AimingBuilder().samples(10).shot().build();
    ASSERT_HR(S_OK, target->Add(aiming.get()));
    ComPtr<IShot> shot;
    ASSERT_HR(S_OK, aiming->get_Shot(1, shot.put()));

    ASSERT_HR(S_OK, target->put_SelectedShot(shot.get()));
    ComPtr<IShot> selected;
    ComPtr<IAiming> selectedAiming;
    ASSERT_HR(S_OK, target->get_SelectedShot(selected.put()));
    ASSERT_HR(S_OK, target->get_SelectedAiming(selectedAiming.put()));
    EXPECT_EQ(shot.get(), selected.get());
    EXPECT_EQ(static_cast<IAiming*>(aiming.get()), selectedAiming.get());

    ComPtr<IShot> strangerShot;
    ASSERT_HR(S_OK, stranger->get_Shot(1, strangerShot.put()));
    ASSERT_HR(S_OK, target->put_SelectedShot(strangerShot.get()));
    ASSERT_HR(S_OK, target->get_SelectedShot(selected.put()));
    EXPECT_FALSE(selected);
}

TEST(TargetTest, LateBoundCallsConvertAndTakeTheLabelPosition)
{
    const auto target = makeTarget();
    Variant speed = Variant::fromString(Bstr("150"));
    VARIANT argument = speed.get();
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{&argument, &named, 1, 1};
    ASSERT_HR(S_OK, target->Invoke(DISPID_TARGET_REPLAYSPEED, GUID_NULL, 0, DISPATCH_PROPERTYPUT, &params, nullptr,
                                   nullptr, nullptr));
    LONG stored = 0;
    ASSERT_HR(S_OK, target->get_ReplaySpeed(&stored));
    EXPECT_EQ(150, stored);

    Variant text = Variant::fromString(Bstr("right"));
    Variant position = Variant::fromInt32(2);
    VARIANT arguments[] = {text.get(), position.get()};
    DISPPARAMS labelParams{arguments, &named, 2, 1};
    ASSERT_HR(S_OK, target->Invoke(DISPID_TARGET_LABEL, GUID_NULL, 0, DISPATCH_PROPERTYPUT, &labelParams, nullptr,
                                   nullptr, nullptr));
    Bstr label;
    ASSERT_HR(S_OK, target->get_Label(2, label.put()));
    EXPECT_EQ(Bstr("right"), label);

    Variant notANumber = Variant::fromString(Bstr("fast"));
    argument = notANumber.get();
    EXPECT_HR(DISP_E_TYPEMISMATCH, target->Invoke(DISPID_TARGET_REPLAYSPEED, GUID_NULL, 0, DISPATCH_PROPERTYPUT,
                                                  &params, nullptr, nullptr, nullptr));
    Variant result;
    DISPPARAMS none;
    EXPECT_HR(DISP_E_MEMBERNOTFOUND,
              target->Invoke(31, GUID_NULL, 0, DISPATCH_PROPERTYGET, &none, result.put(), nullptr, nullptr));
}

/// A sink that counts the live sinks, and may hold the control it listens to, as a host does.
class CountingSink final : public ComObject<IDispatch> {
public:
    explicit CountingSink(int& alive) : m_alive(alive) { ++m_alive; }
    ComPtr<ITarget> control;

private:
    ~CountingSink() override { --m_alive; }
    int& m_alive;
};

QPointer<QWidget> widgetOf(ITarget* target)
{
    const auto window = ComPtr<ITarget>(target).queryInterface<ITargetWindow>();
    QWidget* widget = nullptr;
    EXPECT_HR(S_OK, window->GetWidget(&widget));
    return widget;
}

DWORD advise(ITarget* target, IUnknown* sink)
{
    const auto container = ComPtr<ITarget>(target).queryInterface<IConnectionPointContainer>();
    ComPtr<IConnectionPoint> point;
    EXPECT_HR(S_OK, container->FindConnectionPoint(DIID__ITargetEvents, point.put()));
    DWORD cookie = 0;
    EXPECT_HR(S_OK, point->Advise(sink, &cookie));
    return cookie;
}

TEST(TargetTest, ReleasingTheControlFreesItsWidgetAndSinks)
{
    int alive = 0;
    auto target = makeTarget();
    const QPointer<QWidget> widget = widgetOf(target.get());
    ASSERT_TRUE(widget);
    auto sink = platform::com::makeComObject<CountingSink>(alive);
    advise(target.get(), sink.get());
    sink.reset();
    EXPECT_EQ(1, alive);
    target.reset();
    EXPECT_FALSE(widget);
    EXPECT_EQ(0, alive);
}

TEST(TargetTest, AHostThatHoldsItsControlBreaksTheCycleByUnadvising)
{
    int alive = 0;
    auto target = makeTarget();
    const QPointer<QWidget> widget = widgetOf(target.get());
    auto sink = platform::com::makeComObject<CountingSink>(alive);
    sink->control = target;
    const DWORD cookie = advise(target.get(), sink.get());

    ComPtr<IConnectionPoint> point;
    ASSERT_HR(S_OK, target.queryInterface<IConnectionPointContainer>()->FindConnectionPoint(DIID__ITargetEvents,
                                                                                            point.put()));
    ASSERT_HR(S_OK, point->Unadvise(cookie));
    point.reset();
    sink.reset();
    EXPECT_EQ(0, alive);
    EXPECT_TRUE(widget);
    target.reset();
    EXPECT_FALSE(widget);
}

TEST(TargetTest, OutlivesAWidgetItsHostDeleted)
{
    const auto target = makeTarget();
    const auto host = std::make_unique<QWidget>();
    const QPointer<QWidget> widget = widgetOf(target.get());
    widget->setParent(host.get());
    delete widget.data();
    ASSERT_FALSE(widget);
    EXPECT_HR(S_OK, target->Refresh());
    float width = 0.0f;
    EXPECT_HR(S_OK, target->get_VisibleWidth(&width));
    QWidget* none = nullptr;
    EXPECT_HR(E_UNEXPECTED, target.queryInterface<ITargetWindow>()->GetWidget(&none));
}

TEST(TargetTest, UnknownConnectionPointIsRefused)
{
    const auto container = makeTarget().queryInterface<IConnectionPointContainer>();
    ComPtr<IConnectionPoint> point;
    EXPECT_HR(CONNECT_E_NOCONNECTION, container->FindConnectionPoint(IID_ITarget, point.put()));
}

} // namespace
} // namespace talvoboard
