#pragma once

#include "platform/registry/Key.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace talvodesk {

/// The current user's settings root "software\Talvo\Talvo Professional": "software" must exist, the two keys below
/// it are created when missing. Nothing when a step fails. Any thread, as the registry keys.
std::optional<platform::registry::Key> OpenSettingsRoot();
/// A subkey of the settings root, created when missing; nothing without a root or when the name is refused.
std::optional<platform::registry::Key> OpenSettingsSubkey(std::u16string_view name);

/// The F coefficient last used by a shooter in an event, kept in the root's subkey named by the shooter with one
/// below it named by the event's short name. A backslash in a name nests keys; an empty name is refused, so the
/// value never lands in the root or in a key of its own. Only a REG_DWORD within 5..100 is taken.
std::optional<std::uint32_t> LoadFCoefficient(const platform::registry::Key& root, std::u16string_view eventShortName,
                                              std::u16string_view shooterName);
/// Writes without a range check; false when the keys cannot be made or the value not written.
bool SaveFCoefficient(const platform::registry::Key& root, std::u16string_view eventShortName,
                      std::u16string_view shooterName, std::uint32_t value);

/// A dialog's normal-position rectangle in screen coordinates.
struct WindowRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    bool isEmpty() const { return right <= left || bottom <= top; }
    friend bool operator==(const WindowRect&, const WindowRect&) = default;
};

/// A REG_BINARY of exactly 16 bytes (left, top, right, bottom as little-endian i32) whose rectangle is not empty;
/// nothing otherwise, and the window stays where the system put it.
std::optional<WindowRect> LoadWindowRect(const platform::registry::Key& root, std::u16string_view valueName);
bool SaveWindowRect(const platform::registry::Key& root, std::u16string_view valueName, const WindowRect& rect);

} // namespace talvodesk
