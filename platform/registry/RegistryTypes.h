#pragma once

#include "platform/com/HResult.h"
#include "platform/com/Types.h"

// Value types, with the Windows numbers; any other number is stored and returned as it is.
inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;

namespace platform::registry {

// The Windows registry errors, as HRESULTs of the Win32 facility.
/// No such key or value (ERROR_FILE_NOT_FOUND).
inline constexpr HRESULT kErrorFileNotFound = makeHresult(0x80070002);
/// The buffer is too small; the needed size was reported (ERROR_MORE_DATA).
inline constexpr HRESULT kErrorMoreData = makeHresult(0x800700EA);
/// The hive file is damaged; it is left as it is (ERROR_BADDB).
inline constexpr HRESULT kErrorBadHive = makeHresult(0x800703F1);
/// The key was deleted after it was opened (ERROR_KEY_DELETED).
inline constexpr HRESULT kErrorKeyDeleted = makeHresult(0x800703FA);
/// The value exists with another type or size than asked for (ERROR_UNSUPPORTED_TYPE).
inline constexpr HRESULT kErrorUnsupportedType = makeHresult(0x8007065E);

} // namespace platform::registry
