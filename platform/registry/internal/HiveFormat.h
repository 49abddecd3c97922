#pragma once

#include "platform/registry/internal/HiveTree.h"

#include <string>
#include <string_view>

// The hive file: REGEDIT4-style text in UTF-8.
//
//   REGEDIT4
//
//   [HKEY_CURRENT_USER\software\Talvo]
//   "Name"="text"                   REG_SZ of well-formed text with one terminating zero
//   "Count"=dword:0000000a          REG_DWORD of four bytes
//   "Blob"=hex:01,02,ff             REG_BINARY
//   @=hex(4):01,02                  any other type or size, as bytes; @ is the unnamed value
//
// Every key has a header, so empty keys persist. In names and strings, \ and " are escaped with a backslash.
namespace platform::registry::internal {

std::string formatHive(const HiveKey& root, std::u16string_view rootName);

/// Reads a hive file whose keys all lie below `rootName` ("HKEY_CURRENT_USER"). A file that breaks the form fails
/// with kErrorBadHive and a detail naming `fileName` and the line.
Result<std::unique_ptr<HiveKey>> parseHive(std::string_view text, std::u16string_view rootName,
                                           const std::string& fileName);

} // namespace platform::registry::internal
