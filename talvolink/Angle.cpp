#include "talvolink/Angle.h"

#include <cmath>

namespace talvolink {

double direction(double dx, double dy)
{
    if (dx == 0.0) {
        return dy >= 0.0 ? kHalfPi : kThreeHalfPi;
    }
    double angle = std::atan2(dy, dx);
    if (angle < 0.0) {
        angle += kTwoPi;
    }
    return angle;
}

double AngleBetween(double first, double second)
{
    double difference = first - second;
    while (difference > kPi) {
        difference -= kTwoPi;
    }
    while (difference <= -kPi) {
        difference += kTwoPi;
    }
    return difference;
}

} // namespace talvolink
