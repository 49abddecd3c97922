#pragma once

#include "platform/com/Result.h"

#include <cstdint>
#include <filesystem>
#include <span>

namespace platform::fs {

enum class WriteMode {
    /// Creates the file or replaces it as a whole.
    Replace,
    /// Creates the file only if nothing by that name exists yet.
    CreateOnly,
};

/// Writes `bytes` as the whole content of `path` so that a crash, a full disk or a refused rename never leaves a
/// damaged or half-written file: the bytes go to a temporary file whose name begins with "." in the same folder,
/// are flushed to the disk and then renamed into place. On failure the temporary file is removed and an existing
/// file keeps its content.
/// Errors: STG_E_FILEALREADYEXISTS (CreateOnly and the name exists), STG_E_ACCESSDENIED (no permission, or
/// Replace on a read-only file), STG_E_PATHNOTFOUND (missing folder), STG_E_MEDIUMFULL (disk or quota full),
/// STG_E_WRITEFAULT (any other write failure).
Status writeFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes, WriteMode mode);

/// Removes what saves into `folder` left when their program was killed before the rename: only hidden names of
/// writeFileAtomically's temporary pattern whose writing process has ended, so another program's save in progress
/// is left alone. writeFileAtomically does it after each write; errors are ignored (the next save tries again).
void removeInterruptedSaves(const std::filesystem::path& folder);
/// removeInterruptedSaves in `root` and in every folder below it, for a program's start. Symbolic links inside are
/// not followed; folders that cannot be read are passed over.
void removeInterruptedSavesBelow(const std::filesystem::path& root);

/// The checks writeFileAtomically makes before it writes anything, for callers that write later and must report
/// a bad name, a missing folder, a read-only file or (CreateOnly) an existing name at once. The no-replace rename
/// still decides in the end: a name taken in between fails the write with STG_E_FILEALREADYEXISTS.
Status checkWritable(const std::filesystem::path& path, WriteMode mode);

} // namespace platform::fs
