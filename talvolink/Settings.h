#pragma once

#include "platform/com/Types.h"
#include "platform/registry/Key.h"

#include <optional>
#include <string_view>

namespace talvolink {

/// The current user's settings root "software\Talvo\Talvo Professional", which the training application shares;
/// created when missing. Nothing when a step fails. Any thread, as the registry keys.
std::optional<platform::registry::Key> OpenSettingsKey();

/// Reads a REG_DWORD setting of at most 4 bytes into `value`: 0 on success, 13 (invalid data) for a value of
/// another type, else the system's error code (2 for a missing value, 234 for a longer one).
DWORD ReadSettingDword(const platform::registry::Key& key, std::u16string_view name, DWORD* value);

} // namespace talvolink
