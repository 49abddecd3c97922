#pragma once

#include <string_view>

namespace talvodesk {

/// The English texts of the graph views (chart/ChartStrings.h), in the language-file form.
inline constexpr std::string_view kChartsEnglish = "61500\tTime before shot (sec)\n"
                                                   "61501\tDistance\n"
                                                   "61502\tDisplacement along the X-axis\n"
                                                   "61503\tDisplacement along the Y-axis\n"
                                                   "61504\tAbsolute distance\n"
                                                   "61505\tTrigger\n"
                                                   "61506\tStanding\n"
                                                   "61507\tProne\n"
                                                   "61508\tCoordination: %i match shots\n"
                                                   "61509\tModel: %i match shots\n"
                                                   "61510\tCalculating coordination graph...\n"
                                                   "61511\tBullet dispersion (mm)\n"
                                                   "61512\tProbability\n"
                                                   "61513\tResult\n"
                                                   "61514\tCalculating probability graph...\n"
                                                   "61515\tControl interval 2\n"
                                                   "61516\tFraction mode\n"
                                                   "61517\tArial\n";

} // namespace talvodesk
