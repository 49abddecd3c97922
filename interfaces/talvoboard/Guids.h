#pragma once

#include "platform/com/Guid.h"

// Identifiers of the target display control. Hosts and saved property maps name them: never change one.
namespace talvoboard {

using platform::com::makeGuid;

inline constexpr GUID LIBID_TALVOBOARD = makeGuid("AB85342C-8E39-46FD-929F-A6976D40DA4B");

inline constexpr CLSID CLSID_Target = makeGuid("1C6AD866-0665-4A1E-B73C-934D632590A8");

inline constexpr IID IID_ITarget = makeGuid("2C834FAB-9B05-43A2-BDC3-1E497FC4217A");
inline constexpr IID DIID__ITargetEvents = makeGuid("7BB27E98-40F7-46E4-B7AD-B3694330299A");
/// The host side of the control: its widget and the ambient user mode (talvoboard/TargetWindow.h).
inline constexpr IID IID_ITargetWindow = makeGuid("CBBEBA6B-39BB-472A-828C-D80D22987AB3");

} // namespace talvoboard
