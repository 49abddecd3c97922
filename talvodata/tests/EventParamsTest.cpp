#include "talvodata/EventParams.h"

#include "talvodata/EventFile.h"

#include "talvodata/tests/support/Bytes.h"
#include "talvodata/tests/support/DocumentFiles.h"
#include "talvodata/tests/support/FakePicture.h"
#include "talvodata/tests/support/TempFolder.h"

#include "platform/fs/Attributes.h"
#include "platform/testing/Matchers.h"

#include <limits>

namespace talvodata {
namespace {

using platform::com::Bstr;
using platform::com::ComPtr;
using platform::com::Variant;
using testsupport::Bytes;

ComPtr<ITargetParams> faceOf(IEventParams& event, LONG subTarget = 1)
{
    ComPtr<ITargetParams> face;
    EXPECT_HR(S_OK, event.get_Target(subTarget, face.put()));
    return face;
}

// Rings 10..1 of diameters 10, 30, ..., 190 on a 200 x 200 form; calibre 4.
ComPtr<CEventParams> ringEvent()
{
    auto event = CEventParams::create();
    EXPECT_HR(S_OK, event->put_Caliber(4));
    auto face = faceOf(*event);
    EXPECT_HR(S_OK, face->put_FormWidth(200));
    EXPECT_HR(S_OK, face->put_FormHeight(200));
    for (LONG n = 1; n <= 10; ++n) {
        EXPECT_HR(S_OK, face->put_Ring(n, 10.0F + 20.0F * float(10 - n)));
    }
    return event;
}

float pointScore(IEventParams& event, float x, float y, LONG subTarget = 1)
{
    float score = -1;
    EXPECT_HR(S_OK, event.GetPointScore(x, y, subTarget, &score));
    return score;
}

float breachScore(IEventParams& event, float x, float y, LONG subTarget = 1)
{
    float score = -1;
    EXPECT_HR(S_OK, event.GetBreachScore(x, y, subTarget, &score));
    return score;
}

ComPtr<ITargetElement> addElement(IEventParams& event, enumTargetElementType type, float left, float top, float width,
                                  float height)
{
    ComPtr<ITargetElement> element;
    EXPECT_HR(S_OK, faceOf(event)->AddElement(type, left, top, width, height, element.put()));
    return element;
}

TEST(EventParamsTest, NewEventHasItsDefaultsAndOneFace)
{
    auto event = CEventParams::create();
    LONG count = 0;
    LONG maxPerAiming = 0;
    LONG perSerie = 0;
    EXPECT_HR(S_OK, event->get_TargetCount(&count));
    EXPECT_HR(S_OK, event->get_MaxShotsPerAiming(&maxPerAiming));
    EXPECT_HR(S_OK, event->get_MaxShotsPerSerie(&perSerie));
    EXPECT_EQ(1, count);
    EXPECT_EQ(-1, maxPerAiming);
    EXPECT_EQ(10, perSerie);
    BSTR name = reinterpret_cast<BSTR>(1);
    EXPECT_HR(S_OK, event->get_ShortName(&name));
    EXPECT_EQ(nullptr, name);
}

TEST(EventParamsTest, SettersCheckTheirRanges)
{
    auto event = CEventParams::create();
    struct Case {
        const char* what;
        HRESULT (CEventParams::*put)(float);
        float value;
        HRESULT expected;
    };
    const Case cases[] = {
        {"caliber below 0.1", &CEventParams::put_Caliber, 0.09F, E_INVALIDARG},
        {"caliber 0.1", &CEventParams::put_Caliber, 0.1F, S_OK},
        {"caliber NaN", &CEventParams::put_Caliber, std::nanf(""), E_INVALIDARG},
        {"display caliber below 0.1", &CEventParams::put_DisplayCaliber, 0.0F, E_INVALIDARG},
        {"display caliber 4.5", &CEventParams::put_DisplayCaliber, 4.5F, S_OK},
        {"distance below 2", &CEventParams::put_Distance, 1.99F, E_INVALIDARG},
        {"distance 2", &CEventParams::put_Distance, 2.0F, S_OK},
        {"distance 1000", &CEventParams::put_Distance, 1000.0F, S_OK},
        {"distance above 1000", &CEventParams::put_Distance, 1000.5F, E_INVALIDARG},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_HR(c.expected, (event.get()->*c.put)(c.value));
    }
    float distance = 0;
    EXPECT_HR(S_OK, event->get_Distance(&distance));
    EXPECT_EQ(1000.0F, distance);
    EXPECT_HR(S_FALSE, event->IsDirty());
}

TEST(EventParamsTest, TargetAppendsOneFaceAtATime)
{
    auto event = CEventParams::create();
    ComPtr<ITargetParams> face;
    EXPECT_HR(S_OK, event->get_Target(2, face.put()));
    LONG count = 0;
    EXPECT_HR(S_OK, event->get_TargetCount(&count));
    EXPECT_EQ(2, count);
    ITargetParams* held = face.get();
    EXPECT_HR(E_POINTER, event->get_Target(1, &held));
    EXPECT_EQ(face.get(), held);
    EXPECT_HR(E_POINTER, event->get_Target(1, nullptr));
    EXPECT_HR(E_INVALIDARG, event->get_Target(4, face.put()));
    EXPECT_HR(E_INVALIDARG, event->get_Target(0, face.put()));
}

TEST(EventParamsTest, NamedValuesAloneMakeItDirty)
{
    auto event = CEventParams::create();
    ASSERT_HR(S_OK, event->put_Name(Bstr("Air Rifle").get()));
    ASSERT_HR(S_OK, event->put_Caliber(4.5F));
    EXPECT_HR(S_FALSE, event->IsDirty());
    ASSERT_HR(S_OK, event->put_Value(Bstr("gun").get(), Variant().get()));
    EXPECT_HR(S_FALSE, event->IsDirty());
    ASSERT_HR(S_OK, event->put_Value(Bstr("gun").get(), Variant::fromString(Bstr("rifle")).get()));
    EXPECT_HR(S_OK, event->IsDirty());
    (void)testsupport::savedRecord(event->unknown()); // Saving with clear-dirty is what is tested.
    EXPECT_HR(S_FALSE, event->IsDirty());
}

TEST(EventParamsTest, KeyValueWalksTheBagInKeyOrder)
{
    testsupport::FakePicture::registerClass();
    auto event = CEventParams::create();
    auto object = testsupport::FakePicture::create();
    ASSERT_HR(S_OK, event->put_Value(Bstr("b").get(), Variant::fromString(Bstr("text")).get()));
    ASSERT_HR(S_OK, event->put_Value(Bstr("a").get(), Variant::fromDispatch(object.get()).get()));
    LONG count = 0;
    ASSERT_HR(S_OK, event->get_ValuesCount(&count));
    ASSERT_EQ(2, count);

    BSTR key = nullptr;
    VARIANT value;
    ASSERT_HR(S_OK, event->KeyValue(0, &key, &value));
    EXPECT_EQ(u"a", Bstr::adopt(key).view());
    Variant first = Variant::adopt(value);
    ASSERT_EQ(VT_DISPATCH, first.type());
    EXPECT_EQ(static_cast<IDispatch*>(object.get()), first.get().pdispVal) << "the stored object, not a copy";
    ASSERT_HR(S_OK, event->KeyValue(1, &key, &value));
    EXPECT_EQ(u"b", Bstr::adopt(key).view());
    EXPECT_EQ(VT_BSTR, Variant::adopt(value).type());
    for (LONG index : {-1, 2}) {
        EXPECT_HR(E_INVALIDARG, event->KeyValue(index, &key, &value));
        EXPECT_EQ(nullptr, key);
        EXPECT_EQ(VT_EMPTY, value.vt);
    }
}

TEST(EventParamsTest, RingEdgesWidenedByHalfTheCaliber)
{
    auto event = ringEvent();
    struct Case {
        const char* what;
        float d;
        bool breach;
        float expected;
    };
    // Widened by calibre 4: ring 10 radius 7, ring 9 radius 17, ..., ring 1 radius 97.
    const Case cases[] = {
        {"centre scores 10.9, never 11.0", 0, false, 10.9F},
        {"breach at the centre", 0, true, 10.9F},
        {"breach on the widened edge of ring 10", 7, true, 10.0F},
        {"breach on the widened edge of ring 5", 57, true, 5.0F},
        {"breach halfway across ring 5", 52, true, 5.5F},
        {"breach on the widened edge of ring 1", 97, true, 1.0F},
        {"breach just outside ring 1", 97.01F, true, 0.0F},
        {"point just outside ring 9", 15.5F, false, 8.9F},
        {"breach at the same place reaches ring 9", 15.5F, true, 9.1F},
        {"point on the edge of ring 10", 5, false, 10.0F},
        {"point outside all rings, inside the form", 99, false, 0.0F},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FLOAT_EQ(c.expected, c.breach ? breachScore(*event, c.d, 0) : pointScore(*event, 0, c.d));
    }
}

TEST(EventParamsTest, MissingRingTenMakesRingNineReachTen)
{
    auto event = ringEvent();
    ASSERT_HR(S_OK, faceOf(*event)->put_Ring(10, 0));
    // Ring 9 radius 15 (points): 9.0 at its edge, 10.0 at the centre.
    EXPECT_FLOAT_EQ(9.0F, pointScore(*event, 15, 0));
    EXPECT_FLOAT_EQ(9.5F, pointScore(*event, 7.5F, 0));
    EXPECT_FLOAT_EQ(10.0F, pointScore(*event, 0, 0));
}

TEST(EventParamsTest, PointsOutsideTheFormScoreNothing)
{
    auto event = ringEvent();
    ASSERT_HR(S_OK, faceOf(*event)->put_Ring(1, 400));
    LONG area = 5;
    float cx = 1;
    float cy = 1;
    for (auto [x, y] : {std::pair{100.01F, 0.0F}, std::pair{0.0F, -100.01F}}) {
        SCOPED_TRACE(testing::PrintToString(x) + ", " + testing::PrintToString(y));
        EXPECT_EQ(0.0F, breachScore(*event, x, y));
        EXPECT_HR(S_OK, event->GetPointArea(x, y, 1, &area, &cx, &cy));
        EXPECT_EQ(-1, area);
        EXPECT_HR(S_OK, event->GetNearestArea(x, y, 1, &area, &cx, &cy));
        EXPECT_EQ(-1, area);
    }
    EXPECT_FLOAT_EQ(1.5F, pointScore(*event, 100, 100)); // On the form's corner, inside the huge ring 1.
}

TEST(EventParamsTest, ClipElementsBoundTheScoringRegion)
{
    auto event = ringEvent();
    auto clip = addElement(*event, elementRectangle, -10, -10, 20, 20);
    ASSERT_HR(S_OK, clip->put_Clip(VARIANT_TRUE));
    EXPECT_FLOAT_EQ(10.9F, pointScore(*event, 0, 0));
    EXPECT_EQ(0.0F, pointScore(*event, 30, 0));
    EXPECT_EQ(0.0F, breachScore(*event, 30, 0));
    EXPECT_EQ(0.0F, pointScore(*event, 11.5F, 0));
    EXPECT_FLOAT_EQ(9.5F, breachScore(*event, 11.5F, 0)) << "within half the calibre of the clip";

    auto second = addElement(*event, elementRectangle, 25, -5, 10, 10);
    ASSERT_HR(S_OK, second->put_Clip(VARIANT_TRUE));
    EXPECT_FLOAT_EQ(7.5F, pointScore(*event, 30, 0));
}

TEST(EventParamsTest, ElementsForceZeroOrGiveTheirOwnResult)
{
    auto event = ringEvent();
    auto fixed = addElement(*event, elementRectangle, 40, -5, 10, 10);
    ASSERT_HR(S_OK, fixed->put_Result(3.5F));
    auto ignore = addElement(*event, elementRectangle, -5, -5, 2, 2);
    ASSERT_HR(S_OK, ignore->put_IgnoreResult(VARIANT_TRUE));
    auto afterRings = addElement(*event, elementRectangle, 90, 90, 10, 10);
    ASSERT_HR(S_OK, afterRings->put_CalcAfterRings(VARIANT_TRUE));
    ASSERT_HR(S_OK, afterRings->put_Result(2));
    auto afterRingsInside = addElement(*event, elementRectangle, -1, 20, 2, 2);
    ASSERT_HR(S_OK, afterRingsInside->put_CalcAfterRings(VARIANT_TRUE));
    ASSERT_HR(S_OK, afterRingsInside->put_IgnoreResult(VARIANT_TRUE));
    auto afterRingsIgnore = addElement(*event, elementRectangle, 90, 90, 3, 3);
    ASSERT_HR(S_OK, afterRingsIgnore->put_CalcAfterRings(VARIANT_TRUE));
    ASSERT_HR(S_OK, afterRingsIgnore->put_IgnoreResult(VARIANT_TRUE));

    struct Case {
        const char* what;
        float x;
        float y;
        float expected;
    };
    const Case cases[] = {
        {"fixed result before the rings", 45, 0, 3.5F},
        {"ignored before the rings", -4, -4, 0.0F},
        {"after-rings element outside all rings", 95, 95, 2.0F},
        {"a later after-rings element forces 0 over it", 92, 92, 0.0F},
        {"after-rings element inside a ring is not consulted", 0, 21, 8.4F},
        {"rings elsewhere", 0, 0, 10.9F},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FLOAT_EQ(c.expected, pointScore(*event, c.x, c.y));
    }
}

TEST(EventParamsTest, AreasNameTheElementThatHoldsThePoint)
{
    auto event = ringEvent();
    auto left = addElement(*event, elementEllipse, -60, -10, 20, 20);
    ASSERT_HR(S_OK, left->put_AreaIndex(1));
    auto right = addElement(*event, elementEllipse, 40, -10, 20, 20);
    ASSERT_HR(S_OK, right->put_AreaIndex(2));

    LONG area = -7;
    float cx = 0;
    float cy = 0;
    EXPECT_HR(S_OK, event->GetPointArea(45, 0, 1, &area, &cx, &cy));
    EXPECT_EQ(2, area);
    EXPECT_EQ(50.0F, cx);
    EXPECT_EQ(0.0F, cy);
    EXPECT_HR(S_OK, event->GetPointArea(0, 0, 1, &area, &cx, &cy));
    EXPECT_EQ(0, area);
    EXPECT_HR(S_OK, event->GetNearestArea(-20, 30, 1, &area, &cx, &cy));
    EXPECT_EQ(1, area);
    EXPECT_EQ(-50.0F, cx);
    EXPECT_HR(S_OK, event->GetNearestArea(0, 0, 1, &area, &cx, &cy));
    EXPECT_EQ(2, area) << "equal distances keep the first visited, the last element";

    auto clip = addElement(*event, elementRectangle, 40, -10, 5, 5);
    ASSERT_HR(S_OK, clip->put_Clip(VARIANT_TRUE));
    EXPECT_HR(S_OK, event->GetPointArea(42, -8, 1, &area, &cx, &cy));
    EXPECT_EQ(0, area);
    EXPECT_HR(E_POINTER, event->GetPointArea(0, 0, 1, nullptr, &cx, &cy));
}

TEST(EventParamsTest, SubTargetsWithoutAFaceFail)
{
    auto event = ringEvent();
    float score = 5;
    LONG area = 3;
    float cx = 0;
    float cy = 0;
    EXPECT_HR(E_INVALIDARG, event->GetPointScore(0, 0, 2, &score));
    EXPECT_EQ(0.0F, score);
    EXPECT_HR(E_INVALIDARG, event->GetBreachScore(0, 0, 0, &score));
    EXPECT_HR(E_INVALIDARG, event->GetPointArea(0, 0, 2, &area, &cx, &cy));
    EXPECT_HR(E_POINTER, event->GetPointScore(0, 0, 1, nullptr));
}

Bytes eventRecordHead(std::int32_t version)
{
    Bytes bytes;
    bytes.i32(version).bstr(u"Air Rifle 10 Meters").bstr(u"AR10").f32(4.5F);
    if (version >= 2) {
        bytes.f32(4.5F);
    }
    bytes.f32(10).i32(1).i32(1);
    if (version >= 4) {
        bytes.i32(10);
    }
    return bytes;
}

ComPtr<CEventParams> smallEvent()
{
    auto event = CEventParams::create();
    EXPECT_HR(S_OK, event->put_Name(Bstr("Air Rifle 10 Meters").get()));
    EXPECT_HR(S_OK, event->put_ShortName(Bstr("AR10").get()));
    EXPECT_HR(S_OK, event->put_Caliber(4.5F));
    EXPECT_HR(S_OK, event->put_DisplayCaliber(4.5F));
    EXPECT_HR(S_OK, event->put_Distance(10));
    EXPECT_HR(S_OK, event->put_MaxShotsPerAiming(1));
    EXPECT_HR(S_OK, event->put_MinShotsPerAiming(1));
    return event;
}

TEST(EventParamsTest, SavesTheDesignedRecordBytes)
{
    auto event = smallEvent();
    ASSERT_HR(S_OK, event->put_Value(Bstr("gun").get(), Variant::fromString(Bstr("rifle")).get()));
    const auto face = testsupport::savedRecord(faceOf(*event).get());
    const auto expected = eventRecordHead(4)
                              .i32(1)
                              .guid(CLSID_TargetParams)
                              .append(face)
                              .i32(1)
                              .bstr(u"gun")
                              .u16(VT_BSTR)
                              .bstr(u"rifle")
                              .bytes();
    EXPECT_EQ(expected, testsupport::savedRecord(event->unknown()));
}

std::vector<std::uint8_t> faceRecord(float formWidth)
{
    auto face = CTargetParams::create();
    EXPECT_HR(S_OK, face->put_FormWidth(formWidth));
    return testsupport::savedRecord(face->unknown());
}

TEST(EventParamsTest, LoadsEveryRecordVersion)
{
    struct Case {
        std::int32_t version;
        float displayCaliber;
        LONG perSerie;
    };
    for (const Case& c : {Case{1, 0.0F, 10}, Case{2, 4.5F, 10}, Case{3, 4.5F, 10}, Case{4, 4.5F, 10}}) {
        SCOPED_TRACE(c.version);
        Bytes bytes = eventRecordHead(c.version);
        if (c.version >= 3) {
            bytes.i32(1);
        }
        bytes.guid(CLSID_TargetParams).append(faceRecord(80)).i32(0);
        auto event = CEventParams::create();
        ASSERT_HR(S_OK, testsupport::loadRecord(event->unknown(), bytes.bytes()));
        float displayCaliber = -1;
        LONG perSerie = 0;
        float formWidth = 0;
        EXPECT_HR(S_OK, event->get_DisplayCaliber(&displayCaliber));
        EXPECT_HR(S_OK, event->get_MaxShotsPerSerie(&perSerie));
        EXPECT_HR(S_OK, faceOf(*event)->get_FormWidth(&formWidth));
        EXPECT_EQ(c.displayCaliber, displayCaliber);
        EXPECT_EQ(c.perSerie, perSerie);
        EXPECT_EQ(80.0F, formWidth);
    }
}

TEST(EventParamsTest, LoadFillsFacesInOrderAndKeepsFacesBeyondTheCount)
{
    auto event = CEventParams::create();
    ComPtr<ITargetParams> third;
    ASSERT_HR(S_OK, event->get_Target(2, third.put()));
    third.reset();
    ASSERT_HR(S_OK, event->get_Target(3, third.put()));
    ASSERT_HR(S_OK, third->put_FormWidth(33));

    const auto bytes = eventRecordHead(4)
                           .i32(2)
                           .guid(CLSID_TargetParams)
                           .append(faceRecord(11))
                           .guid(CLSID_TargetParams)
                           .append(faceRecord(22))
                           .i32(0)
                           .bytes();
    ASSERT_HR(S_OK, testsupport::loadRecord(event->unknown(), bytes));
    LONG count = 0;
    ASSERT_HR(S_OK, event->get_TargetCount(&count));
    ASSERT_EQ(3, count);
    for (LONG subTarget : {1, 2, 3}) {
        float width = 0;
        EXPECT_HR(S_OK, faceOf(*event, subTarget)->get_FormWidth(&width));
        EXPECT_EQ(11.0F * float(subTarget), width);
    }
}

TEST(EventParamsTest, LoadRejectsDamagedRecords)
{
    const auto good = eventRecordHead(4).i32(1).guid(CLSID_TargetParams).append(faceRecord(80)).i32(0).bytes();
    auto newer = good;
    newer[0] = 5;
    auto truncated = good;
    truncated.resize(good.size() - 2);
    const auto wrongFaceClass = eventRecordHead(4).i32(1).guid(CLSID_TargetElement).append(faceRecord(80)).bytes();
    const auto hugeFaceCount = eventRecordHead(4).i32(0x7FFFFFFF).bytes();
    const auto negativeFaceCount = eventRecordHead(4).i32(-2).bytes();
    for (const auto& [what, bytes] :
         {std::pair{"newer version", newer}, std::pair{"truncated", truncated},
          std::pair{"face of another class", wrongFaceClass}, std::pair{"huge face count", hugeFaceCount},
          std::pair{"negative face count", negativeFaceCount}}) {
        SCOPED_TRACE(what);
        auto event = CEventParams::create();
        EXPECT_HR(E_FAIL, testsupport::loadRecord(event->unknown(), bytes));
    }
}

TEST(EventParamsTest, LoadRefusesValuesItsSettersRefuse)
{
    // A distance of NaN or 1e-30 once reached the serial sensors, which divide by it and convert to an integer.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        const char* what;
        float caliber;
        float displayCaliber;
        float distance;
        HRESULT expected;
    } cases[] = {
        {"as set", 4.5F, 4.5F, 10.0F, S_OK},
        {"never set", 0.0F, 0.0F, 0.0F, S_OK},
        {"nearest and farthest", 0.1F, 0.1F, 2.0F, S_OK},
        {"farthest", 4.5F, 4.5F, 1000.0F, S_OK},
        {"distance NaN", 4.5F, 4.5F, nan, E_FAIL},
        {"distance 1e-30", 4.5F, 4.5F, 1e-30F, E_FAIL},
        {"distance 1e30", 4.5F, 4.5F, 1e30F, E_FAIL},
        {"distance -10", 4.5F, 4.5F, -10.0F, E_FAIL},
        {"caliber NaN", nan, 4.5F, 10.0F, E_FAIL},
        {"caliber -4.5", -4.5F, 4.5F, 10.0F, E_FAIL},
        {"display caliber 0.01", 4.5F, 0.01F, 10.0F, E_FAIL},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes bytes;
        bytes.i32(4).bstr(u"Air Rifle 10 Meters").bstr(u"AR10").f32(c.caliber).f32(c.displayCaliber).f32(c.distance);
        bytes.i32(1).i32(1).i32(10).i32(0).i32(0);
        auto event = CEventParams::create();
        EXPECT_HR(c.expected, testsupport::loadRecord(event->unknown(), bytes.bytes()));
    }
}

class EventParamsSaveTest : public ::testing::Test {
protected:
    testsupport::TempFolder m_folder;
    testsupport::EventsFolderOverride m_override{m_folder.path()};
};

TEST_F(EventParamsSaveTest, SaveWritesTheEventFileNamedByTheShortName)
{
    auto event = smallEvent();
    ASSERT_HR(S_OK, event->put_Value(Bstr("gun").get(), Variant::fromString(Bstr("rifle")).get()));
    ASSERT_HR(S_OK, event->Save());
    EXPECT_HR(S_FALSE, event->IsDirty());

    const auto path = m_folder.path() / "AR10.evl";
    auto read = readEventFile(path);
    ASSERT_THAT(read, IsOk());
    EXPECT_EQ(testsupport::savedRecord(event->unknown()), testsupport::savedRecord(read.value()->unknown()));

    // A read-only file is made writable and replaced.
    ASSERT_THAT(platform::fs::setReadOnly(path, platform::fs::ReadOnly::Yes), IsOk());
    ASSERT_HR(S_OK, event->put_Distance(50));
    ASSERT_HR(S_OK, event->Save());
    read = readEventFile(path);
    ASSERT_THAT(read, IsOk());
    float distance = 0;
    EXPECT_HR(S_OK, read.value()->get_Distance(&distance));
    EXPECT_EQ(50.0F, distance);
}

TEST_F(EventParamsSaveTest, SaveNeedsAShortNameThatNamesOneFile)
{
    auto event = CEventParams::create();
    EXPECT_HR(E_UNEXPECTED, event->Save());
    ASSERT_HR(S_OK, event->put_ShortName(Bstr::empty().get()));
    EXPECT_HR(E_UNEXPECTED, event->Save());
    // Names the manager could not list back: hidden, or not whole text (two such names would share one file).
    const std::u16string names[] = {u"../AR10", u"a/b", u"..", u".hidden", u"tab\tname", u"x\xD800", u"x\xDC00"};
    for (const std::u16string& name : names) {
        SCOPED_TRACE(platform::com::utf16ToUtf8(name));
        ASSERT_HR(S_OK, event->put_ShortName(Bstr(name).get()));
        EXPECT_HR(E_INVALIDARG, event->Save());
    }
    EXPECT_TRUE(std::filesystem::is_empty(m_folder.path()));
}

TEST_F(EventParamsSaveTest, SaveRefusesANameOnlyTheCaseSetsApartFromAnotherEvent)
{
    auto event = smallEvent();
    ASSERT_HR(S_OK, event->Save());
    ASSERT_HR(S_OK, event->Save()); // Its own file is replaced.
    auto other = smallEvent();
    ASSERT_HR(S_OK, other->put_ShortName(Bstr("ar10").get()));
    EXPECT_HR(STG_E_FILEALREADYEXISTS, other->Save());
    EXPECT_EQ(std::vector<std::string>{"AR10.evl"}, testsupport::namesIn(m_folder.path()));
}

} // namespace
} // namespace talvodata
