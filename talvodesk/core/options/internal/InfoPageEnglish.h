#pragma once

#include <string_view>

namespace talvodesk {

/// The English texts of the practice page, in the language-file form.
inline constexpr std::string_view kInfoPageEnglish =
    "34300\tStart practice\n"
    "34301\tOpen document\n"
    "34302\tTalvo trains the shooter's hold, aim and release. An optical sensor on the barrel follows the point of "
    "aim while the shooter aims, so every shot comes with the whole path of the aim that led to it.\n"
    "34303\tStart a practice to shoot with the sensor, or open a practice from the catalog to look at its shots, "
    "their traces and the statistics of the whole practice.\n"
    "34304\tA practice can be compared with a model practice: its figures then follow in red.\n"
    "34305\tAdditional information\n"
    "34306\tUpdates and support are on the Talvo web page.\n"
    "34310\tShooter name\n"
    "34311\tComments\n"
    "34312\tShooter name (model)\n"
    "34313\tComments (model)\n"
    "34320\tShooting event\n"
    "34321\tDate, time\n"
    "34322\tNumber of match shots\n"
    "34323\tResult\n"
    "34324\tinteger \n"
    "34325\tfractional \n"
    "34326\taverage \n"
    "34327\tResult for the shot group in relation to the center of the target\n"
    "34328\tTotal shooting time\n"
    "34329\tAverage time per shot\n"
    "34330\tStability of time interval between shots\n"
    "34331\tDiametrical dispersion (group size)\n"
    "34332\tStability of aiming\n"
    "34333\tAccuracy of shooting\n"
    "34334\tAverage steadiness in 10.0\n"
    "34335\tAverage length of a tracing\n"
    "34336\thorizontal \n"
    "34337\tvertical \n"
    "34338\tElliptical factor\n"
    "34339\tfor group \n"
    "34340\tfor tracings \n"
    "34341\tControl interval\n"
    "34350\tan interval from the beginning of first shot to the end of last shot\n"
    "34351\t(if all shots are equally spread the stability is 100%)\n"
    "34352\ta center-to-center distance between two most distant shots\n"
    "34353\tthe average points of the tracing over the control interval before each shot, and the diametral "
    "dispersion of these points\n"
    "34354\tthe mean of those average points and its distance from the center of the target\n"
    "34355\tthe share of the control interval up to the shot release during which the aiming point was within "
    "the 10.0, in percent\n"
    "34356\ta ratio of averaged shot/trace dispersion diameter on x-axis to that on y-axis\n"
    "61229\t%-5.1f sec\n";

} // namespace talvodesk
