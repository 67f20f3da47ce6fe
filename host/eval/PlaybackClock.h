// The clock the host shows the plug-in while the vantri command plays a scene: it starts at a
// fixed date and runs with the scene's time, not the wall clock, so that what depends on the
// clock (the behaviour's radius circle in the pictures) is the same on every run and appears
// for as long in scene time as a user watching the playback would see it.
#pragma once

#include "abi/host_abi.h"

#include <cstdint>

namespace vantri {

/// Where the playback clock starts: 2000-01-01 00:00:00.
constexpr VtDateTime kPlaybackClockStart{2000, 1, 1, 0, 0, 0};

/// `start` moved on by `seconds` (0 or more) in the Gregorian calendar.
VtDateTime date_time_after(const VtDateTime& start, int64_t seconds);

/// The playback clock at `frame` of a range played from `first` at `fps` frames per second:
/// the start plus the whole seconds played.
VtDateTime playback_clock(int32_t first, int32_t frame, int32_t fps);

} // namespace vantri
