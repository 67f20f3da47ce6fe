// Document times as whole frames, the way the generator and the world count them.
#pragma once

#include "plugin/hostapi/PluginApi.h"

#include <cmath>

/// The frame of a document time at `fps` frames per second: the integer part of
/// floor(fps * numerator) / floor(denominator). A time that gives no finite frame (a zero
/// denominator, say) saturates instead of overflowing; one that gives no number at all is
/// frame 0.
inline int32_t FrameOf(const BaseTime& time, int32_t fps) {
    const double frame = std::floor(static_cast<double>(fps) * time.GetNumerator()) /
                         std::floor(time.GetDenominator());
    if (std::isnan(frame)) return 0;
    if (frame >= 2147483647.0) return 2147483647;
    if (frame <= -2147483648.0) return -2147483647 - 1;
    return static_cast<int32_t>(frame);
}
