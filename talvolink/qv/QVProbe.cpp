#include "talvolink/qv/QVProbe.h"

#include "talvolink/qv/TalvoQV.h"

namespace talvolink {

QVProbeResult ProbeImageSensor(platform::usb::UsbTransport& transport, platform::time::Clock& clock,
                               const std::string& path)
{
    TalvoQV sensor(transport, clock, QVStateRequest::DeviceState2);
    sensor.setUsesReader(false);
    QVProbeResult result;
    result.opened = sensor.Open(path);
    result.errorText = sensor.errorText();
    result.modelCode = sensor.modelCode();
    sensor.Close();
    return result;
}

} // namespace talvolink
