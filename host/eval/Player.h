// Plays a frame range of a document: with the animation running, or as a render (the
// render notification on at the start and off at the end, the animation not running).
#pragma once

#include "host/Status.h"
#include "host/eval/FrameEvaluator.h"

#include <functional>

namespace vantri {

enum class PlayMode { Play, Render };

/// Evaluates every frame from `first` to `last` (both included) and calls `after_frame`
/// after each. A frame in which an object's Execute fails ends the range there, without its
/// `after_frame`, and the failure is returned. Restores the host's running state at the end.
std::optional<ExecutionFailure>
play_range(Host& host, Document& document, int32_t first, int32_t last, PlayMode mode,
           const std::function<void(int32_t frame)>& after_frame = {});

/// As play_range, but stops after the first frame whose `after_frame` fails, or in which an
/// object's Execute fails (`when_execute_fails` says what that failure is), and returns that
/// failure; the running state is restored and a render ended either way.
Status play_frames(Host& host, Document& document, int32_t first, int32_t last, PlayMode mode,
                   const std::function<Status(int32_t frame)>& after_frame,
                   const std::function<Status(const ExecutionFailure&)>& when_execute_fails);

} // namespace vantri
