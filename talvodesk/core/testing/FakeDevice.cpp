#include "talvodesk/core/testing/FakeDevice.h"

#include "talvodata/Aiming.h"
#include "talvodata/tests/support/Events.h"

#include "interfaces/talvolink/DispIds.h"
#include "interfaces/talvolink/Guids.h"

#include <gtest/gtest.h>

namespace talvodesk::testsupport {

using platform::com::ComPtr;
using platform::com::Variant;

namespace {
constexpr LONG kSubDevice = 1;
}

FakeDevice::FakeDevice(std::string eventShortName, long sampleRate)
    : m_event(std::move(eventShortName)), m_sampleRate(sampleRate),
      m_point(
          platform::com::makeComObject<platform::com::ConnectionPoint>(nullptr, talvolink::DIID__ITalvoDeviceEvents))
{
}

FakeDevice::~FakeDevice() = default;

void FakeDevice::advise(IUnknown* sink)
{
    DWORD cookie = 0;
    EXPECT_EQ(S_OK, m_point->Advise(sink, &cookie));
}

void FakeDevice::fire(DISPID id, std::vector<Variant> arguments)
{
    m_point->fire(id, std::move(arguments));
}

ComPtr<IAiming> FakeDevice::newAiming()
{
    auto created = talvodata::CAiming::create();
    EXPECT_TRUE(created.hasValue());
    ComPtr<IAiming> aiming = std::move(created).value();
    ComPtr<IAimingAttr> attributes;
    EXPECT_EQ(S_OK, aiming->get_Attr(attributes.put()));
    EXPECT_EQ(S_OK, attributes->put_SampleRate(m_sampleRate));
    EXPECT_EQ(S_OK, attributes->put_Event(talvodata::testsupport::shippedEvent(m_event.c_str()).get()));
    return aiming;
}

void FakeDevice::startAiming(IAiming* aiming)
{
    fire(DISPID_TALVODEVICEEVENTS_STARTAIMING, {Variant::fromInt32(kSubDevice), Variant::fromDispatch(aiming)});
}

void FakeDevice::coordinates(IAiming* aiming, int count, long stepX, long stepY)
{
    ComPtr<IAimingTrace> trace;
    EXPECT_EQ(S_OK, aiming->get_Trace(trace.put()));
    for (int i = 0; i < count; ++i) {
        EXPECT_EQ(S_OK, trace->_Add(m_x, m_y));
        m_x += stepX;
        m_y += stepY;
    }
    fire(DISPID_TALVODEVICEEVENTS_NEWCOORDINATES,
         {Variant::fromInt32(kSubDevice), Variant::fromDispatch(aiming), Variant::fromInt32(count)});
}

ComPtr<IShot> FakeDevice::shot(IAiming* aiming, bool missed)
{
    ComPtr<IShot> added;
    EXPECT_EQ(S_OK, aiming->AddShot(missed ? VARIANT_TRUE : VARIANT_FALSE, added.put()));
    fire(DISPID_TALVODEVICEEVENTS_SHOT,
         {Variant::fromInt32(kSubDevice), Variant::fromDispatch(aiming), Variant::fromDispatch(added.get())});
    return added;
}

void FakeDevice::conclude(IAiming* aiming)
{
    fire(DISPID_TALVODEVICEEVENTS_CONCLUDEAIMING, {Variant::fromInt32(kSubDevice), Variant::fromDispatch(aiming)});
}

void FakeDevice::finalConclude()
{
    fire(DISPID_TALVODEVICEEVENTS_FINALCONCLUDEAIMING, {Variant::fromInt32(kSubDevice)});
}

void FakeDevice::pulse(long beatsPerMinute)
{
    fire(DISPID_TALVODEVICEEVENTS_PULSECHANGED, {Variant::fromInt32(kSubDevice), Variant::fromInt32(beatsPerMinute)});
}

void FakeDevice::trigger(std::vector<long> readings)
{
    triggerReadings = std::move(readings);
    triggerCount(static_cast<long>(triggerReadings.size()));
}

void FakeDevice::triggerCount(long count)
{
    fire(DISPID_TALVODEVICEEVENTS_TRIGGER, {Variant::fromInt32(kSubDevice), Variant::fromInt32(count)});
}

void FakeDevice::heartBeat(DATE earliest, DATE latest)
{
    fire(DISPID_TALVODEVICEEVENTS_HEARTBEAT,
         {Variant::fromInt32(kSubDevice), Variant::fromDate(earliest), Variant::fromDate(latest)});
}

long FakeDevice::Trigger(long index)
{
    triggerIndexes.push_back(index);
    return index >= 1 && index <= static_cast<long>(triggerReadings.size())
               ? triggerReadings[static_cast<std::size_t>(index - 1)]
               : 0;
}

ComPtr<IAiming> FakeDevice::aiming(int before, int shots, int batch)
{
    ComPtr<IAiming> aiming = newAiming();
    startAiming(aiming.get());
    for (int done = 0; done < before; done += batch) {
        coordinates(aiming.get(), std::min(batch, before - done));
    }
    for (int i = 0; i < shots; ++i) {
        (void)shot(aiming.get());
    }
    coordinates(aiming.get(), 40, 1, 1);
    conclude(aiming.get());
    finalConclude();
    return aiming;
}

} // namespace talvodesk::testsupport
