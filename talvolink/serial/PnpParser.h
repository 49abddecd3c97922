#pragma once

#include "talvolink/DeviceRecord.h"

#include <cstdint>
#include <span>

namespace talvolink {

/// The manufacturer id of our sensors.
inline constexpr char kTalvoManufacturer[] = "TLV";

/// True when `answer` holds a complete identification, "(" within its first 17 bytes up to ")" or a tab, whose two
/// upper-case hexadecimal digits before the end mark match the sum of the bytes from "(" on plus the ")". Fills
/// `record` only then; it is left as it was otherwise.
bool ParsePnpRecord(std::span<const std::uint8_t> answer, PnpRecord& record);

} // namespace talvolink
