#pragma once

#include "platform/com/Types.h"

#include <memory>

namespace platform::serial {
class SerialPort;
}

namespace talvolink {

class CGenericTalvo;
class DeviceHost;

/// The model of a serial sensor by the model code of its plug-and-play identification (300 CTalvoPavane, 302
/// CTalvoPavanei, 303 CTalvoPavane_s, 306 CTalvo306, 307 CTalvoBiathlon), owning the open port; null for another
/// code.
std::unique_ptr<CGenericTalvo> CreateSerialModel(LONG modelCode, DeviceHost& host,
                                                 std::unique_ptr<platform::serial::SerialPort> port);

} // namespace talvolink
