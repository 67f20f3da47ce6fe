// The reach of an agent's avoidance ellipse.
#pragma once

#include <cmath>

/// The most EllipseRlen(a, b, angle) can give, whatever the angle: it lies between the two
/// half-axes, up to rounding. Half-axes so small or large that their squares leave the range
/// of doubles have no such bound: NaN, and the caller scans every agent.
inline double EllipseBound(double a, double b) {
    const auto tame = [](double x) {
        x = std::fabs(x);
        return x == 0.0 || (x >= 1e-100 && x <= 1e100);
    };
    if (!tame(a) || !tame(b)) return std::nan("");
    return std::fmax(std::fabs(a), std::fabs(b)) * (1.0 + 1e-9);
}
