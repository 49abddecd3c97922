#include "talvolink/tests/support/ControlFixture.h"

#include <QCoreApplication>

namespace talvolink::testsupport {

void ControlFixture::makeControl(TestDeviceFactory::Settings settings)
{
    TearDown();
    auto factory = std::make_unique<TestDeviceFactory>(std::move(settings));
    m_factory = factory.get();
    auto created = CTalvoDevice::create(std::move(factory), m_clock);
    ASSERT_TRUE(created);
    m_control = created.value();
    m_recorder = platform::com::makeComObject<EventRecorder>();
    m_recorder->stamp = [this] {
        return m_factory->lastModel() ? static_cast<long>(m_factory->lastModel()->processed().size()) : 0L;
    };
    platform::com::ComPtr<IConnectionPoint> point;
    ASSERT_EQ(S_OK, m_control->FindConnectionPoint(_ITalvoDeviceEvents::kIid, point.put()));
    ASSERT_EQ(S_OK, point->Advise(m_recorder.get(), &m_cookie));
    m_event = platform::com::makeComObject<TestEvent>(1, 1);
    ASSERT_EQ(S_OK, m_control->put_Event(1, m_event.get()));
}

void ControlFixture::connect()
{
    ASSERT_EQ(S_OK, m_control->put_Connected(VARIANT_TRUE));
    ASSERT_NE(nullptr, m_factory->lastModel());
}

void ControlFixture::feed(const std::vector<DeviceRecord>& records)
{
    for (const DeviceRecord& record : records) {
        model().QueueRecord(record);
    }
    deliverPosted();
}

void ControlFixture::deliverPosted()
{
    QCoreApplication::sendPostedEvents();
}

void ControlFixture::TearDown()
{
    if (m_control) {
        platform::com::ComPtr<IConnectionPoint> point;
        if (m_control->FindConnectionPoint(_ITalvoDeviceEvents::kIid, point.put()) == S_OK) {
            (void)point->Unadvise(m_cookie); // Breaks the control-sink cycle.
        }
        (void)m_control->put_Connected(VARIANT_FALSE);
    }
    m_control = nullptr;
    m_recorder = nullptr;
    m_event = nullptr;
    m_factory = nullptr;
}

} // namespace talvolink::testsupport
