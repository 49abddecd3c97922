#pragma once

#include "platform/com/Guid.h"

// Identifiers of the device link. Hosts create the control by them: never change one.
namespace talvolink {

using platform::com::makeGuid;

inline constexpr GUID LIBID_TALVOLINK = makeGuid("BDE5F302-4BA4-4259-9946-CEC1D3F6EC23");
inline constexpr CLSID CLSID_TalvoDevice = makeGuid("4E7745BC-3F6B-456A-95E6-F842F9B87EEF");
inline constexpr IID IID_ITalvoDevice = makeGuid("27563039-ECF6-455F-8C22-58287C6BC3C7");
inline constexpr IID DIID__ITalvoDeviceEvents = makeGuid("52C5FE01-7D4A-491A-8F4A-CE578D4BEFB5");

} // namespace talvolink
