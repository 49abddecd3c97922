#pragma once

#include <string>
#include <string_view>

// Text in the "ANSI code page" of the Windows interfaces: Windows-1252 unless another code page was chosen.
// Characters that the target does not have become "?". Any thread.
namespace platform::text {

std::string toAnsi(std::u16string_view text);
std::u16string fromAnsi(std::string_view bytes);

/// Chooses the ANSI code page by its iconv name ("WINDOWS-1251", "CP1250"). False, and the current code page kept,
/// when iconv knows no such name.
bool setAnsiCodePage(std::string_view name);
std::string ansiCodePage();

} // namespace platform::text
