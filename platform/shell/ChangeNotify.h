#pragma once

#include "platform/shell/ItemIdList.h"
#include "platform/shell/ShellTypes.h"

#include <functional>

namespace platform::shell {

// Change events.
inline constexpr LONG SHCNE_CREATE = 0x2;
inline constexpr LONG SHCNE_DELETE = 0x4;
inline constexpr LONG SHCNE_MKDIR = 0x8;
inline constexpr LONG SHCNE_RMDIR = 0x10;
inline constexpr LONG SHCNE_UPDATEDIR = 0x1000;
inline constexpr LONG SHCNE_UPDATEITEM = 0x2000;

/// Called with the event and the absolute list of what changed.
using ChangeCallback = std::function<void(LONG event, LPCITEMIDLIST changed)>;

/// Hears of the `events` on `watched` and its items (and, when `recursive`, on anything below it); 0 when it
/// cannot register.
/// Thread rule: registration, deregistration and announcements on the user-interface thread; callbacks run there.
ULONG SHChangeNotifyRegister(LPCITEMIDLIST watched, bool recursive, LONG events, ChangeCallback callback);
void SHChangeNotifyDeregister(ULONG registration);
/// Announces a change to every registration that covers it.
void SHChangeNotify(LONG event, LPCITEMIDLIST changed);

} // namespace platform::shell
