#pragma once

#include <string_view>

namespace talvodesk {

/// The English texts of the report's page header and of the status bar, in the language-file form.
inline constexpr std::string_view kViewsEnglish = "37000\tTALVO Shooter Training System\n"
                                                  "37001\tPiezoRejectInterval = %3.1f\n";

} // namespace talvodesk
