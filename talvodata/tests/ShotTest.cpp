#include "talvodata/Shot.h"

#include "talvodata/tests/support/AimingBuilder.h"

#include "platform/com/MemoryStream.h"
#include "platform/testing/Matchers.h"

#include <cmath>

using namespace talvodata;
using platform::com::Bstr;
using platform::com::ComPtr;
using platform::com::makeComObject;
using platform::com::MemoryStream;
using platform::com::Variant;
using talvodata::testsupport::AimingBuilder;

namespace {

ComPtr<IShot> shotOf(CAiming& aiming, LONG number = 1)
{
    ComPtr<IShot> shot;
    EXPECT_HR(S_OK, aiming.get_Shot(number, shot.put()));
    return shot;
}

std::pair<float, float> breachOf(IShot& shot)
{
    float x = -1;
    float y = -1;
    EXPECT_HR(S_OK, shot.Breach(&x, &y));
    return {x, y};
}

TEST(ShotTest, AMissedShotScoresNothingAndHasNoRange)
{
    auto aiming = AimingBuilder().samples(50).shot(/*missed=*/true).build();
    auto shot = shotOf(*aiming);
    ASSERT_HR(S_OK, shot->put_OffsetX(3.0f));
    float result = -1;
    LONG area = 0;
    ASSERT_HR(S_OK, shot->get_Result(&result));
    ASSERT_HR(S_OK, shot->get_AreaIndex(&area));
    EXPECT_EQ(0.0f, result);
    EXPECT_EQ(-1, area);
    EXPECT_EQ(std::make_pair(0.0f, 0.0f), breachOf(*shot));
    ComPtr<IRange> range;
    EXPECT_HR(E_UNEXPECTED, shot->Range(-1, 0, range.put()));
}

TEST(ShotTest, TheBreachIsTheTracePointAtTheShotPlusTheOffsets)
{
    auto aiming = AimingBuilder().at(250, -100).samples(100).shot().conclude().build();
    auto shot = shotOf(*aiming);
    EXPECT_EQ(std::make_pair(2.5f, -1.0f), breachOf(*shot));
    ASSERT_HR(S_OK, shot->put_OffsetX(0.5f));
    ASSERT_HR(S_OK, shot->put_OffsetY(-0.25f));
    EXPECT_EQ(std::make_pair(3.0f, -1.25f), breachOf(*shot));
    float breachX = 0;
    ASSERT_HR(S_OK, shot->get_BreachX(&breachX));
    EXPECT_EQ(3.0f, breachX);
}

TEST(ShotTest, RealBreachesNeedBothCoordinatesAndTheAttributesConsent)
{
    auto aiming = AimingBuilder().at(100, 100).samples(20).shot().build();
    auto shot = shotOf(*aiming);
    ASSERT_HR(S_OK, shot->put_RealBreachX(4.0f));
    float real = -1;
    VARIANT_BOOL valid = VARIANT_TRUE;
    ASSERT_HR(S_OK, shot->get_RealBreachX(&real));
    ASSERT_HR(S_OK, shot->get_IsRealBreachValid(&valid));
    EXPECT_EQ(0.0f, real);
    EXPECT_EQ(VARIANT_FALSE, valid);

    ComPtr<IAimingAttr> attributes;
    ASSERT_HR(S_OK, aiming->get_Attr(attributes.put()));
    ASSERT_HR(S_OK, attributes->put_UseRealBreaches(VARIANT_TRUE));
    EXPECT_EQ(std::make_pair(1.0f, 1.0f), breachOf(*shot)); // Only one coordinate: still extrapolated.

    ASSERT_HR(S_OK, shot->put_RealBreachY(-2.0f));
    ASSERT_HR(S_OK, shot->put_OffsetX(1.0f));
    EXPECT_EQ(std::make_pair(5.0f, -2.0f), breachOf(*shot));
}

TEST(ShotTest, AChangedCoefficientExtrapolatesAgain)
{
    // Moving 10 hundredths of a millimetre per sample along x: a 5 ms lead at 200 Hz is one sample ahead.
    auto aiming = AimingBuilder().samples(100, /*stepX=*/10).shot().conclude().build();
    auto shot = shotOf(*aiming);
    EXPECT_FLOAT_EQ(9.9f, breachOf(*shot).first);
    ComPtr<IAimingAttr> attributes;
    ASSERT_HR(S_OK, aiming->get_Attr(attributes.put()));
    ASSERT_HR(S_OK, attributes->put_FCoefficient(5));
    EXPECT_FLOAT_EQ(10.0f, breachOf(*shot).first);
}

TEST(ShotTest, ResultsComeFromTheEventsFace)
{
    auto centre = AimingBuilder().samples(10).shot().conclude().build();
    float result = 0;
    ASSERT_HR(S_OK, shotOf(*centre)->get_Result(&result));
    EXPECT_FLOAT_EQ(10.9f, result);

    auto edgeOfTen = AimingBuilder().at(250, 0).samples(10).shot().conclude().build();
    ASSERT_HR(S_OK, shotOf(*edgeOfTen)->get_Result(&result));
    EXPECT_FLOAT_EQ(10.0f, result);
}

TEST(ShotTest, TheMicrophonePhaseIsANamedValue)
{
    auto aiming = AimingBuilder().samples(10).build();
    ComPtr<IShot> withPhase;
    ComPtr<IShot> without;
    ASSERT_HR(S_OK, aiming->AddShot2(VARIANT_FALSE, 0.25, withPhase.put()));
    ASSERT_HR(S_OK, aiming->AddShot(VARIANT_FALSE, without.put()));
    double phase = 0;
    ASSERT_HR(S_OK, withPhase->get_microphonePhase(&phase));
    EXPECT_EQ(0.25, phase);
    ASSERT_HR(S_OK, without->get_microphonePhase(&phase));
    EXPECT_TRUE(std::isnan(phase));
    Variant stored;
    ASSERT_HR(S_OK, without->get_Value(Bstr("_microphone_phase").get(), stored.put()));
    EXPECT_EQ(VT_EMPTY, stored.type());
}

TEST(ShotTest, HiddenIsTrueOnlyForVariantTrueAndIsStored)
{
    auto aiming = AimingBuilder().samples(10).shot().build();
    auto shot = shotOf(*aiming);
    ASSERT_HR(S_OK, shot->put_Hidden(1));
    VARIANT_BOOL hidden = VARIANT_TRUE;
    ASSERT_HR(S_OK, shot->get_Hidden(&hidden));
    EXPECT_EQ(VARIANT_FALSE, hidden);
    ASSERT_HR(S_OK, shot->put_Hidden(VARIANT_TRUE));
    ASSERT_HR(S_OK, shot->put_OffsetX(2.0f));

    ComPtr<IPersistStreamInit> persist = shot.queryInterface<IPersistStreamInit>();
    auto stream = makeComObject<MemoryStream>();
    ASSERT_HR(S_OK, persist->Save(stream.get(), TRUE));
    const auto bytes = stream->bytes();
    ASSERT_GE(bytes.size(), 6u);
    EXPECT_EQ((std::vector<std::uint8_t>{3, 0, 0, 0, 0, 1}),
              std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 6));

    auto loaded = CShot::create();
    ASSERT_HR(S_OK, stream->Seek(0, STREAM_SEEK_SET, nullptr));
    ASSERT_HR(S_OK, loaded->Load(stream.get()));
    float offset = -1;
    ASSERT_HR(S_OK, loaded->get_Hidden(&hidden));
    ASSERT_HR(S_OK, loaded->get_OffsetX(&offset));
    EXPECT_EQ(VARIANT_TRUE, hidden);
    EXPECT_EQ(0.0f, offset); // Offsets are not stored.
}

TEST(ShotTest, VersionOneRecordsHaveNoHiddenFlagOrNamedValues)
{
    auto stream = makeComObject<MemoryStream>(
        std::vector<std::uint8_t>{1, 0, 0, 0, 1, 0, 0, 0, 44, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F});
    auto loaded = CShot::create();
    ASSERT_HR(S_OK, loaded->Load(stream.get()));
    VARIANT_BOOL missed = VARIANT_FALSE;
    VARIANT_BOOL hidden = VARIANT_TRUE;
    LONG index = 0;
    DATE time = 0;
    ASSERT_HR(S_OK, loaded->get_Missed(&missed));
    ASSERT_HR(S_OK, loaded->get_Hidden(&hidden));
    ASSERT_HR(S_OK, loaded->get_TraceIndex(&index));
    ASSERT_HR(S_OK, loaded->get_ShotTime(&time));
    EXPECT_EQ(VARIANT_TRUE, missed);
    EXPECT_EQ(VARIANT_FALSE, hidden);
    EXPECT_EQ(300, index);
    EXPECT_EQ(1.0, time);

    auto newer = makeComObject<MemoryStream>(std::vector<std::uint8_t>{4, 0, 0, 0});
    EXPECT_HR(E_FAIL, CShot::create()->Load(newer.get()));
}

TEST(ShotTest, RangesAreKeptOnceTheTraceIsReadOnly)
{
    auto live = AimingBuilder().samples(300).shot().build();
    auto liveShot = shotOf(*live);
    ComPtr<IRange> first;
    ComPtr<IRange> second;
    ASSERT_HR(S_OK, liveShot->Range(-1, 0, first.put()));
    ASSERT_HR(S_OK, liveShot->Range(-1, 0, second.put()));
    EXPECT_NE(first.get(), second.get());

    auto concluded = AimingBuilder().samples(300).shot().conclude().build();
    auto shot = shotOf(*concluded);
    ASSERT_HR(S_OK, shot->Range(-1, 0, first.put()));
    ASSERT_HR(S_OK, shot->Range(-1, 0, second.put()));
    EXPECT_EQ(first.get(), second.get());
    LONG count = 0;
    ASSERT_HR(S_OK, first->get_Count(&count));
    EXPECT_EQ(201, count);
    ComPtr<IRange> other;
    ASSERT_HR(S_OK, shot->Range(-0.5f, 0, other.put()));
    EXPECT_NE(first.get(), other.get());
}

} // namespace
