#pragma once

#include "platform/com/Result.h"

#include <span>

namespace sensorsim {

/// What "sensorsim [--seed N] [model] [COM number]" asks for.
struct CommandLine {
    int model = 300;
    int comPort = 1;
    /// The shooter's practice: the same seed, the same holds.
    unsigned seed = 1;
};

/// The arguments after the program name. Each must be a whole decimal number: a model with no profile, a port
/// outside 1 .. 256, a seed outside 0 .. 4294967295 (or none after "--seed"), text, a number too large for its
/// kind or a third argument is E_INVALIDARG naming it.
platform::Result<CommandLine> parseCommandLine(std::span<const char* const> arguments);

} // namespace sensorsim
