// The multiples of pi that rotations are built from, as the exact doubles the crowd code and
// the host's transforms use. Shared by the plug-in and the host so that both turn a heading
// into a matrix with the same numbers.
#pragma once

namespace angle {

constexpr double kPi = 3.141592653589793;
constexpr double kQuarterPi = 0.7853981633974483;
constexpr double kHalfPi = 1.5707963267948966;
constexpr double kThreeHalfPi = 4.71238898038469;
constexpr double kTwoPi = 6.283185307179586;
constexpr double kInvTwoPi = 0.15915494309189535;

} // namespace angle
