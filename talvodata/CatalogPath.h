#pragma once

#include <string>

namespace talvodata {

/// The catalog folder with a separator at its end: the machine value "InstallDir2" under "Software\Talvo" when
/// it holds text, else "$HOME/Talvo catalog/".
std::u16string catalogPath();

} // namespace talvodata
