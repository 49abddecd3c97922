#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace talvodesk {

/// The file a print to PDF of the job `documentName` is offered under: the name with every character a file name
/// cannot hold on any system the file may be copied to (a slash among them, as dates have) made a hyphen, blanks
/// and dots at its ends left off, and ".pdf" added; "Talvo.pdf" when nothing is left. It lies in `catalog` when
/// that is a folder, else in `home`.
std::filesystem::path DefaultPrintFile(std::u16string_view documentName, const std::filesystem::path& catalog,
                                       const std::filesystem::path& home);

} // namespace talvodesk
