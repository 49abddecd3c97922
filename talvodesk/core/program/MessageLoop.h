#pragma once

#include <cstdint>

namespace talvodesk {

/// The main loop's rule for idle processing: it restarts after every message but those that arrive all the
/// time (paint, non-client and client mouse moves, timers, the caret timer and the device link's data message).
class CMessageLoop2 {
public:
    static bool IsIdleMessage(std::uint32_t message);
};

} // namespace talvodesk
