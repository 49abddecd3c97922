#pragma once

#include "platform/storage/Storage.h"

#include "platform/com/ComPtr.h"
#include "platform/com/Result.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

namespace platform::storage {

enum class CreateMode {
    CreateOrReplace,
    /// Fails with STG_E_FILEALREADYEXISTS when the name exists, and never replaces a file that appears later.
    CreateOnly,
};

/// A new, empty compound file at `path`, open for reading and writing (the root storage). The content is kept in
/// memory and written as a whole on the root's Commit, and again when the last object opened on the file is
/// released if anything changed since; the write goes through a temporary file and a rename, so an existing
/// file is never left damaged. A failed write at release can only be logged: call Commit to learn the result.
/// Errors at once: STG_E_FILEALREADYEXISTS (CreateOnly), STG_E_PATHNOTFOUND (missing folder),
/// STG_E_ACCESSDENIED (no permission, or a read-only file to replace), STG_E_INVALIDNAME.
Result<com::ComPtr<IStorage>> createCompoundFile(const std::filesystem::path& path, CreateMode mode);

/// The root storage of an existing compound file, opened for reading: the file is read at once, so later writers
/// do not disturb it. Changes are refused with STG_E_ACCESSDENIED.
/// Errors: the file errors of platform::fs::readWholeFile (STG_E_FILENOTFOUND, ...; STG_E_INSUFFICIENTMEMORY for a
/// file over 512 MiB), STG_E_INVALIDHEADER (not a compound file), STG_E_DOCFILECORRUPT (a damaged one).
Result<com::ComPtr<IStorage>> openCompoundFile(const std::filesystem::path& path);

/// Whether the file holds a compound file (it begins with the signature); errors when it cannot be read.
Result<bool> isCompoundFile(const std::filesystem::path& path);

/// An empty compound file in memory, open for reading and writing; compoundFileBytes gives its bytes.
com::ComPtr<IStorage> createCompoundFileInMemory();

/// The root storage of the compound file in `bytes`, opened for reading. Errors as openCompoundFile's.
Result<com::ComPtr<IStorage>> openCompoundFileInMemory(std::span<const std::uint8_t> bytes);

/// The bytes of the compound file whose root storage is `root`, as a file would hold them.
/// E_INVALIDARG for a storage that is not the root of a compound file made here.
Result<std::vector<std::uint8_t>> compoundFileBytes(IStorage& root);

} // namespace platform::storage
