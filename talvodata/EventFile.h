#pragma once

#include "platform/com/ComPtr.h"
#include "platform/com/Result.h"
#include "platform/storage/Storage.h"

#include <filesystem>

namespace talvodata {

class CEventParams;

/// An event-definition file: a compound file whose stream "Contents" holds the event as a nested object (the
/// class identifier of EventParams, then its record).

/// Writes `event` into `root`'s stream "Contents".
HRESULT writeEventContents(IStorage& root, IUnknown* event);
/// Writes the file at `path`, replacing it (a read-only file is made writable first).
HRESULT writeEventFile(const std::filesystem::path& path, IUnknown* event);
/// Reads the event from `root`'s stream "Contents"; any other class identifier is E_FAIL.
platform::Result<platform::com::ComPtr<CEventParams>> readEventContents(IStorage& root);
/// Reads the event file at `path`; a file that is not a compound file fails with STG_E_INVALIDHEADER.
platform::Result<platform::com::ComPtr<CEventParams>> readEventFile(const std::filesystem::path& path);

} // namespace talvodata
