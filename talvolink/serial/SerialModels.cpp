#include "talvolink/serial/SerialModels.h"

#include "talvolink/serial/Talvo306.h"
#include "talvolink/serial/TalvoBiathlon.h"
#include "talvolink/serial/TalvoPavane.h"
#include "talvolink/serial/TalvoPavane_s.h"
#include "talvolink/serial/TalvoPavanei.h"

namespace talvolink {

std::unique_ptr<CGenericTalvo> CreateSerialModel(LONG modelCode, DeviceHost& host,
                                                 std::unique_ptr<platform::serial::SerialPort> port)
{
    switch (modelCode) {
    case 300:
        return std::make_unique<CTalvoPavane>(host, std::move(port));
    case 302:
        return std::make_unique<CTalvoPavanei>(host, std::move(port));
    case 303:
        return std::make_unique<CTalvoPavane_s>(host, std::move(port));
    case 306:
        return std::make_unique<CTalvo306>(host, std::move(port));
    case 307:
        return std::make_unique<CTalvoBiathlon>(host, std::move(port));
    default:
        return nullptr;
    }
}

} // namespace talvolink
