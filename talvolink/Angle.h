#pragma once

namespace talvolink {

// The sensors' own constants, kept as their firmware and the original computations use them.
inline constexpr double kHalfPi = 1.57079632675;
inline constexpr double kPi = 3.1415926535;
inline constexpr double kThreeHalfPi = 4.71238898025;
inline constexpr double kTwoPi = 6.283185307;

/// The angle of the vector (dx, dy) in [0, 2 pi), vertical vectors exactly pi/2 or 3 pi/2.
double direction(double dx, double dy);

/// first - second brought into (-pi, pi].
double AngleBetween(double first, double second);

} // namespace talvolink
