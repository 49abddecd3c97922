#pragma once

#include "platform/com/Types.h"

/// The x of a sample the sensor could not measure; its y means nothing. Only 32-bit traces hold it.
inline constexpr LONG kInvalidSample = 2147483647;

/// The sample rates, in samples per second, that traces and devices accept.
inline constexpr LONG kLowestSampleRate = 20;
inline constexpr LONG kHighestSampleRate = 500;
