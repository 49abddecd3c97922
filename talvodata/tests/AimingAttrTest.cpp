#include "talvodata/AimingAttr.h"

#include "talvodata/tests/support/Events.h"

#include "platform/com/MemoryStream.h"
#include "platform/com/StreamForms.h"
#include "platform/testing/Matchers.h"

using namespace talvodata;
using platform::com::Bstr;
using platform::com::ComPtr;
using platform::com::makeComObject;
using platform::com::MemoryStream;
using platform::com::Variant;
using platform::com::writeBstr;
using platform::com::writeDouble;
using platform::com::writeInt32;
using talvodata::testsupport::shippedEvent;

namespace {

ComPtr<CAimingAttr> newAttributes()
{
    auto attributes = CAimingAttr::create();
    EXPECT_THAT(attributes, IsOk());
    return attributes ? std::move(attributes).value() : nullptr;
}

ComPtr<CAimingAttr> reloaded(CAimingAttr& attributes)
{
    auto stream = makeComObject<MemoryStream>();
    EXPECT_HR(S_OK, attributes.Save(stream.get(), TRUE));
    EXPECT_HR(S_OK, stream->Seek(0, STREAM_SEEK_SET, nullptr));
    auto loaded = newAttributes();
    EXPECT_HR(S_OK, loaded->Load(stream.get()));
    return loaded;
}

TEST(AimingAttrTest, ANewObjectHoldsTheDefaults)
{
    auto attributes = newAttributes();
    VARIANT_BOOL match = VARIANT_FALSE;
    LONG subTarget = 0;
    LONG rate = -1;
    ASSERT_HR(S_OK, attributes->get_Match(&match));
    ASSERT_HR(S_OK, attributes->get_SubTarget(&subTarget));
    ASSERT_HR(S_OK, attributes->get_SampleRate(&rate));
    EXPECT_EQ(VARIANT_TRUE, match);
    EXPECT_EQ(1, subTarget);
    EXPECT_EQ(0, rate);
    ComPtr<IEventParams> event;
    EXPECT_HR(E_UNEXPECTED, attributes->get_Event(event.put()));
    EXPECT_HR(E_POINTER, attributes->get_Event(nullptr));
    EXPECT_HR(E_INVALIDARG, attributes->put_Event(nullptr));
    EXPECT_HR(S_FALSE, attributes->IsDirty());
}

TEST(AimingAttrTest, TheSampleRateIsSetOnceWithinItsLimits)
{
    for (LONG rate : {19, 501, -200}) {
        SCOPED_TRACE(rate);
        EXPECT_HR(E_INVALIDARG, newAttributes()->put_SampleRate(rate));
    }
    for (LONG rate : {20, 500}) {
        SCOPED_TRACE(rate);
        auto attributes = newAttributes();
        ASSERT_HR(S_OK, attributes->put_SampleRate(rate));
        EXPECT_HR(E_UNEXPECTED, attributes->put_SampleRate(200));
        LONG stored = 0;
        ASSERT_HR(S_OK, attributes->get_SampleRate(&stored));
        EXPECT_EQ(rate, stored);
    }
}

TEST(AimingAttrTest, OnlyVariantTrueMeansTrueAndDirtyFollowsChanges)
{
    auto attributes = newAttributes();
    ASSERT_HR(S_OK, attributes->put_Match(VARIANT_TRUE));
    EXPECT_HR(S_FALSE, attributes->IsDirty());
    ASSERT_HR(S_OK, attributes->put_Match(1));
    VARIANT_BOOL match = VARIANT_TRUE;
    ASSERT_HR(S_OK, attributes->get_Match(&match));
    EXPECT_EQ(VARIANT_FALSE, match);
    EXPECT_HR(S_OK, attributes->IsDirty());

    auto quiet = newAttributes();
    ASSERT_HR(S_OK, quiet->put_SubTarget(2));
    ASSERT_HR(S_OK, quiet->put_Value(Bstr("absent").get(), Variant().get()));
    EXPECT_HR(S_FALSE, quiet->IsDirty());
}

TEST(AimingAttrTest, RecordsRoundTripButRealBreachesStayInMemory)
{
    auto attributes = newAttributes();
    ASSERT_HR(S_OK, attributes->put_Event(shippedEvent("AR10").get()));
    ASSERT_HR(S_OK, attributes->put_SampleRate(200));
    ASSERT_HR(S_OK, attributes->put_StartTime(46000.5));
    ASSERT_HR(S_OK, attributes->put_EnterTime(46000.75));
    ASSERT_HR(S_OK, attributes->put_FCoefficient(12));
    ASSERT_HR(S_OK, attributes->put_Match(VARIANT_FALSE));
    ASSERT_HR(S_OK, attributes->put_SubTarget(2));
    ASSERT_HR(S_OK, attributes->put_UseRealBreaches(VARIANT_TRUE));
    ASSERT_HR(S_OK, attributes->put_Value(Bstr("_position").get(), Variant::fromString(Bstr("prone")).get()));

    auto loaded = reloaded(*attributes);
    Bstr shortName;
    ComPtr<IEventParams> event;
    ASSERT_HR(S_OK, loaded->get_Event(event.put()));
    ASSERT_HR(S_OK, event->get_ShortName(shortName.put()));
    EXPECT_EQ("AR10", shortName.toUtf8());
    DATE start = 0;
    LONG coefficient = 0;
    LONG subTarget = 0;
    VARIANT_BOOL match = VARIANT_TRUE;
    VARIANT_BOOL real = VARIANT_TRUE;
    ASSERT_HR(S_OK, loaded->get_StartTime(&start));
    ASSERT_HR(S_OK, loaded->get_FCoefficient(&coefficient));
    ASSERT_HR(S_OK, loaded->get_SubTarget(&subTarget));
    ASSERT_HR(S_OK, loaded->get_Match(&match));
    ASSERT_HR(S_OK, loaded->get_UseRealBreaches(&real));
    EXPECT_EQ(46000.5, start);
    EXPECT_EQ(12, coefficient);
    EXPECT_EQ(2, subTarget);
    EXPECT_EQ(VARIANT_FALSE, match);
    EXPECT_EQ(VARIANT_FALSE, real);
    Variant position;
    ASSERT_HR(S_OK, loaded->get_Value(Bstr("_position").get(), position.put()));
    EXPECT_EQ("prone", Bstr::copyOf(position.get().bstrVal).toUtf8());
    EXPECT_HR(S_FALSE, loaded->IsDirty());
}

TEST(AimingAttrTest, VersionOneRecordsReadTheirMatchWord)
{
    for (std::int32_t matchWord : {1, 2}) {
        SCOPED_TRACE(matchWord);
        auto stream = makeComObject<MemoryStream>();
        ASSERT_HR(S_OK, writeInt32(stream.get(), 1));
        ASSERT_HR(S_OK, writeBstr(stream.get(), Bstr("AR10").get()));
        ASSERT_HR(S_OK, writeBstr(stream.get(), Bstr("ignored").get()));
        ASSERT_HR(S_OK, writeDouble(stream.get(), 1.0));
        ASSERT_HR(S_OK, writeDouble(stream.get(), 2.0));
        for (std::int32_t field : {600, 0, matchWord, 0, 0}) { // Rate beyond the put limits, as stored.
            ASSERT_HR(S_OK, writeInt32(stream.get(), field));
        }
        ASSERT_HR(S_OK, stream->Seek(0, STREAM_SEEK_SET, nullptr));
        auto loaded = newAttributes();
        ASSERT_HR(S_OK, loaded->Load(stream.get()));
        VARIANT_BOOL match = VARIANT_FALSE;
        LONG rate = 0;
        LONG subTarget = 0;
        ASSERT_HR(S_OK, loaded->get_Match(&match));
        ASSERT_HR(S_OK, loaded->get_SampleRate(&rate));
        ASSERT_HR(S_OK, loaded->get_SubTarget(&subTarget));
        EXPECT_EQ(matchWord == 1 ? VARIANT_TRUE : VARIANT_FALSE, match);
        EXPECT_EQ(600, rate);
        EXPECT_EQ(1, subTarget);
    }
}

TEST(AimingAttrTest, RecordsOfUnknownEventsOrVersionsAreRefused)
{
    auto stream = makeComObject<MemoryStream>();
    ASSERT_HR(S_OK, writeInt32(stream.get(), 3));
    ASSERT_HR(S_OK, writeBstr(stream.get(), Bstr("NO-SUCH-EVENT").get()));
    ASSERT_HR(S_OK, stream->Seek(0, STREAM_SEEK_SET, nullptr));
    EXPECT_HR(E_FAIL, newAttributes()->Load(stream.get()));

    auto newer = makeComObject<MemoryStream>();
    ASSERT_HR(S_OK, writeInt32(newer.get(), 4));
    ASSERT_HR(S_OK, newer->Seek(0, STREAM_SEEK_SET, nullptr));
    EXPECT_HR(E_FAIL, newAttributes()->Load(newer.get()));

    auto withoutEvent = newAttributes();
    auto sink = makeComObject<MemoryStream>();
    EXPECT_HR(E_UNEXPECTED, withoutEvent->Save(sink.get(), TRUE));
}

} // namespace
