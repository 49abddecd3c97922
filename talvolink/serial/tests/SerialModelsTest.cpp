#include "talvolink/serial/SerialModels.h"

#include "talvolink/serial/Talvo306.h"
#include "talvolink/serial/TalvoBiathlon.h"
#include "talvolink/serial/TalvoPavanei.h"

#include "talvolink/serial/tests/support/RecordingHost.h"

#include <gtest/gtest.h>

using namespace talvolink;

namespace {

TEST(SerialModelsTest, PicksTheModelByItsCode)
{
    struct Case {
        LONG code;
        int packetLength;
        std::uint32_t baud;
        int sequenceModulus;
        bool semaphore;
        bool pulse;
    };
    const Case cases[] = {
        {300, 8, 19200, 256, false, false}, {302, 8, 19200, 256, true, false},  {303, 8, 19200, 256, true, false},
        {306, 10, 38400, 16, true, true},   {307, 28, 57600, 32, false, false},
    };
    testsupport::RecordingHost host;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        std::unique_ptr<CGenericTalvo> model = CreateSerialModel(c.code, host, nullptr);
        ASSERT_TRUE(model);
        EXPECT_EQ(c.packetLength, model->PacketLength());
        EXPECT_EQ(c.baud, model->BaudRate());
        EXPECT_EQ(platform::serial::StopBits::Two, model->StopBits());
        EXPECT_EQ(c.sequenceModulus, model->SequenceModulus());
        EXPECT_EQ(c.semaphore, model->SemaphoreAvailable());
        EXPECT_EQ(c.pulse, model->PulseAvailable());
        EXPECT_EQ(c.pulse, model->TriggerControlAvailable());
    }
    EXPECT_TRUE(dynamic_cast<CTalvoPavanei*>(CreateSerialModel(302, host, nullptr).get()));
    EXPECT_TRUE(dynamic_cast<CTalvo306*>(CreateSerialModel(306, host, nullptr).get()));
    EXPECT_TRUE(dynamic_cast<CTalvoBiathlon*>(CreateSerialModel(307, host, nullptr).get()));
    for (LONG unknown : {0L, 301L, 305L, 500L, 600L}) {
        EXPECT_FALSE(CreateSerialModel(unknown, host, nullptr)) << unknown;
    }
}

} // namespace
