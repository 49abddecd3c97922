#pragma once

#include "interfaces/talvodata/IEventParams.h"
#include "platform/com/ComPtr.h"

#include <string>

namespace talvodesk {

/// What the start-practice dialog chose; the device is configured and connected.
struct StartPracticeChoice {
    platform::com::ComPtr<IEventParams> event;
    std::u16string shooter;
    /// 0 prone, 1 standing, 2 kneeling; negative: none.
    long position = -1;
    std::u16string serialNumber;
};

} // namespace talvodesk
