#pragma once

#include "platform/com/Result.h"
#include "platform/serial/SerialPort.h"

#include <termios.h>

namespace platform::serial {

/// E_INVALIDARG for a speed termios has no code for or data bits outside 5..8.
Status checkSettings(const SerialSettings& settings);

/// Writes speed and framing into `attributes`, leaving the other flags alone. Fails as checkSettings does.
Status settingsToTermios(const SerialSettings& settings, termios& attributes);

/// kNotSupported for a speed code outside the table (a custom divisor set by another program).
Result<SerialSettings> settingsFromTermios(const termios& attributes);

/// Raw bytes both ways: no echo, no line editing, no character translation, no flow control, no parity check,
/// modem lines not waited for (CLOCAL) and dropped on the last close (HUPCL). Speed and framing are kept.
void makeRaw(termios& attributes);

} // namespace platform::serial
