#pragma once

#include <string_view>

namespace talvodesk {

/// The English texts of the graph views and the shot details page (chart/ChartStrings.h), in the language-file
/// form.
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
                                                   "61517\tArial\n"
                                                   "32830\tModel: %i match shots\n"
                                                   "32831\tTime before shot (sec)\n"
                                                   "32833\tResult\n"
                                                   "32834\tTime shift: %i match shots\n"
                                                   "32835\tSpeed (mm/sec)\n"
                                                   "32836\tSpeed: %i match shots\n"
                                                   "32839\tTime\n"
                                                   "32844\tCalculating speed graph...\n"
                                                   "32845\tCalculating time shift graph...\n"
                                                   "32858\tFirst shot\n"
                                                   "32859\tLast shot\n"
                                                   "61219\tShot details\n"
                                                   "61281\tCurrent shot\n"
                                                   "61287\tPulse\n"
                                                   "61518\tMatch shot number\n"
                                                   "61519\tDate, time\n"
                                                   "61520\tResult\n"
                                                   "61521\tPulse\n"
                                                   "61522\tTime elapsed\n"
                                                   "61523\tInterval to the previous shot\n"
                                                   "61524\tInterval to the next shot\n";

} // namespace talvodesk
